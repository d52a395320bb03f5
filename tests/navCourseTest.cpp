// The way-finding engine functions and the course behind the HUD marker: routes through the
// worlds' wormholes, the wormhole list and ship position, setNavTarget's refusals, and the course
// kept by a save.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "courseMarker.h"
#include "hud.h"
#include "navCourse.h"
#include "startLua.h"
#include "scriptedUniverse.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

struct RouteCase {
    const char* name;
    std::vector<WormholeLink> links;
    int worlds, from, to;
    point position;
    int expected;
};

class Routes : public testing::TestWithParam<RouteCase> {};

// A ring 0 -> 1 -> 2 -> 3 -> 0 with a short cut 0 -> 2, and a dead end 4 that nothing reaches.
const std::vector<WormholeLink> RING = {
    {0, {0, 0}, 1}, {1, {0, 0}, 2}, {2, {0, 0}, 3}, {3, {0, 0}, 0}, {0, {100, 0}, 2}, {4, {0, 0}, 0},
};

const RouteCase ROUTE_CASES[] = {
    {"SameWorldNeedsNoJump", RING, 5, 0, 0, {0, 0}, -1},
    {"DirectLink", RING, 5, 1, 2, {0, 0}, 1},
    {"ShortCutBeatsTheRing", RING, 5, 0, 3, {0, 0}, 4},
    {"LongWayRound", RING, 5, 1, 0, {0, 0}, 1},
    {"UnreachableWorld", RING, 5, 0, 4, {0, 0}, -1},
    {"DeadEndStillLeavesItsWorld", RING, 5, 4, 2, {0, 0}, 5},
    {"UnknownWorlds", RING, 5, 0, 9, {0, 0}, -1},
    {"NegativeWorld", RING, 5, -1, 2, {0, 0}, -1},
    {"NoWorlds", RING, 0, 0, 1, {0, 0}, -1},
    // Of two equally short first jumps, the one nearer the ship.
    {"NearerOfTwoEqualJumps", {{0, {-5000, 0}, 1}, {0, {5000, 0}, 1}}, 2, 0, 1, {4000, 0}, 1},
    {"FirstOfTwoEqualDistances", {{0, {-5000, 0}, 1}, {0, {5000, 0}, 1}}, 2, 0, 1, {0, 0}, 0},
    // A wormhole back into its own world and one leading out of the table never help.
    {"SelfLoopAndBadTargetsIgnored", {{0, {0, 0}, 0}, {0, {0, 0}, 7}, {0, {0, 0}, -3}, {0, {9, 9}, 1}}, 2, 0, 1,
     {0, 0}, 3},
};

TEST_P(Routes, FirstJumpOfTheShortestRoute) {
    const RouteCase& c = GetParam();
    EXPECT_EQ(c.expected, firstJumpTowards(c.links, c.worlds, c.from, c.to, c.position));
}

