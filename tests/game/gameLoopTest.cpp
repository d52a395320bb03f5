// The game as the player drives it: start-up in its order, then frames fed with keys, the wheel
// and mouse motion through the input layer, on a copy of the shipped content. The game opens a
// window of its own and enters its data directory, so each test plays in a child process of its
// own; the parent only waits for the verdict.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "contentCopy.h"
#include "displayWait.h"
#include "gameMain.h"
#include "startedGame.h"
#include "input.h"
#include "player.h"
#include "testSupport.h"
#include "worldState.h"

namespace fs = boost::filesystem;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(GameStartUp, FontAndScriptComeBeforeTheShadersThenTheClockAndTheFirstShip) {
    inChild([] {
        // A missing font file and a script that announces itself show when each is loaded.
        StartedGame game([](const fs::path& directory) {
            fs::remove(directory / "subatomic.quillory.ttf");
            std::ofstream(directory.string() + "/ui.lua", std::ios::app) << "\nprint(\"script top level ran\")\n";
        });
        ASSERT_TRUE(game.started) << game.startOutput;
        const std::vector<std::string> lines = linesOf(game.startOutput);
        auto at = [&](const std::string& start) {
            for (size_t i = 0; i < lines.size(); ++i)
                if (lines[i].rfind(start, 0) == 0) return static_cast<long>(i);
            ADD_FAILURE() << "no line starting \"" << start << "\" in:\n" << game.startOutput;
            return -1L;
        };
        const char* const order[] = {"Starting this thing",
                                     "SDL initialized",
                                     "Loading LUA",
                                     "script top level ran",
                                     "Loading font",
                                     "Error initializing face subatomic.quillory.ttf",
                                     "Initializing stars",
                                     "Loading shaders",
                                     "Player initialized",
                                     "Add:",
                                     "Done with that, now starting main loop"};
        for (size_t i = 1; i < sizeof order / sizeof order[0]; ++i)
            EXPECT_LT(at(order[i - 1]), at(order[i])) << order[i - 1] << " before " << order[i];

        // The clock as it ran, then as set to 0, just before the last line.
        ASSERT_GE(lines.size(), 3u);
        const std::string& running = lines[lines.size() - 3];
        const std::string& reset = lines[lines.size() - 2];
        ASSERT_EQ(running.find_first_not_of("0123456789"), std::string::npos) << running;
        ASSERT_EQ(reset.find_first_not_of("0123456789"), std::string::npos) << reset;
        EXPECT_LE(std::stoul(reset), 50ul);
        EXPECT_GE(std::stoul(running), std::stoul(reset));
        EXPECT_LT(getTime(), 5000u);

        // One ship before the first frame: type 0 at (50, 50), faction 1.
        Universe& universe = game.game->universe();
        ASSERT_EQ(universe.currentWorld().ships.size(), 1u);
        const Ship& ship = universe.currentWorld().ships.front();
        EXPECT_EQ(ship.getShipCode(), 0);
        EXPECT_EQ(ship.getShipType(), universe.shipTypes[0].name);
        EXPECT_FLOAT_EQ(ship.getPosition().x, 50.0f);
        EXPECT_FLOAT_EQ(ship.getPosition().y, 50.0f);
        EXPECT_EQ(ship.getFaction(), 1u);
        EXPECT_EQ(game.game->fpsText(), "");
    });
}

TEST(GameInput, WheelZoomsAndDepthKeysMoveTheEye) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        game.moveMouse(200, -100);  // off centre, so the zoom shows in the cursor's world position
        const point before = game.cursorOffset();
        EXPECT_FLOAT_EQ(game.game->viewHeight(), 4000.0f);

        game.wheel(SDL_BUTTON_WHEELUP);
        game.frame();
        EXPECT_FLOAT_EQ(game.game->viewHeight(), 4000.0f / 1.2f);
        EXPECT_NEAR(game.cursorOffset().x, before.x / 1.2f, 0.01f);
        EXPECT_NEAR(game.cursorOffset().y, before.y / 1.2f, 0.01f);

        game.wheel(SDL_BUTTON_WHEELDOWN);
        game.wheel(SDL_BUTTON_WHEELDOWN);
        game.frame();
        EXPECT_FLOAT_EQ(game.game->viewHeight(), 4000.0f / 1.2f * 1.2f * 1.2f);
        EXPECT_NEAR(game.cursorOffset().x, before.x * 1.2f, 0.01f);

        EXPECT_FLOAT_EQ(game.game->depthFactor(), 1.0f);
        game.press(SDLK_n);
        game.frame();
        EXPECT_FLOAT_EQ(game.game->depthFactor(), 1.2f);
        game.press(SDLK_m);
        game.press(SDLK_m);
        game.frame();
        EXPECT_FLOAT_EQ(game.game->depthFactor(), 1.2f / 1.2f / 1.2f);
        // Neither key zooms.
        EXPECT_FLOAT_EQ(game.game->viewHeight(), 4000.0f / 1.2f * 1.2f * 1.2f);
    });
}

TEST(GameInput, WheelStopsWhereTheWorldFitsAndWhereTheShipFillsHalfTheScreen) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        const float ship = 2.0f * game.game->universe().player->getRadius();
        // Notches in from the start: 17 for the starting hull, then the wheel stops.
        for (int i = 0; i < 40; ++i) game.wheel(SDL_BUTTON_WHEELUP);
        game.frame();
        const float closest = game.game->viewHeight();
        EXPECT_GE(closest, 2.0f * ship);
        EXPECT_LT(closest / 1.2f, 2.0f * ship);
        EXPECT_NEAR(closest, 4000.0f / std::pow(1.2f, 17.0f), 0.01f);

        for (int i = 0; i < 60; ++i) game.wheel(SDL_BUTTON_WHEELDOWN);
        game.frame();
        const float widest = game.game->viewHeight();
        EXPECT_GE(widest, 2.0f * YBOUND);
        EXPECT_LT(widest / 1.2f, 2.0f * YBOUND);
        // One notch back in answers at once.
        game.wheel(SDL_BUTTON_WHEELUP);
        game.frame();
        EXPECT_FLOAT_EQ(game.game->viewHeight(), widest / 1.2f);
    });
}

