// The moves shared by the end-to-end tests that play the real game.
#include "playedGame.h"

#include <cstdio>
#include <iostream>

void PlayedGame::startGame() {
    ASSERT_TRUE(game->start());
    ASSERT_TRUE(game->waitForOutput("Done with that, now starting main loop", GAME_STARTUP_SECONDS))
        << game->output();
    game->pause(0.5);
}

void PlayedGame::load(int slot) {
    size_t before = game->outputSize();
    game->key("F" + std::to_string(slot));
    ASSERT_TRUE(game->waitForOutput("Loaded.", 10.0, before)) << game->output().substr(before);
    game->pause(0.3);
}

void PlayedGame::openWindow(const std::string& name) {
    size_t before = game->outputSize();
    game->key("e");
    ASSERT_TRUE(game->waitForOutput("Set name: " + name, 5.0, before)) << game->output().substr(before);
    game->pause(0.4);
}

void PlayedGame::openFlightWindow(Autopilot& pilot) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        size_t before = game->outputSize();
        game->key("e");
        for (int poll = 0; poll < 50; ++poll) {
            const std::string out = game->output().substr(before);
            if (out.find("Set name: flightWindow") != std::string::npos) {
                game->pause(0.4);
                return;
            }
            if (out.find("Set name: planetWindow") != std::string::npos) break;
            game->pause(0.1);
        }
        if (game->output().find("Set name: planetWindow", before) == std::string::npos) continue;
        game->pause(0.4);
        clickFor(planetWindowLayout::CLOSE_BUTTON, ELEMENT_REPORT);
        takeOff(pilot);
    }
    FAIL() << "the flight window did not open";
}

void PlayedGame::clickFor(point where, const std::string& expected) {
    size_t before = game->outputSize();
    EXPECT_TRUE(game->clickUntil(where.x, where.y, expected))
        << "clicked (" << where.x << ", " << where.y << "), waiting for " << expected << "\n"
        << game->output().substr(before);
}

void PlayedGame::takeOff(Autopilot& pilot) {
    ShipState state;
    std::string attempts;
    for (int attempt = 0; attempt < 8; ++attempt) {
        game->holdKey("s", 0.4);
        game->holdKey("w", 0.2 + 0.3 * attempt);
        game->pause(0.3);
        ASSERT_TRUE(pilot.read(state));
        if (!state.landed) {
            if (attempt > 0) std::cout << "Took off at attempt " << attempt + 1 << ":\n" << attempts;
            return;
        }
        char line[200];
        std::snprintf(line, sizeof line, "t %ld on planet %d at (%.0f, %.0f) moving (%.2f, %.2f) hp %.0f\n",
                      state.time, state.planet, state.position.x, state.position.y, state.velocity.x,
                      state.velocity.y, state.hitpoints);
        attempts += line;
    }
    const std::string& log = game->output();
    FAIL() << "the ship does not take off:\n" << attempts << log.substr(log.size() > 3000 ? log.size() - 3000 : 0);
}
