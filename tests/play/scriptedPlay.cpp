// Plays the real frame loop for a number of frames with scripted input - thrust and turns, the
// zoom and depth keys, every weapon fired, gravity walls from both buttons, a script window
// opened and clicked, a save and a load, a warp, clearing the ships - and checks after every
// frame that the Lua stack is exactly as high as before it. The test suite runs it natively;
// scripts/memcheck runs it under valgrind, where a few hundred frames take minutes.
//
// usage: quorble_scripted_play DATA_DIRECTORY [FRAMES]
// Plays in a copy of DATA_DIRECTORY, so its saves are never touched. Exit status 0 when every
// frame ran and the stack stayed level.
#include <SDL/SDL.h>
#include <lua5.1/lua.hpp>

#include <boost/filesystem.hpp>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "contentCopy.h"
#include "displayWait.h"
#include "gameMain.h"
#include "glDriverPin.h"
#include "input.h"
#include "player.h"
#include "scriptGuard.h"
#include "worldState.h"
#include "wormhole.h"

namespace fs = boost::filesystem;

namespace {

constexpr uint32_t FRAME_TICKS = 16;

void keyDown(InputState& input, int key, bool shift = false) { input.pushEvent({InputEvent::KeyDown, key, shift}); }

void click(InputState& input, int button, bool down) {
    input.pushEvent({down ? InputEvent::ButtonDown : InputEvent::ButtonUp, button});
    const unsigned char bit = static_cast<unsigned char>(1u << (button - 1));
    input.setButtons(down ? (input.buttonMask() | bit) : (input.buttonMask() & ~bit));
}

// The input of frame `frame` of `last`: held keys for stretches, single events at moments.
void scriptFrame(int frame, int last, Universe& universe) {
    InputState& input = universe.input;
    auto within = [frame](int from, int to) { return frame >= from && frame < to; };
    input.setKey(SDLK_w, within(0, 60) || within(210, last));
    input.setKey(SDLK_a, within(60, 80));
    input.setKey(SDLK_d, within(80, 100));
    input.setKey(SDLK_s, within(100, 110));
    input.setKey(SDLK_SPACE, within(40, 120) || within(220, last));
    if (within(0, 60)) input.addMotion(5, 2);

    if (frame >= 40 && frame < 120 && frame % 10 == 0) keyDown(input, SDLK_1 + (frame / 10) % 7);
    switch (frame) {
    case 20: click(input, SDL_BUTTON_WHEELUP, true); break;
    case 25:
        click(input, SDL_BUTTON_WHEELDOWN, true);
        click(input, SDL_BUTTON_WHEELDOWN, true);
        break;
    case 30: keyDown(input, SDLK_n); break;
    case 35: keyDown(input, SDLK_m); break;
    case 120: click(input, SDL_BUTTON_LEFT, true); break;
    case 130: click(input, SDL_BUTTON_LEFT, false); break;
    case 135: click(input, SDL_BUTTON_RIGHT, true); break;
    case 145: click(input, SDL_BUTTON_RIGHT, false); break;
    case 150: keyDown(input, SDLK_e); break;
    case 155:
        click(input, SDL_BUTTON_LEFT, true);
        break;
    case 156: click(input, SDL_BUTTON_LEFT, false); break;
    case 160: keyDown(input, SDLK_e); break;
    case 170: keyDown(input, SDLK_F1, true); break;
    case 180: keyDown(input, SDLK_F1); break;
    case 190:
        // Onto the first wormhole of the world the player is in: the next frames warp it.
        if (!universe.currentWorld().wormholes.empty())
            universe.player->setPosition(universe.currentWorld().wormholes.front().getLoc());
        break;
    case 200: keyDown(input, SDLK_c); break;
    case 220: keyDown(input, SDLK_2); break;
    default: break;
    }
    if (frame == last) input.pushEvent({InputEvent::Quit, 0});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: quorble_scripted_play DATA_DIRECTORY [FRAMES]" << std::endl;
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : 300;
    const fs::path playDirectory = fs::temp_directory_path() / fs::unique_path("quorble-play-%%%%-%%%%");
    if (!copyContent(fs::absolute(argv[1]), playDirectory)) return 2;

    int status = 0;
    {
        GameOptions options;
        options.dataDirectory = playDirectory.string();
        options.sdlInput = false;
        Game game(options);
        if (!waitForDisplay()) std::cerr << "scripted play: the X server does not answer" << std::endl;
        if (game.startUp(0, nullptr) != 0) {
            std::cerr << "scripted play: the game did not start" << std::endl;
            status = 1;
        } else {
            pinGlDriver();
            const int height = lua_gettop(game.lua());
            const int firstWorld = game.universe().player->getWorld();
            uint32_t now = SDL_GetTicks();
            int played = 0;
            bool saved = false, warped = false;
            for (int frame = 0; frame <= frames; ++frame) {
                scriptFrame(frame, frames, game.universe());
                now += FRAME_TICKS;
                const bool goOn = game.frame(now);
                const int after = lua_gettop(game.lua());
                if (after != height) {
                    std::cerr << "scripted play: the Lua stack went from " << height << " to " << after
                              << " in frame " << frame << std::endl;
                    status = 1;
                }
                if (!goOn) break;
                ++played;
                saved = saved || fs::exists(playDirectory / "saves" / "1" / "universeSAV.xml");
                warped = warped || game.universe().player->getWorld() != firstWorld;
            }
            // The script must really have reached what it means to exercise.
            if (frames > 200 && (!saved || !warped)) {
                std::cerr << "scripted play: " << (saved ? "" : "no save was written; ")
                          << (warped ? "" : "the player never warped") << std::endl;
                status = 1;
            }
            if (played != frames) {
                std::cerr << "scripted play: quit after " << played << " of " << frames << " frames" << std::endl;
                status = 1;
            }
            std::cerr << "scripted play: " << played << " frames, Lua stack at " << height << " throughout"
                      << (status == 0 ? "" : " (see above)") << std::endl;
            // Normal play must stay far below the budget that stops runaway scripts.
            std::cerr << "slowest script call: " << slowestScriptCall(game.lua()) << " ms of budget "
                      << SCRIPT_CALL_BUDGET_MS << " ms" << std::endl;
        }
    }
    boost::system::error_code ignored;
    fs::remove_all(playDirectory, ignored);
    return status;
}