TEST(GameInput, CursorFollowsTheMouseAndStaysOnScreen) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        game.frame();
        EXPECT_FLOAT_EQ(game.game->cursor().x, 50.0f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 50.0f);
        // 0.15 percent per count; the mouse's y grows downwards, the cursor's upwards.
        game.moveMouse(10, 20);
        EXPECT_FLOAT_EQ(game.game->cursor().x, 50.0f + 1.5f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 50.0f - 3.0f);
        // Far left and up: held at the edges, and the next move starts from there.
        game.moveMouse(-5000, -5000);
        EXPECT_FLOAT_EQ(game.game->cursor().x, 0.0f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 100.0f);
        game.moveMouse(20, 20);
        EXPECT_FLOAT_EQ(game.game->cursor().x, 3.0f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 97.0f);
        game.moveMouse(-22, -22);  // just past the edges
        EXPECT_FLOAT_EQ(game.game->cursor().x, 0.0f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 100.0f);
        game.moveMouse(5000, 5000);
        EXPECT_FLOAT_EQ(game.game->cursor().x, 100.0f);
        EXPECT_FLOAT_EQ(game.game->cursor().y, 0.0f);
    });
}

TEST(GameInput, CursorMapsOntoTheVisibleWorld) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        // Far from every body, at rest: nothing moves the ship during these frames.
        game.player().setPosition({-70000.0f, 70000.0f});
        game.player().setVelocity({0.0f, 0.0f});
        game.frame();
        // The view is 4000 units high and 1280/1024 as wide, centred on the ship.
        point offset = game.cursorOffset();
        EXPECT_FLOAT_EQ(offset.x, 0.0f);
        EXPECT_FLOAT_EQ(offset.y, 0.0f);
        game.moveMouse(-5000, 5000);  // lower left corner
        offset = game.cursorOffset();
        EXPECT_NEAR(offset.x, -2500.0f, 0.01f);
        EXPECT_NEAR(offset.y, -2000.0f, 0.01f);
        game.moveMouse(5000 + 100, -5000 - 200);  // upper right, then 15 and 30 percent back
        game.moveMouse(-100, 200);
        offset = game.cursorOffset();
        EXPECT_NEAR(offset.x, 2500.0f - 0.15f * 5000.0f, 0.05f);
        EXPECT_NEAR(offset.y, 2000.0f - 0.30f * 4000.0f, 0.05f);

        // What the ship does with the mouse lands there: a held left button lays a well under it.
        const point target = game.game->mouseGamePosition();
        game.input().setButtons(SDL_BUTTON(SDL_BUTTON_LEFT));
        game.input().pushEvent({InputEvent::ButtonDown, SDL_BUTTON_LEFT});
        game.frame();
        ASSERT_FLOAT_EQ(game.player().getPosition().x, -70000.0f) << "the ship was not to move";
        const auto& walls = game.game->universe().currentWorld().gravityWalls;
        ASSERT_EQ(walls.size(), 1u);
        ASSERT_FALSE(walls.front().getWells().empty());
        EXPECT_NEAR(walls.front().getWells().front().x, target.x, 0.01f);
        EXPECT_NEAR(walls.front().getWells().front().y, target.y, 0.01f);
    });
}

TEST(GameInput, FpsTextAppearsAfterJustOverOneSecondOfFrames) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        EXPECT_EQ(game.game->fpsText(), "");
        // A first frame far from the start: over a second, so the count starts afresh after it.
        game.frame(5000);
        const std::string first = game.game->fpsText();
        EXPECT_EQ(first.rfind("FPS: 0.", 0), 0u) << first;
        // Exactly one second is not yet over it.
        for (int i = 0; i < 10; ++i) game.frame(100);
        EXPECT_EQ(game.game->fpsText(), first);
        game.frame(100);
        EXPECT_EQ(game.game->fpsText(), "FPS: 10");
        // Both the time and the frame count start again from 0.
        for (int i = 0; i < 20; ++i) game.frame(50);
        EXPECT_EQ(game.game->fpsText(), "FPS: 10");
        game.frame(50);
        EXPECT_EQ(game.game->fpsText(), "FPS: 20");
    });
}

TEST(GameInput, KeyERaisesTheTestEventAndQQuits) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        game.frame();
        EXPECT_TRUE(game.game->universe().displays.empty());
        game.press(SDLK_e);
        const std::string out = game.frame();
        const size_t firing = out.find("Firing event\n");
        const size_t calling = out.find("Event type 1 calling\n");
        const size_t completed = out.find("Event completed\n");
        ASSERT_NE(firing, std::string::npos) << out;
        ASSERT_NE(calling, std::string::npos) << out;
        ASSERT_NE(completed, std::string::npos) << out;
        EXPECT_LT(firing, calling);
        EXPECT_LT(calling, completed);
        // The shipped script answers the event with a window.
        EXPECT_EQ(game.game->universe().displays.size(), 1u);

        EXPECT_TRUE(game.goOn);
        game.press(SDLK_q);
        game.frame();
        EXPECT_FALSE(game.goOn);
    });
}
