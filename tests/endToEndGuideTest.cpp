// The first trip as a new pilot meets it: the real binary under Xvfb, driven with xdotool, doing
// only what the hints say and flying wherever the course marker points. It opens the market,
// buys the good the hint names, launches, follows the marker, lands, sells, takes a delivery,
// saves, quits, starts again and loads (the hints go on where they were), flies the delivery by
// the marker, is paid, buys the upgrade the hint names, and ends with a course through a
// wormhole. Screenshots of every hint and of the marker land in build/test-artefacts/.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "autopilot.h"
#include "gameProcess.h"
#include "playedGame.h"
#include "testSupport.h"

namespace {

using namespace planetWindowLayout;

const long NEW_PILOT_CREDITS = 1000;

class EndToEndTradeGuided : public PlayedGame {
protected:
    int shots = 0;

    void shot(const std::string& what) {
        char name[80];
        std::snprintf(name, sizeof name, "guide-%02d-%s", ++shots, what.c_str());
        game->pause(0.3);
        game->screenshot(name);
    }
    // The text of the first hint after `from` that starts with `start`; empty on time-out.
    std::string waitForHint(const std::string& start, double seconds, size_t from) {
        if (!game->waitForOutput("Hint: " + start, seconds, from)) return "";
        std::string out = game->output();
        size_t at = out.find("Hint: " + start, from) + 6;
        return out.substr(at, out.find('\n', at) - at);
    }
    // Where the course marker points, from its newest "Course: " line after `from`.
    std::string course(size_t from) {
        std::string out = game->output();
        size_t at = out.rfind("Course: ");
        if (at == std::string::npos || at < from) return "";
        at += 8;
        return out.substr(at, out.find('\n', at) - at);
    }
    static std::string planetOf(const std::string& course) {
        std::smatch what;
        return std::regex_match(course, what, std::regex("(.+) \\((.+)\\)")) ? std::string(what[1]) : "";
    }
    // Buys or sells twenty units of `good` (ten at a time) in the open planet window.
    void trade(const PlanetOrbit& planet, const std::string& good, bool buying) {
        clickFor(AMOUNT_BUTTON, "trade 5 at a time");
        clickFor(AMOUNT_BUTTON, "trade 10 at a time");
        const int row = indexOf(planet.goods, good) + 1;
        ASSERT_GT(row, 1) << planet.name << " trades no " << good;
        for (int click = 0; click < 2; ++click)
            clickFor({buying ? BUY_X : SELL_X, rowY(row)}, std::string("Lua debug:") + (buying ? "Bought " : "Sold "));
    }
    long creditsOf(Autopilot& pilot, long& time) {
        ShipState state;
        EXPECT_TRUE(pilot.read(state));
        time = state.time;
        return std::stol(state.data["credits"]);
    }
};

}  // namespace

