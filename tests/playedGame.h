// A test fixture for playing the real game end to end: a private copy of the shipped data, the
// binary started in it under the test's X display, and the few moves every such test makes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "autopilot.h"
#include "basics.h"
#include "gameProcess.h"
#include "testSupport.h"

// How long a start-up may take on a loaded machine.
constexpr double GAME_STARTUP_SECONDS = 30.0;
// The longest flight a trip test waits for the autopilot.
constexpr double TRIP_FLIGHT_SECONDS = 300.0;
constexpr int AUTOPILOT_SLOT = 2;  // the autopilot's quick saves
constexpr int PLAYER_SLOT = 1;     // the player's own save

// Where the shipped script's planet window puts things, in percent of the screen.
namespace planetWindowLayout {
const point AMOUNT_BUTTON{84.0f, 69.5f};
const point JOBS_BUTTON{69.0f, 69.7f};
const point CLOSE_BUTTON{85.0f, 21.7f};
const point SCROLL_DOWN{93.45f, 33.0f};
const point FIRST_ACCEPT{87.5f, 61.7f};
const point THIRD_ACCEPT{87.5f, 45.7f};
const float BUY_X = 73.0f, SELL_X = 80.0f, ITEM_BUY_X = 87.5f;
const int VISIBLE_ROWS = 9;
// Centre height of market row `row` (1 is the goods header).
inline float rowY(int row) { return 65.7f - 4.0f * static_cast<float>(row - 1); }
}  // namespace planetWindowLayout

// The 1-based place of `name` in `list` (as the script's market rows count), 0 when absent.
inline int indexOf(const std::vector<std::string>& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == name) return static_cast<int>(i) + 1;
    return 0;
}

// What the game prints for each element when a window tells the script of a change.
constexpr const char* ELEMENT_REPORT = ", type";

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
    // The flight window, taking off first when the ship is (or has just come) down on a planet:
    // a ship loaded in flight beside a planet may land on it again.
    void openFlightWindow(Autopilot& pilot);

    TempDir work;
    std::unique_ptr<GameProcess> game = std::make_unique<GameProcess>(work.path());
};
