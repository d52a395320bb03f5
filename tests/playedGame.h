// A test fixture for playing the real game end to end: a private copy of the shipped data, the
// binary started in it under the test's X display, and the few moves every such test makes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "autopilot.h"
#include "basics.h"
#include "gameProcess.h"
#include "testSupport.h"

// How long a start-up may take on a loaded machine.
constexpr double GAME_STARTUP_SECONDS = 30.0;

class PlayedGame : public ::testing::Test {
protected:
    // Starts the binary and waits for its frame loop.
    void startGame();
    // F<slot>, and waits until the game says it loaded.
    void load(int slot);
    // The e key, and waits until the window called `name` is up.
    void openWindow(const std::string& name);
    // Clicks at `where` (percent of the screen) until the log shows `expected`.
    void clickFor(point where, const std::string& expected);
    // Charges with s and launches with w until the ship is off the planet, burning longer at
    // each attempt; reports every attempt that fell back.
    void takeOff(Autopilot& pilot);

    TempDir work;
    std::unique_ptr<GameProcess> game = std::make_unique<GameProcess>(work.path());
};