TEST_F(EndToEndTradeGuided, AFirstTripByTheHintsAndTheCourseMarker) {
    startGame();
    EXPECT_NE(waitForHint("Press E when landed", 5.0, 0), "") << game->output();
    Autopilot pilot(*game, AUTOPILOT_SLOT);
    // After a load the planets stand where the saved clock puts them: the autopilot computes
    // their orbits from that clock. The hint stays on screen across the load.
    game->key("shift+F3");
    game->pause(0.3);
    load(3);
    ShipState state;
    for (int poll = 0; poll < 80 && !(state.landed && state.planet >= 0); ++poll) {
        game->pause(0.5);
        ASSERT_TRUE(pilot.read(state));
    }
    ASSERT_TRUE(state.landed) << "never landed";
    const long started = state.time;
    shot("press-e");

    // Open the market: the hint names the good to buy.
    size_t mark = game->outputSize();
    openWindow("planetWindow");
    std::string hint = waitForHint("Buy ", 5.0, mark);
    std::smatch what;
    ASSERT_TRUE(std::regex_match(hint, what, std::regex("Buy (.+) here: (.+) pays more.*"))) << hint;
    const std::string good = what[1];
    shot("buy");
    const PlanetOrbit* home = pilot.planet(state.planet);
    ASSERT_TRUE(home);
    mark = game->outputSize();
    trade(*home, good, true);
    EXPECT_NE(waitForHint("Close the window", 5.0, mark), "");
    if (course(mark).empty()) GTEST_SKIP() << "this build has no course marker (setNavTarget)";
    shot("launch");
    clickFor(CLOSE_BUTTON, ELEMENT_REPORT);

    // Launch and follow the marker.
    mark = game->outputSize();
    takeOff(pilot);
    hint = waitForHint("Follow the arrow", 5.0, mark);
    EXPECT_NE(hint, "");
    const std::string market = planetOf(course(0));
    ASSERT_NE(market, "") << course(0);
    EXPECT_NE(hint.find(market), std::string::npos) << hint;
    game->pause(1.0);
    shot("follow-marker");
    std::string flightLog;
    state = pilot.flyTo({market}, TRIP_FLIGHT_SECONDS, flightLog);
    ASSERT_TRUE(state.landed) << flightLog;
    EXPECT_NE(waitForHint("Press E and Sell", 5.0, mark), "");
    shot("sell");

    // Sell, then take the first delivery the board offers.
    openWindow("planetWindow");
    const PlanetOrbit* there = pilot.planet(state.planet);
    ASSERT_TRUE(there);
    mark = game->outputSize();
    trade(*there, good, false);
    EXPECT_NE(waitForHint("Press Jobs", 5.0, mark), "");
    long soldAt = 0;
    const long afterSale = creditsOf(pilot, soldAt);
    shot("take-a-job");
    clickFor(JOBS_BUTTON, "jobs offered here");
    shot("job-board");
    mark = game->outputSize();
    clickFor(FIRST_ACCEPT, "Lua debug:Accepted: Deliver ");
    const std::string out = game->output().substr(mark);
    ASSERT_TRUE(std::regex_search(out, what, std::regex("Accepted: Deliver (\\d+) (.+) to (.+) \\((.+)\\): (\\d+) cr")))
        << out;
    const std::string destination = what[3];
    const long pay = std::stol(what[5]);
    EXPECT_NE(waitForHint("Deliver it", 5.0, mark), "");
    shot("deliver");
    clickFor(CLOSE_BUTTON, ELEMENT_REPORT);

    // Save with the job, quit, start again, load: the job, the course and the hint come back.
    // The autopilot's way of saving waits until the slot holds the new save.
    Autopilot saver(*game, PLAYER_SLOT);
    ShipState saved;
    ASSERT_TRUE(saver.read(saved));
    EXPECT_EQ(0u, saved.data["job_1"].rfind("delivery;", 0)) << saved.data["job_1"];
    game->key("q");
    ASSERT_EQ(0, game->waitForExit(10.0));
    game = std::make_unique<GameProcess>(work.path());
    startGame();
    mark = game->outputSize();
    load(PLAYER_SLOT);
    EXPECT_NE(waitForHint("Deliver it", 5.0, mark), "") << game->output().substr(mark);
    Autopilot again(*game, AUTOPILOT_SLOT + 2);

    // The second flight, by the marker.
    takeOff(again);
    game->pause(1.0);
    shot("deliver-marker");
    EXPECT_EQ(destination, planetOf(course(0)));
    mark = game->outputSize();
    flightLog.clear();
    state = again.flyTo({planetOf(course(0))}, TRIP_FLIGHT_SECONDS, flightLog);
    ASSERT_TRUE(state.landed) << flightLog;
    EXPECT_NE(waitForHint("Delivered ", 5.0, mark), "");
    EXPECT_TRUE(game->waitForOutput("paid " + std::to_string(pay) + " cr", 1.0, mark));
    shot("paid");
    long deliveredAt = 0;
    const long afterDelivery = creditsOf(again, deliveredAt);
    EXPECT_EQ(afterSale + pay, afterDelivery);

    // The upgrade the hint names, from this planet's shipyard (landing again if the ship has
    // slipped off it meanwhile).
    hint = waitForHint("Buy an upgrade: ", 10.0, mark);
    ASSERT_TRUE(std::regex_match(hint, what, std::regex("Buy an upgrade: (.+) \\((\\d+) cr\\).*"))) << hint;
    const std::string item = what[1];
    const long price = std::stol(what[2]);
    ASSERT_TRUE(again.read(state));
    if (!state.landed) {
        flightLog.clear();
        state = again.flyTo({destination}, TRIP_FLIGHT_SECONDS, flightLog);
        ASSERT_TRUE(state.landed) << flightLog;
    }
    shot("upgrade");
    mark = game->outputSize();
    openWindow("planetWindow");
    EXPECT_NE(waitForHint("Buy an upgrade: " + item + " (" + std::to_string(price) + " cr), in the Shipyard", 5.0, 0), "");
    const PlanetOrbit* shop = again.planet(state.planet);
    ASSERT_TRUE(shop);
    const int index = indexOf(shop->equipment, item);
    ASSERT_GT(index, 0);
    int row = 1 + static_cast<int>(shop->goods.size()) + 1 + index;
    for (; row > VISIBLE_ROWS; --row) clickFor(SCROLL_DOWN, "Lua debug:Market rows");
    mark = game->outputSize();
    clickFor({ITEM_BUY_X, rowY(row)}, "Lua debug:Fitted " + item);
    EXPECT_NE(waitForHint("Well flown", 5.0, mark), "");
    long upgradedAt = 0;
    const long afterUpgrade = creditsOf(again, upgradedAt);
    EXPECT_EQ(afterDelivery - price, afterUpgrade);
    EXPECT_GT(afterUpgrade, NEW_PILOT_CREDITS - price);
    EXPECT_GT(afterUpgrade, NEW_PILOT_CREDITS) << "the trip and the job paid for more than the upgrade";
    shot("well-flown");

    // A delivery through a wormhole: the marker points at the wormhole that starts the way.
    clickFor(JOBS_BUTTON, "jobs offered here");
    mark = game->outputSize();
    clickFor(THIRD_ACCEPT, "Lua debug:Accepted: Deliver ");
    clickFor(CLOSE_BUTTON, ELEMENT_REPORT);
    takeOff(again);
    game->pause(1.0);
    EXPECT_EQ(0u, course(mark).rfind("wormhole to ", 0)) << course(mark);
    shot("wormhole-marker");

    std::printf("Guided trip, game time from the start: first sale %ld s (%ld cr), delivery %ld s (%ld cr, "
                "job paid %ld), upgrade %s for %ld at %ld s (%ld cr left)\n",
                (soldAt - started) / 1000, afterSale, (deliveredAt - started) / 1000, afterDelivery, pay, item.c_str(), price,
                (upgradedAt - started) / 1000, afterUpgrade);
    game->key("q");
    EXPECT_EQ(0, game->waitForExit(10.0));
}
