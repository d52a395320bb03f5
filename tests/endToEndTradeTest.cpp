// The trading game end to end, as a new player would play it in the first minutes: land on the
// nearest planet, buy a good, fly to a planet that pays more for it, sell at a profit, buy an
// engine with the money and see the ship change; then save, quit, start again, load, and find
// the same credits, cargo and engine. The real binary under Xvfb, driven with xdotool; the
// flying is done by the autopilot (quick saves for eyes, held keys for hands).
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "autopilot.h"
#include "gameProcess.h"
#include "playedGame.h"
#include "testSupport.h"

namespace {

using namespace planetWindowLayout;

// Sums the numbers of every log line matching `pattern` (one group) after `from`.
long sumOf(const std::string& log, size_t from, const std::string& pattern, int* count = nullptr) {
    std::regex re(pattern);
    long total = 0;
    int n = 0;
    std::string tail = log.substr(std::min(from, log.size()));
    for (std::sregex_iterator it(tail.begin(), tail.end(), re), end; it != end; ++it) {
        total += std::stol((*it)[1]);
        ++n;
    }
    if (count) *count = n;
    return total;
}

class EndToEndTrade : public PlayedGame {
protected:
    // Opens the planet window, sets the amount to ten and clicks Buy or Sell on Crystals twice;
    // answers the credits that changed hands, from the status lines in the log.
    long tradeTwentyCrystals(const PlanetOrbit& planet, bool buying) {
        openWindow("planetWindow");
        clickFor(AMOUNT_BUTTON, "trade 5 at a time");
        clickFor(AMOUNT_BUTTON, "trade 10 at a time");
        const int row = indexOf(planet.goods, "Crystals") + 1;
        EXPECT_GT(row, 1) << planet.name << " trades no Crystals";
        const std::string done = buying ? "Bought 10 Crystals" : "Sold 10 Crystals";
        size_t before = game->outputSize();
        for (int click = 0; click < 2; ++click) clickFor({buying ? BUY_X : SELL_X, rowY(row)}, "Lua debug:" + done);
        int trades = 0;
        long credits = sumOf(game->output(), before, done + " for (\\d+) cr", &trades);
        EXPECT_EQ(2, trades);
        return credits;
    }
};

}  // namespace

