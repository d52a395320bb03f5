// Fighting is worth it from the start: the home world's bounties can be done with the ship a new
// pilot starts with. The real game, its shipped content and script; the test pilot takes both
// of Haven's bounties (the board offers one of the two factions), is put where the hunted ships
// come (the flight there is the guided trip's business), aims with the mouse and fires the
// starting pulse gun at every hostile ship in range, until a bounty is paid.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include "input.h"
#include "player.h"
#include "startedGame.h"
#include "worldState.h"

namespace {

// Haven's enemies: the Reaver Clans and the Black Sun Syndicate; two ships of each.
const int HUNTED_FACTIONS[] = {1, 5};
const char* const JOB_KEYS[] = {"job_1", "job_2"};
const int PAY_EACH = 600;
const uint32_t FRAME_MS = 33;                      // a slow machine's frame: fewer frames to draw
const int FIGHT_FRAMES = 150 * 1000 / FRAME_MS;  // two and a half minutes of game time
const float AIM_DISTANCE = 600.0f;          // where the cursor is put along the line to the target
const float FIRING_RANGE = 2500.0f;        // the pulse gun reaches 4000; nearer, it hits more often
const point WAITING_PLACE{0.0f, 12000.0f};  // away from where the world's ships gather: they come one by one

// The pilot's data under `key`, "" when there is none.
std::string pilotValue(const Player& player, const std::string& key) {
    for (const luaStringPair& pair : player.getExtraData())
        if (pair.key == key) return pair.value;
    return "";
}

}  // namespace

TEST(GameBounty, TheStartingShipFinishesAHavenBountyWithoutBeingDisabled) {
    inChild(
        [] {
            StartedGame game;
            ASSERT_TRUE(game.started) << game.startOutput;
            for (int i = 0; i < 2000 && !game.player().isLanded(); ++i) game.frame();
            ASSERT_TRUE(game.player().isLanded()) << "Haven did not catch the ship";
            const int haven = game.player().getPlanetId();
            const std::string from = std::to_string(haven);
            game.script("local d = getPlayerData()\n"
                        "d.job_1 = 'bounty;test:0:1;" + from + ";" + std::to_string(PAY_EACH) + ";1;2;0;0'\n"
                        "d.job_2 = 'bounty;test:0:2;" + from + ";" + std::to_string(PAY_EACH) + ";5;2;0;0'\n"
                        "setPlayerData(d)");
            ASSERT_FALSE(pilotValue(game.player(), JOB_KEYS[1]).empty()) << "the bounties were not taken";
            const float creditsBefore = std::stof(pilotValue(game.player(), "credits"));

            // Off the planet, then to where the ships of the world gather.
            for (int attempt = 0; attempt < 8 && game.player().isLanded(); ++attempt) {
                game.frames(30);
                game.input().setKey(SDLK_s, true);
                game.frames(60);
                game.input().setKey(SDLK_s, false);
                game.input().setKey(SDLK_w, true);
                game.frames(20);
                game.input().setKey(SDLK_w, false);
            }
            ASSERT_FALSE(game.player().isLanded());
            game.player().setPosition(WAITING_PLACE);
            game.player().setVelocity({0.0f, 0.0f});

            // How far the cursor moves in the world for a pixel of mouse motion.
            const point start = game.cursorOffset();
            game.moveMouse(40, 40);
            const point moved = game.cursorOffset();
            const float perPixelX = (moved.x - start.x) / 40.0f;
            const float perPixelY = (moved.y - start.y) / 40.0f;
            ASSERT_GT(std::fabs(perPixelX), 0.01f);
            ASSERT_GT(std::fabs(perPixelY), 0.01f);

            bool open[2] = {true, true};
            std::string printed;
            float lowest = game.player().getHealth();
            int frame = 0;
            WorldState& world = game.universe().currentWorld();
            for (; frame < FIGHT_FRAMES && open[0] && open[1]; ++frame) {
                const point here = game.player().getPosition();
                const Ship* target = nullptr;
                float nearest = 0.0f;
                for (const Ship& ship : world.ships) {
                    const int faction = static_cast<int>(ship.getFaction());
                    // Both factions are hostile: a pilot fights back whichever bounty is left.
                    if (faction != HUNTED_FACTIONS[0] && faction != HUNTED_FACTIONS[1]) continue;
                    const float d = pointDistance(ship.getPosition(), here);
                    if (!target || d < nearest) target = &ship, nearest = d;
                }
                if (target && nearest > 0.0f) {
                    const point to{target->getPosition().x - here.x, target->getPosition().y - here.y};
                    const float reach = std::min(nearest, AIM_DISTANCE) / nearest;
                    const point now = game.cursorOffset();
                    game.input().addMotion(static_cast<int>((to.x * reach - now.x) / perPixelX),
                                           static_cast<int>((to.y * reach - now.y) / perPixelY));
                }
                game.input().setKey(SDLK_SPACE, target && nearest < FIRING_RANGE);
                printed += game.frame(FRAME_MS);
                for (int k = 0; k < 2; ++k) {
                    const bool stillOpen = !pilotValue(game.player(), JOB_KEYS[k]).empty();
                    if (open[k] && !stillOpen)
                        std::cout << "Bounty on faction " << HUNTED_FACTIONS[k] << " done after "
                                  << frame * FRAME_MS / 1000 << " s, hull " << game.player().getHealth() << std::endl;
                    open[k] = stillOpen;
                }
                lowest = std::min(lowest, game.player().getHealth());
                ASSERT_EQ(printed.find("The ship is disabled"), std::string::npos)
                    << "the ship was disabled after " << frame * FRAME_MS / 1000 << " s of the fight";
            }
            game.input().setKey(SDLK_SPACE, false);
            std::cout << "A home-world bounty with the starting ship: " << frame * FRAME_MS / 1000
                      << " s of fighting, hull never below " << lowest << " of 1000" << std::endl;
            EXPECT_NE(printed.find("Bounty done: 2 "), std::string::npos) << "no bounty paid";
            EXPECT_FLOAT_EQ(std::stof(pilotValue(game.player(), "credits")), creditsBefore + PAY_EACH);
        },
        300);
}
