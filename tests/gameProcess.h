// Runs the real game binary in a copy of the shipped data under the test's X display and
// drives it like a player: keys and mouse through xdotool, screenshots through ImageMagick.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "screenshot.h"

// For a child about to become the game: the silent sound device, and no leak check at exit.
void prepareGameEnvironment();

class GameProcess {
public:
    // Copies the shipped data into `workDirectory` (which must exist).
    explicit GameProcess(const std::string& workDirectory);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Starts the binary; `unsetDisplay` runs it without DISPLAY.
    bool start(bool unsetDisplay = false);
    // Waits until standard output holds `text` (after `from` characters); false on time-out.
    bool waitForOutput(const std::string& text, double seconds, size_t from = 0);
    // Waits for the process to end; its exit status, or -1 on time-out (the process is killed).
    int waitForExit(double seconds);
    bool running();

    std::string output() const;
    std::string errorOutput() const;
    size_t outputSize() const { return output().size(); }

    // xdotool actions on the game window.
    void key(const std::string& keys);
    void keyDown(const std::string& keys);
    void keyUp(const std::string& keys);
    void holdKey(const std::string& keys, double seconds);
    void click(int button);
    void mouseDown(int button);
    void mouseUp(int button);
    void moveMouseRelative(int dx, int dy);
    // Moves the game's software cursor to (x, y) percent of the screen: first into the lower
    // left corner, where it stops, then in small relative steps of 0.15 percent per count.
    void moveCursorTo(float x, float y);
    // Clicks the left button there and gives the game a moment to answer.
    void clickAt(float x, float y);
    // Clicks there until `expected` shows in the output after the click (at most `attempts`
    // tries, five seconds each). The game takes a click before it applies its frame's mouse
    // motion, so when a frame stalls the click can land where the cursor was. True once seen.
    bool clickUntil(float x, float y, const std::string& expected, int attempts = 3);
    // Asks the window to close, as a window manager's close button does.
    bool closeWindow();
    // Sends a signal to the game, as a desktop or a terminal does to end it.
    void sendSignal(int signal);
    // Saves a screenshot of the whole screen as PNG under `name` in the artefact folder and
    // returns its pixels.
    Screenshot screenshot(const std::string& name);
    void pause(double seconds) const;

    const std::string& directory() const { return dir; }

private:
    std::string windowId();

    std::string dir;
    pid_t pid = -1;
    int exitStatus = -1;
};