INSTANTIATE_TEST_SUITE_P(NavCourse, Routes, testing::ValuesIn(ROUTE_CASES),
                         [](const testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

class NavFunctions : public ScriptedUniverse {
protected:
    void SetUp() override { startWith(QUIET_SCRIPT); }
};

}  // namespace

TEST_F(NavFunctions, ListsEveryWormholeAndWhereTheShipIs) {
    universe->player->setPosition({120.5f, -9000.0f});
    universe->player->setVelocity({0.25f, -0.5f});
    ASSERT_EQ("", run(R"(
        local list = {}
        for _, w in ipairs(getWormholes()) do
            list[#list + 1] = table.concat({w.world, w.x, w.y, w.radius, w.targetWorld, w.targetX, w.targetY}, ' ')
        end
        wormholes = table.concat(list, '|')
        local s = getPlayerShip()
        ship = table.concat({s.x, s.y, s.vx, s.vy, s.world}, ' ')
    )"));
    EXPECT_EQ("0 20000 0 300 1 0 20000|1 0 20000 300 0 20000 0", text("wormholes"));
    EXPECT_EQ("120.5 -9000 0.25 -0.5 0", text("ship"));
}

TEST_F(NavFunctions, CourseIsSetReadAndClearedByPlanetId) {
    ASSERT_EQ("", run("before = getNavTarget(); ok = tostring(setNavTarget(2)); after = getNavTarget()"));
    EXPECT_EQ("-1", text("before"));
    EXPECT_EQ("true", text("ok"));
    EXPECT_EQ("2", text("after"));
    EXPECT_EQ("", out);
    EXPECT_EQ(2, universe->course.target());
    ASSERT_EQ("", run("ok = tostring(setNavTarget(-1)); after = getNavTarget()"));
    EXPECT_EQ("true", text("ok"));
    EXPECT_EQ("-1", text("after"));
}

TEST_F(NavFunctions, BadTargetsAreRefusedAndLeaveTheCourse) {
    ASSERT_EQ("", run("setNavTarget(1)"));
    struct Bad {
        const char* call;
        const char* message;
    };
    const Bad bad[] = {
        {"setNavTarget()", "Error, setNavTarget: a planet id is a number, not no value\n"},
        {"setNavTarget('1')", "Error, setNavTarget: a planet id is a number, not string\n"},
        {"setNavTarget({})", "Error, setNavTarget: a planet id is a number, not table\n"},
        {"setNavTarget(nil)", "Error, setNavTarget: a planet id is a number, not nil\n"},
        {"setNavTarget(3)", "Error, setNavTarget: there is no planet 3 (planets are 0 to 3 less one, -1 clears the course)\n"},
        {"setNavTarget(-2)", "Error, setNavTarget: there is no planet -2 (planets are 0 to 3 less one, -1 clears the course)\n"},
        {"setNavTarget(0.5)", "Error, setNavTarget: there is no planet 0.5 (planets are 0 to 3 less one, -1 clears the course)\n"},
        {"setNavTarget(1e300)", "Error, setNavTarget: there is no planet inf (planets are 0 to 3 less one, -1 clears the course)\n"},
        {"setNavTarget(0/0)", "Error, setNavTarget: a planet id is a whole number, not NaN\n"},
        {"setNavTarget(-1/0)", "Error, setNavTarget: there is no planet -inf (planets are 0 to 3 less one, -1 clears the course)\n"},
    };
    for (const Bad& b : bad) {
        ASSERT_EQ("", run(std::string("a, b = ") + b.call)) << b.call;
        EXPECT_EQ(b.message, out) << b.call;
        EXPECT_EQ("<nil>", text("a")) << b.call;
        // The reason is the message without its "Error, " and line end.
        EXPECT_EQ(std::string(b.message).substr(7, std::string(b.message).size() - 8), text("b")) << b.call;
        EXPECT_EQ(1, universe->course.target()) << b.call;
    }
}

TEST_F(NavFunctions, TheCourseSurvivesASaveAndAnEmptyOneStaysEmpty) {
    ASSERT_EQ("", run("setNavTarget(2)"));
    ASSERT_TRUE(saveAndLoad());
    EXPECT_EQ(2, universe->course.target());
    EXPECT_NE(std::string::npos, dir.read("saves/1/PlayerDataSAV.xml").find("navTarget=\"2\""));

    ASSERT_EQ("", run("setNavTarget(-1)"));
    ASSERT_TRUE(saveAndLoad());
    EXPECT_EQ(NO_COURSE, universe->course.target());
    EXPECT_EQ(std::string::npos, dir.read("saves/1/PlayerDataSAV.xml").find("navTarget"));

    // A course set after a save is replaced by the save's (none) when that save loads.
    ASSERT_EQ("", run("setNavTarget(0)"));
    bool loaded = false;
    out = captureOutput([&] { loaded = universe->loadGame("1", L); });
    ASSERT_TRUE(loaded);
    EXPECT_EQ(NO_COURSE, universe->course.target());
}

TEST_F(NavFunctions, ASavedCourseToNoPlanetLoadsWithNone) {
    ASSERT_EQ("", run("setNavTarget(2)"));
    ASSERT_TRUE(saveAndLoad());
    for (const char* bad : {"99", "-5", "1.5", "nonsense"}) {
        std::string text = dir.read("saves/1/PlayerDataSAV.xml");
        const size_t at = text.find("navTarget=\"");
        ASSERT_NE(std::string::npos, at);
        const size_t end = text.find('"', at + 11);
        text.replace(at + 11, end - at - 11, bad);
        { std::ofstream(dir.path() + "saves/1/PlayerDataSAV.xml", std::ios::binary) << text; }
        bool loaded = false;
        out = captureOutput([&] { loaded = universe->loadGame("1", L); });
        ASSERT_TRUE(loaded) << bad;
        EXPECT_EQ(NO_COURSE, universe->course.target()) << bad;
        EXPECT_NE(std::string::npos, out.find("Error, the saved course leads to planet " + std::string(bad))) << bad;
    }
}

TEST_F(NavFunctions, TheLegPointsAtThePlanetOrTheFirstWormhole) {
    universe->player->setPosition({0.0f, -10000.0f});
    CourseLeg none = courseLeg(*universe, NO_COURSE);
    EXPECT_FALSE(none.valid);
    EXPECT_FALSE(courseLeg(*universe, 17).valid);

    CourseLeg home = courseLeg(*universe, 1);
    ASSERT_TRUE(home.valid);
    EXPECT_FALSE(home.throughWormhole);
    EXPECT_EQ("Luna (Alpha)", home.label);
    EXPECT_NEAR(pointDistance({0.0f, -10000.0f}, home.target), home.distance, 0.5f);

    CourseLeg away = courseLeg(*universe, 2);
    ASSERT_TRUE(away.valid);
    EXPECT_TRUE(away.throughWormhole);
    EXPECT_EQ("wormhole to Beta", away.label);
    EXPECT_EQ("Rock", away.planetName);
    EXPECT_EQ(1, away.nextWorld);
    EXPECT_FLOAT_EQ(20000.0f, away.target.x);
    EXPECT_FLOAT_EQ(0.0f, away.target.y);
    EXPECT_NEAR(pointDistance({0.0f, -10000.0f}, {20000.0f, 0.0f}), away.distance, 0.5f);

    // Announced once per change of what the marker points at.
    NavCourse course;
    EXPECT_EQ("Course: wormhole to Beta\n", captureOutput([&] { course.announce(away); }));
    EXPECT_EQ("", captureOutput([&] { course.announce(away); }));
    EXPECT_EQ("Course: Luna (Alpha)\n", captureOutput([&] { course.announce(home); }));
    EXPECT_EQ("Course: none\n", captureOutput([&] { course.announce(none); }));
}

namespace {
struct PlacementCase {
    point ship, target;
    point tipOffset;  // tip minus the screen centre
};
}  // namespace

TEST(CourseMarker, TheArrowPointsFromTheShipAtTheTargetAndItsLabelClearsTheTip) {
    const point centre{640.0f, 512.0f};
    const PlacementCase cases[] = {
        {{0, 0}, {1000, 0}, {120, 0}},     {{0, 0}, {0, -50}, {0, -120}}, {{10, 10}, {-990, 10}, {-120, 0}},
        {{0, 0}, {300, 400}, {72, 96}},    {{5, 5}, {5, 5}, {0, 120}},    // on the ship: straight up
    };
    for (const PlacementCase& c : cases) {
        const MarkerPlacement p = markerPlacement(c.ship, c.target, centre, 100.0f, 20.0f);
        EXPECT_NEAR(centre.x + c.tipOffset.x, p.tip.x, 0.01f);
        EXPECT_NEAR(centre.y + c.tipOffset.y, p.tip.y, 0.01f);
        EXPECT_NEAR(std::atan2(c.tipOffset.y, c.tipOffset.x), p.angle, 1e-4f);
        // The label box (100 by 20 half sizes) lies beyond the tip, clear of it.
        const bool clearAcross = std::fabs(p.labelCentre.x - p.tip.x) > 100.0f;
        const bool clearUp = std::fabs(p.labelCentre.y - p.tip.y) > 20.0f;
        EXPECT_TRUE(clearAcross || clearUp) << c.target.x << "," << c.target.y;
        EXPECT_GT(pointDistance(p.labelCentre, centre), pointDistance(p.tip, centre));
    }
}

TEST_F(NavFunctions, TheMarkerSaysWhereItLeadsAndHowFar) {
    universe->player->setPosition({0.0f, -10000.0f});
    CourseLeg home = courseLeg(*universe, 1);
    EXPECT_EQ("Luna", markerTitle(home));
    home.distance = 1234.6f;
    EXPECT_EQ("1235 units", markerDetail(home));
    CourseLeg away = courseLeg(*universe, 2);
    EXPECT_EQ("Wormhole to Beta", markerTitle(away));
    EXPECT_EQ(std::to_string(std::lround(away.distance)) + " units, on the way to Rock", markerDetail(away));
    EXPECT_EQ("", markerTitle(courseLeg(*universe, NO_COURSE)));
}

TEST_F(NavFunctions, TheMapNamesTheDotUnderTheCursor) {
    const point player{0.0f, -10000.0f};
    universe->player->setPosition(player);
    WorldState& world = universe->worlds[0];
    const Planet& terra = world.stars[0].getPlanets()[0];
    struct Hover {
        point game;
        std::string label;
    };
    const Hover hovers[] = {
        {world.stars[0].getLoc(), "Star Sol"},
        {terra.getLoc(), "Terra (" + ownerLabel(*universe, terra.getPlanetData().factionOwner) + ")"},
        {{20000.0f, 0.0f}, "Wormhole to Beta"},
        {{-60000.0f, -60000.0f}, ""},
    };
    for (const Hover& hover : hovers) {
        const point pixel = gameToMap(hover.game, player);
        const point back = mapToGame(pixel, player);
        EXPECT_NEAR(hover.game.x, back.x, 1.0f);
        EXPECT_NEAR(hover.game.y, back.y, 1.0f);
        EXPECT_EQ(hover.label, mapHoverLabel(*universe, pixel)) << hover.label;
    }
    // The map's centre is the player; off the panel nothing is named.
    EXPECT_TRUE(onMapPanel(gameToMap(player, player)));
    EXPECT_EQ("", mapHoverLabel(*universe, {10.0f, 10.0f}));
}
