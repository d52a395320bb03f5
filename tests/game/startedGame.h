// The real game in a test: started on a private copy of the shipped content with scripted
// input, played in a child process of its own (the game opens a window and enters its data
// directory, so each test needs a fresh process; the parent only waits for the verdict).
#pragma once

#include <boost/filesystem.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "basics.h"
#include "gameMain.h"

class InputState;
class Player;
class Universe;

// Runs `play` in a child process and fails unless the child ends normally with every
// expectation met; the child prints its own failures. A child still playing after `seconds`
// (start-up included) is taken for hung.
void inChild(const std::function<void()>& play, unsigned seconds = 120);

// The game started on a private copy of the shipped content, with scripted input and, unless
// asked for, no sound. `prepare` may change the copy first. Leaves the working directory as it
// found it.
class StartedGame {
public:
    explicit StartedGame(const std::function<void(const boost::filesystem::path&)>& prepare = {},
                         bool sound = false);
    ~StartedGame();
    StartedGame(const StartedGame&) = delete;
    StartedGame& operator=(const StartedGame&) = delete;

    // One frame `ms` after the previous one; answers what it printed. `goOn` is false once the
    // game asked to quit.
    std::string frame(uint32_t ms = 16);
    // `count` frames of 16 ms; answers what they printed.
    std::string frames(int count);
    Universe& universe();
    InputState& input();
    Player& player();
    // Relative mouse motion for the next frame, played at once.
    void moveMouse(int dx, int dy);
    void press(int key);
    void wheel(int button);
    // The cursor's game position relative to the player.
    point cursorOffset();
    // Runs Lua code in the game's script state; answers what it printed.
    std::string script(const std::string& code);

    boost::filesystem::path directory;
    boost::filesystem::path previousDirectory;
    std::unique_ptr<Game> game;
    std::string startOutput;
    bool started = false;
    bool goOn = true;
    uint32_t now = 0;
};
