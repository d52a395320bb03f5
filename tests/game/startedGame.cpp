#include "startedGame.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "contentCopy.h"
#include "displayWait.h"
#include "input.h"
#include "luaTables.h"
#include "player.h"
#include "testSupport.h"
#include "worldState.h"

namespace fs = boost::filesystem;

void inChild(const std::function<void()>& play, unsigned seconds) {
    std::cout.flush();
    std::fflush(stdout);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0) << "fork failed";
    if (pid == 0) {
        alarm(seconds);
        play();
        std::cout.flush();
        std::fflush(stdout);
        // No exit handlers: they belong to the parent's copy of the test run.
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the game's process died of signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the game's process reported the failures above";
}

StartedGame::StartedGame(const std::function<void(const fs::path&)>& prepare, bool sound)
    : directory(fs::temp_directory_path() / fs::unique_path("quorble-game-%%%%-%%%%")),
      previousDirectory(fs::current_path()) {
    if (!copyContent(shippedDataDirectory(), directory)) return;
    if (prepare) prepare(directory);
    if (!waitForDisplay()) std::cerr << "the X server does not answer" << std::endl;
    GameOptions options;
    options.dataDirectory = directory.string();
    options.sdlInput = false;
    options.sound = sound;
    game = std::make_unique<Game>(options);
    // ALUT wants an argument vector whenever it is given a count.
    static char name[] = "quorble";
    static char* argv[] = {name, nullptr};
    int status = 1;
    startOutput = captureOutput([&] { status = game->startUp(1, argv); });
    started = status == 0;
    now = SDL_GetTicks();
}

StartedGame::~StartedGame() {
    game.reset();
    boost::system::error_code ignored;
    fs::current_path(previousDirectory, ignored);
    fs::remove_all(directory, ignored);
}

std::string StartedGame::frame(uint32_t ms) {
    now += ms;
    return captureOutput([&] { goOn = game->frame(now); });
}

std::string StartedGame::frames(int count) {
    std::string printed;
    for (int i = 0; i < count; ++i) printed += frame();
    return printed;
}

Universe& StartedGame::universe() { return game->universe(); }
InputState& StartedGame::input() { return game->universe().input; }
Player& StartedGame::player() { return *game->universe().player; }

void StartedGame::moveMouse(int dx, int dy) {
    input().addMotion(dx, dy);
    frame();
}

void StartedGame::press(int key) { input().pushEvent({InputEvent::KeyDown, key}); }
void StartedGame::wheel(int button) { input().pushEvent({InputEvent::ButtonDown, button}); }

point StartedGame::cursorOffset() {
    point m = game->mouseGamePosition();
    point p = player().getPosition();
    return {m.x - p.x, m.y - p.y};
}

std::string StartedGame::script(const std::string& code) {
    return captureOutput([&] { luaL_dostring(game->lua(), code.c_str()); });
}
