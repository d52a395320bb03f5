// Plays the real frame loop with a script that misbehaves, and checks that the game goes on: a
// short scripted input reaches every entry point of the script at least twice (the top level
// and "addUI" at start-up once each) - two e events, two clicks on the window the second one
// opens, a save and two loads, and the planets' ticks - then presses q. After every frame the
// Lua stack must be exactly as high as after start-up, every frame must run, and q must end
// the game. tests/scriptFaultTest.cpp writes the faulty scripts and checks what was printed.
//
// usage: quorble_fault_play GAME_DIRECTORY
// Plays in GAME_DIRECTORY (content with its ui.lua; saves are written there). Exit status 0
// when every frame ran, the stack stayed level and q ended the game.
#include <SDL/SDL.h>

#include <iostream>

#include "displayWait.h"
#include "gameMain.h"
#include "glDriverPin.h"
#include "input.h"
#include "scriptGuard.h"
#include "worldState.h"

namespace {

// Long frames, so the planets tick every tenth frame.
constexpr uint32_t FRAME_TICKS = 50;
constexpr int QUIT_FRAME = 45;

void keyDown(InputState& input, int key, bool shift = false) { input.pushEvent({InputEvent::KeyDown, key, shift}); }

// A left click where the cursor rests, the middle of the screen.
void leftButton(InputState& input, bool down) {
    input.pushEvent({down ? InputEvent::ButtonDown : InputEvent::ButtonUp, SDL_BUTTON_LEFT});
    input.setButtons(down ? 1 : 0);
}

void scriptFrame(int frame, InputState& input) {
    switch (frame) {
    case 5:
    case 10: keyDown(input, SDLK_e); break;
    case 15:
    case 20: leftButton(input, true); break;
    case 16:
    case 21: leftButton(input, false); break;
    case 25: keyDown(input, SDLK_F1, true); break;
    case 30:
    case 35: keyDown(input, SDLK_F1); break;
    case QUIT_FRAME: keyDown(input, SDLK_q); break;
    default: break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: quorble_fault_play GAME_DIRECTORY" << std::endl;
        return 2;
    }
    GameOptions options;
    options.dataDirectory = argv[1];
    options.sdlInput = false;
    options.sound = false;
    Game game(options);
    if (!waitForDisplay()) std::cerr << "fault play: the X server does not answer" << std::endl;
    if (game.startUp(0, nullptr) != 0) {
        std::cerr << "fault play: the game did not start" << std::endl;
        return 1;
    }
    pinGlDriver();
    int status = 0;
    const int height = lua_gettop(game.lua());
    if (height != 0) {
        std::cerr << "fault play: start-up left " << height << " values on the Lua stack" << std::endl;
        status = 1;
    }
    uint32_t now = SDL_GetTicks();
    int endedAt = -1;
    for (int frame = 0; frame <= QUIT_FRAME + 5; ++frame) {
        scriptFrame(frame, game.universe().input);
        now += FRAME_TICKS;
        const bool goOn = game.frame(now);
        const int after = lua_gettop(game.lua());
        if (after != height) {
            std::cerr << "fault play: the Lua stack went from " << height << " to " << after << " in frame " << frame
                      << std::endl;
            status = 1;
        }
        if (!goOn) {
            endedAt = frame;
            break;
        }
    }
    if (endedAt != QUIT_FRAME) {
        if (endedAt < 0)
            std::cerr << "fault play: q did not end the game" << std::endl;
        else
            std::cerr << "fault play: the game ended in frame " << endedAt << ", before q" << std::endl;
        status = 1;
    }
    std::cerr << "fault play: " << endedAt + 1 << " frames, Lua stack at " << height << " throughout"
              << (status == 0 ? ", q ended the game" : " (see above)") << std::endl;
    std::cerr << "slowest script call: " << slowestScriptCall(game.lua()) << " ms of budget "
              << SCRIPT_CALL_BUDGET_MS << " ms" << std::endl;
    return status;
}