TEST_F(EndToEndTrade, LandBuyFlySellFitSaveQuitAndLoad) {
    startGame();
    Autopilot pilot(*game, AUTOPILOT_SLOT);
    // After a load the planets stand exactly where the saved clock puts them: the autopilot
    // computes their orbits from that clock.
    game->key("shift+F3");
    game->pause(0.3);
    load(3);

    // The ship starts below the nearest planet and comes down on it by itself.
    ShipState state;
    for (int poll = 0; poll < 80 && !(state.landed && state.planet >= 0); ++poll) {
        game->pause(0.5);
        ASSERT_TRUE(pilot.read(state));
    }
    ASSERT_TRUE(state.landed) << "never landed";
    const PlanetOrbit* home = pilot.planet(state.planet);
    ASSERT_TRUE(home);
    EXPECT_EQ("Haven", home->name);
    const long startCredits = std::stol(state.data["credits"]);
    game->screenshot("trade-01-landed");

    // Buy twenty units of Crystals, ten at a time.
    const long spent = tradeTwentyCrystals(*home, true);
    game->screenshot("trade-02-bought");
    clickFor(CLOSE_BUTTON, ELEMENT_REPORT);
    ASSERT_TRUE(pilot.read(state));
    EXPECT_EQ("20", state.data["cargo_Crystals"]);
    EXPECT_EQ(startCredits - spent, std::stol(state.data["credits"]));

    // Fly to the planet of this world that pays most for Crystals. Only Cinder's price leaves
    // enough for the engine bought below: Verdance pays less, and the autopilot would take
    // whichever of the two lies nearer at take-off.
    takeOff(pilot);
    std::string flightLog;
    const long departed = state.time;
    const size_t beforeFlight = game->outputSize();
    state = pilot.flyTo({"Cinder"}, TRIP_FLIGHT_SECONDS, flightLog);
    ASSERT_TRUE(state.landed) << flightLog;
    const PlanetOrbit* market = pilot.planet(state.planet);
    ASSERT_TRUE(market);
    // A pirate or a star may disable the ship on the way: the tow's fee is paid and the flight
    // goes on from where it was towed to.
    const long towFees = sumOf(game->output(), beforeFlight, "Lua debug:Disabled! Towed to [^\\n]*tow fee (\\d+) cr");
    std::cout << "Flew from " << home->name << " to " << market->name << " in " << (state.time - departed) / 1000
              << " s of game time, " << towFees << " cr in tow fees\n";
    game->screenshot("trade-03-arrived");

    // Sell all twenty at a profit.
    size_t beforeSelling = game->outputSize();
    const long earned = tradeTwentyCrystals(*market, false);
    const long profit = sumOf(game->output(), beforeSelling, "profit \\+(\\d+)\\)");
    EXPECT_GT(earned, spent);
    EXPECT_EQ(earned - spent, profit);
    std::cout << "Bought 20 Crystals for " << spent << " cr, sold them for " << earned << " cr: profit " << profit
              << " cr, " << profit / 20.0 << " cr a unit\n";
    game->screenshot("trade-04-sold");

    // Buy a better engine with the money; it is fitted at once.
    const int engine = indexOf(market->equipment, "Kestrel Drive");
    ASSERT_GT(engine, 0);
    int row = 1 + static_cast<int>(market->goods.size()) + 1 + engine;
    for (; row > VISIBLE_ROWS; --row) clickFor(SCROLL_DOWN, "Lua debug:Market rows");
    clickFor({ITEM_BUY_X, rowY(row)}, "Lua debug:Fitted Kestrel Drive: thrust 6 -> 9");
    game->screenshot("trade-05-fitted");
    clickFor(CLOSE_BUTTON, ELEMENT_REPORT);

    // The flight window shows the new engine.
    takeOff(pilot);
    openFlightWindow(pilot);
    EXPECT_NE(game->output().rfind("Lua debug:Kestrel Drive:"), std::string::npos);
    game->screenshot("trade-06-flight-window");
    clickFor({50.0f, 23.0f}, ELEMENT_REPORT);

    // Save, quit, start again, load: the same credits, cargo and engine.
    ShipState saved;
    ASSERT_TRUE(pilot.read(saved));
    game->key("shift+F" + std::to_string(PLAYER_SLOT));
    game->pause(0.5);
    EXPECT_EQ(startCredits - spent + earned - towFees - 2400, std::stol(saved.data["credits"]));
    EXPECT_EQ(0u, saved.data.count("cargo_Crystals"));
    EXPECT_EQ("Kestrel Drive", saved.engine);
    game->key("q");
    ASSERT_EQ(0, game->waitForExit(10.0));

    game = std::make_unique<GameProcess>(work.path());
    startGame();
    load(PLAYER_SLOT);
    Autopilot again(*game, AUTOPILOT_SLOT + 2);
    ShipState loaded;
    ASSERT_TRUE(again.read(loaded));
    EXPECT_EQ(saved.data, loaded.data);
    EXPECT_EQ("Kestrel Drive", loaded.engine);
    openFlightWindow(again);
    EXPECT_NE(game->output().rfind("Lua debug:Kestrel Drive:"), std::string::npos);
    EXPECT_NE(game->output().rfind("Lua debug:" + saved.data["credits"] + ":"), std::string::npos);
    game->screenshot("trade-07-loaded");
    std::cout << "Credits: " << startCredits << " at the start, " << saved.data["credits"]
              << " after the round trip and the engine\n";
    game->key("q");
    EXPECT_EQ(0, game->waitForExit(10.0));
}
