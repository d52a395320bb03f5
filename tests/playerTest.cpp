// Tests of the player's ship: heading wrap, world bounds, landing and the charged launch,
// weapon selection, firing arcs and cooldowns, the beam, the gravity tool, warps and the save.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "contentWorldTest.h"
#include "defaultVals.h"
#include "glHeaders.h"
#include "pixelProbe.h"
#include "player.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

constexpr float DEG = 0.017444f;  // the content files' degree factor

class PlayerTest : public ContentWorldTest {
protected:
    void SetUp() override {
        ContentWorldTest::SetUp();
        if (HasFatalFailure()) return;
        world().gravityWalls.clear();
    }

    Player& player() { return *universe->player; }
    void hold(int key, bool held = true) { universe->input.setKey(key, held); }
    // One player update with no buttons and the mouse at the origin.
    void step(int dt, unsigned char buttons = 0) { player().update(dt, {0.0f, 0.0f}, buttons, world()); }
};

// --- Flight -----------------------------------------------------------------------------------

struct WrapCase {
    float before;
    float after;
};

class HeadingWrapTest : public PlayerTest, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(HeadingWrapTest, WrapsOneStepPerFrame) {
    player().setAngle(GetParam().before);
    step(16);
    EXPECT_FLOAT_EQ(player().getTheta(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Headings, HeadingWrapTest,
                         ::testing::Values(WrapCase{-0.001f, 6.28218f}, WrapCase{6.29f, 6.29f},
                                           WrapCase{6.3f, 6.3f - 6.28318f}, WrapCase{3.0f, 3.0f},
                                           WrapCase{-7.0f, -7.0f + 6.28318f}));

TEST_F(PlayerTest, LeavingTheWorldStopsAtTheBoundAndZeroesThatVelocity) {
    player().setPosition({100000.5f, -100000.5f});
    player().setVelocity({-0.0001f, 0.0001f});
    step(1);
    EXPECT_FLOAT_EQ(player().getPosition().x, 100000.0f);
    EXPECT_FLOAT_EQ(player().getVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(player().getPosition().y, -100000.0f);
    EXPECT_FLOAT_EQ(player().getVelocity().y, 0.0f);
}

TEST_F(PlayerTest, SteeringKeysTurnAndThrust) {
    player().setAngle(1.0f);
    hold(SDLK_d);
    step(10);
    EXPECT_FLOAT_EQ(player().getTheta(), 1.0f - 0.004f * 10);
    hold(SDLK_d, false);
    hold(SDLK_a);
    step(10);
    EXPECT_FLOAT_EQ(player().getTheta(), 1.0f);

    hold(SDLK_a, false);
    player().setAngle(0.0f);
    hold(SDLK_w);
    hold(SDLK_s);  // forward wins over reverse
    step(10);
    EXPECT_FLOAT_EQ(player().getThrusting(), 1.0f);
    EXPECT_FLOAT_EQ(player().getVelocity().x, 0.0005f * 10);
    hold(SDLK_w, false);
    step(10);
    EXPECT_FLOAT_EQ(player().getThrusting(), 0.0f);
    EXPECT_FLOAT_EQ(player().getVelocity().x, 0.0005f * 10 - 0.0002f * 10);
}

TEST_F(PlayerTest, KeysOffIgnoresTheKeyboard) {
    player().setInput(false);
    hold(SDLK_w);
    step(10);
    EXPECT_FLOAT_EQ(player().getVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(player().getVelocity().y, 0.0f);
}

TEST_F(PlayerTest, ChargedTakeOffAfterHoldingReverseOnAPlanet) {
    player().setAngle(0.0f);
    player().setLanded(3);
    EXPECT_EQ(player().getLandedTimeout(), 300);
    EXPECT_FALSE(player().getSmokeTrail().visible);

    // Forward thrust is refused while the landing timer runs.
    hold(SDLK_w);
    step(100);
    EXPECT_TRUE(player().isLanded());
    EXPECT_FLOAT_EQ(player().getVelocity().x, 0.0f);
    hold(SDLK_w, false);

    // Turning does nothing on the ground; reverse thrust charges the launch.
    hold(SDLK_d);
    hold(SDLK_s);
    for (int i = 0; i < 5; ++i) step(100);
    hold(SDLK_d, false);
    hold(SDLK_s, false);
    EXPECT_FLOAT_EQ(player().getTheta(), 0.0f);
    EXPECT_EQ(player().getLaunchCharge(), 500);
    EXPECT_TRUE(player().isLanded());
    point before = player().getPosition();

    hold(SDLK_w);
    step(20);
    EXPECT_FALSE(player().isLanded());
    EXPECT_EQ(player().getPlanetId(), -1);
    EXPECT_EQ(player().getLaunchCharge(), 0);
    EXPECT_TRUE(player().getSmokeTrail().visible);
    EXPECT_TRUE(player().getGlowTrail().visible);
    EXPECT_FLOAT_EQ(player().getVelocity().x, (20 + 500) * 0.0005f);
    EXPECT_FLOAT_EQ(player().getPosition().x, before.x + (20 + 500) * 0.0005f * 20);

    // Later steps are ordinary.
    step(20);
    EXPECT_FLOAT_EQ(player().getVelocity().x, (20 + 500 + 20) * 0.0005f);
}

TEST_F(PlayerTest, LandedShipDoesNotMove) {
    player().setVelocity({1.0f, 1.0f});
    player().setLanded(0);
    point before = player().getPosition();
    step(50);
    EXPECT_FLOAT_EQ(player().getPosition().x, before.x);
    EXPECT_FLOAT_EQ(player().getPosition().y, before.y);
}

// --- Weapons ----------------------------------------------------------------------------------

TEST_F(PlayerTest, WeaponSelectionCyclesAndIgnoresMissingSlots) {
    ASSERT_EQ(player().getArmament().size(), 3u);  // Pellet, Beam, Cluster
    player().cycleWeaponDown();
    EXPECT_EQ(player().getActiveWeaponIndex(), 2u);
    player().cycleWeaponUp();
    EXPECT_EQ(player().getActiveWeaponIndex(), 0u);
    player().setWeapon(1);
    EXPECT_EQ(player().getActiveWeaponIndex(), 1u);
    player().setWeapon(6);
    EXPECT_EQ(player().getActiveWeaponIndex(), 1u);
}

TEST_F(PlayerTest, ShipWithoutWeaponsCyclesAndFiresSafely) {
    Player bare({0.0f, 0.0f}, 0.001f, 0.001f, 0.001f, 100.0f, 40.0f, universe->shaderList, {}, gravTool(), "e", "h",
                *universe);
    bare.cycleWeaponUp();
    bare.cycleWeaponDown();
    EXPECT_EQ(bare.getActiveWeaponIndex(), 0u);
    std::string out = captureOutput([&] { bare.shoot(0, world(), {0.0f, 100.0f}, 16); });
    EXPECT_EQ(out, "Bad weapon selection 0\n");
}

TEST_F(PlayerTest, SlotWithUnknownProjectileTypeRefusesToFire) {
    std::vector<unsigned> arms{0, 99};
    Player odd({0.0f, 0.0f}, 0.001f, 0.001f, 0.001f, 100.0f, 40.0f, universe->shaderList, arms, gravTool(), "e", "h",
               *universe);
    odd.setWeapon(1);
    std::string out = captureOutput([&] { odd.shoot(0, world(), {0.0f, 100.0f}, 16); });
    EXPECT_NE(out.find("unknown projectile type 99"), std::string::npos);
    EXPECT_TRUE(world().projectiles.empty());
    // The bad slot does not stop the good one, which grows the cooling list past it safely.
    odd.setWeapon(0);
    odd.shoot(0, world(), {0.0f, 100.0f}, 16);
    EXPECT_EQ(world().projectiles.size(), 1u);
}

TEST_F(PlayerTest, CooldownStartsReadyThenWaits) {
    player().setPosition({0.0f, -10000.0f});
    player().setVelocity({0.1f, 0.2f});
    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    ASSERT_EQ(world().projectiles.size(), 1u);
    const Projectile& shot = world().projectiles.front();
    EXPECT_EQ(shot.getFaction(), 0);
    EXPECT_NEAR(shot.getVelocity().x, 0.1f, 1e-5);        // bearing 0: straight up, plus the ship's drift
    EXPECT_NEAR(shot.getVelocity().y, 0.2f + 2.0f, 1e-5);  // Pellet speed 2

    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    EXPECT_EQ(world().projectiles.size(), 1u);
    player().setVelocity({0.0f, 0.0f});
    step(199);
    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    EXPECT_EQ(world().projectiles.size(), 1u);
    step(1);
    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    EXPECT_EQ(world().projectiles.size(), 2u);
}

struct ArcCase {
    float minDegrees;
    float maxDegrees;
    float relDegrees;  // target clockwise from the nose
    bool allowed;
};

class FiringArcTest : public PlayerTest, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(FiringArcTest, AllowsOnlyTargetsInTheArc) {
    const ArcCase& c = GetParam();
    WEAPONDATA[0].minAngle = c.minDegrees < 0 ? -1.0f : c.minDegrees * DEG;
    WEAPONDATA[0].maxAngle = c.maxDegrees < 0 ? -1.0f : c.maxDegrees * DEG;
    player().setPosition({0.0f, -10000.0f});
    player().setAngle(0.7f);
    // The nose's bearing is 1.5708 - theta; the target lies rel further clockwise.
    float bearing = 1.5708f - 0.7f + c.relDegrees * 3.14159265f / 180.0f;
    EXPECT_EQ(player().inFiringArc(bearing, 0), c.allowed);

    point target{player().getPosition().x + 1000.0f * std::sin(bearing),
                 player().getPosition().y + 1000.0f * std::cos(bearing)};
    player().shoot(0, world(), target, 16);
    EXPECT_EQ(world().projectiles.size(), c.allowed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Arcs, FiringArcTest,
                         ::testing::Values(ArcCase{300, 60, 0, true}, ArcCase{300, 60, 180, false},
                                           ArcCase{300, 60, 59, true}, ArcCase{300, 60, 62, false},
                                           ArcCase{300, 60, 301, true}, ArcCase{300, 60, 298, false},
                                           ArcCase{90, 180, 135, true}, ArcCase{90, 180, 45, false},
                                           ArcCase{-1, 60, 180, true}, ArcCase{300, -1, 180, true}));

// --- The beam ---------------------------------------------------------------------------------

struct EdgeCase {
    point from;
    point target;
    point edge;
};

class BeamEdgeTest : public PlayerTest, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(BeamEdgeTest, RunsToWhereTheRayLeavesTheWorld) {
    player().setPosition(GetParam().from);
    point edge = player().beamEdgePoint(GetParam().target);
    EXPECT_NEAR(edge.x, GetParam().edge.x, 0.5f);
    EXPECT_NEAR(edge.y, GetParam().edge.y, 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Rays, BeamEdgeTest,
                         ::testing::Values(EdgeCase{{0, -10000}, {1000, -10000}, {100000, -10000}},
                                           EdgeCase{{0, -10000}, {-5, -10000}, {-100000, -10000}},
                                           EdgeCase{{0, -10000}, {0, 0}, {0, 100000}},
                                           EdgeCase{{0, -10000}, {0, -20000}, {0, -100000}},
                                           EdgeCase{{0, 0}, {10, 20}, {50000, 100000}},
                                           EdgeCase{{0, 0}, {-20, -10}, {-100000, -50000}}));

TEST_F(PlayerTest, BeamBurnsTheNearestShipOnItsLine) {
    player().setPosition({0.0f, -10000.0f});
    player().setWeapon(1);
    Ship& far = addShip({0.0f, -7000.0f});
    Ship& near = addShip({30.0f, -8000.0f});  // within 50 of the line
    Ship& aside = addShip({60.0f, -9000.0f});  // 60 off the line: missed
    float farHp = far.getHitpoints(), nearHp = near.getHitpoints(), asideHp = aside.getHitpoints();

    BeamTrace trace = player().traceBeam(world(), {0.0f, -5000.0f});
    EXPECT_EQ(trace.ship, &near);
    EXPECT_FALSE(trace.blocked);
    EXPECT_FLOAT_EQ(trace.end.y, -8000.0f);

    player().shoot(0, world(), {0.0f, -5000.0f}, 20);
    EXPECT_FLOAT_EQ(near.getHitpoints(), nearHp - WEAPONDATA[1].damage * 20);
    EXPECT_FLOAT_EQ(far.getHitpoints(), farHp);
    EXPECT_FLOAT_EQ(aside.getHitpoints(), asideHp);
    // No cooldown: it burns again in the very next frame.
    player().shoot(0, world(), {0.0f, -5000.0f}, 20);
    EXPECT_FLOAT_EQ(near.getHitpoints(), nearHp - 2 * WEAPONDATA[1].damage * 20);
    EXPECT_TRUE(world().projectiles.empty());
}

TEST_F(PlayerTest, BeamIsBlockedByAStarInFrontOfTheShip) {
    player().setPosition({0.0f, -10000.0f});
    player().setWeapon(1);
    Ship& behindStar = addShip({0.0f, 1000.0f});  // Sol: origin, radius 500
    float hp = behindStar.getHitpoints();
    BeamTrace trace = player().traceBeam(world(), {0.0f, 0.0f});
    EXPECT_TRUE(trace.blocked);
    EXPECT_EQ(trace.ship, nullptr);
    EXPECT_NEAR(trace.end.y, 100000.0f, 0.5f);
    player().shoot(0, world(), {0.0f, 0.0f}, 20);
    EXPECT_FLOAT_EQ(behindStar.getHitpoints(), hp);
}

TEST_F(PlayerTest, BeamIsBlockedByAPlanetInFrontOfTheShip) {
    world().stars[0].skipTime(0);  // puts the planets on their orbits
    const Planet& terra = world().stars[0].getPlanets()[0];
    point loc = terra.getLoc();
    ASSERT_GT(magnitude(loc), 1000.0f);
    // Aim from far out along the line through the planet, away from the star.
    point dir = normalize(loc);
    player().setPosition({loc.x + dir.x * 5000.0f, loc.y + dir.y * 5000.0f});
    player().setWeapon(1);
    Ship& behind = addShip({loc.x - dir.x * 1000.0f, loc.y - dir.y * 1000.0f});
    float hp = behind.getHitpoints();
    player().shoot(0, world(), loc, 20);
    EXPECT_FLOAT_EQ(behind.getHitpoints(), hp);

    // A ship between the ship and the planet is burnt.
    Ship& front = addShip({loc.x + dir.x * 1000.0f, loc.y + dir.y * 1000.0f});
    float frontHp = front.getHitpoints();
    player().shoot(0, world(), loc, 20);
    EXPECT_LT(front.getHitpoints(), frontHp);
    EXPECT_FLOAT_EQ(behind.getHitpoints(), hp);
}

TEST_F(PlayerTest, BeamWithNoShipRunsToTheWorldEdge) {
    player().setPosition({0.0f, -10000.0f});
    BeamTrace trace = player().traceBeam(world(), {-1000.0f, -10000.0f});
    EXPECT_TRUE(trace.blocked);
    EXPECT_FLOAT_EQ(trace.end.x, -100000.0f);
    EXPECT_FLOAT_EQ(trace.end.y, -10000.0f);
}

// --- Gravity tool -----------------------------------------------------------------------------

constexpr unsigned char LEFT = 1;
constexpr unsigned char RIGHT = 4;

TEST_F(PlayerTest, BothButtonsHeldNeitherLaysNorRecharges) {
    player().setGravCharge(100.0f);
    std::string out = captureOutput([&] { step(20, LEFT | RIGHT); });
    EXPECT_TRUE(world().gravityWalls.empty());
    EXPECT_FLOAT_EQ(player().getGravCharge(), 100.0f);
    EXPECT_EQ(out.find("ML"), std::string::npos);
}

TEST_F(PlayerTest, ChargeJustBelowCostLaysNothingAndDoesNotDrain) {
    player().setGravCharge(0.19f);  // cost 0.2
    step(20, LEFT);
    EXPECT_TRUE(world().gravityWalls.empty());
    EXPECT_FLOAT_EQ(player().getGravCharge(), 0.19f);
    step(20);  // buttons up: recharge 0.5 per ms
    EXPECT_FLOAT_EQ(player().getGravCharge(), 0.19f + 10.0f);
}

TEST_F(PlayerTest, RechargeIsCappedAtTheToolsCharge) {
    player().setGravCharge(395.0f);
    step(20);
    EXPECT_FLOAT_EQ(player().getGravCharge(), 400.0f);
}

TEST_F(PlayerTest, OnePressBuildsOneWallWithWellsSpacedInTime) {
    std::string out = captureOutput([&] {
        for (int i = 0; i < 5; ++i) player().update(20, {100.0f * i, 0.0f}, LEFT, world());
    });
    // The line comes before the wall is built, and only the first frame of the press writes it.
    EXPECT_EQ(out.rfind("ML5000\n", 0), 0u);
    EXPECT_EQ(out.find("ML", 1), std::string::npos);
    ASSERT_EQ(world().gravityWalls.size(), 1u);
    const GravityWall& wall = world().gravityWalls.front();
    EXPECT_EQ(wall.getID(), 0);
    // Frame 1 opens the wall; delay 0, 20, 40, 60; frame 5 lays the second well.
    ASSERT_EQ(wall.getWells().size(), 2u);
    EXPECT_FLOAT_EQ(wall.getWells()[0].x, 0.0f);
    EXPECT_FLOAT_EQ(wall.getWells()[1].x, 400.0f);
    EXPECT_FLOAT_EQ(player().getGravCharge(), 400.0f - 5 * 0.2f * 20);
    EXPECT_EQ(player().getLeftDelay(), 0);

    // Releasing starts a new wall at the next press.
    player().buttonUp();
    std::string second = captureOutput([&] { step(20, LEFT); });
    EXPECT_NE(second.find("ML5000"), std::string::npos);
    ASSERT_EQ(world().gravityWalls.size(), 2u);
    EXPECT_EQ(world().gravityWalls.back().getID(), 1);
}

TEST_F(PlayerTest, RightButtonUsesTheRightPart) {
    std::string out = captureOutput([&] { step(20, RIGHT); });
    EXPECT_NE(out.find("MR-5000\n"), std::string::npos);
    ASSERT_EQ(world().gravityWalls.size(), 1u);
    EXPECT_FLOAT_EQ(world().gravityWalls.front().getPart().mass, -5000.0f);
}

TEST_F(PlayerTest, GravityToolNeedsKeysOnButRechargeDoesNot) {
    player().setInput(false);
    player().setGravCharge(100.0f);
    step(20, LEFT);
    EXPECT_TRUE(world().gravityWalls.empty());
    EXPECT_FLOAT_EQ(player().getGravCharge(), 100.0f);
    step(20);
    EXPECT_FLOAT_EQ(player().getGravCharge(), 110.0f);
}

// --- Warps ------------------------------------------------------------------------------------

TEST_F(PlayerTest, WarpToAWorldThatDoesNotExistIsRefused) {
    std::string out = captureOutput([&] {
        EXPECT_FALSE(player().warpWorld(2));
        EXPECT_FALSE(player().warpWorld(-1));
    });
    EXPECT_EQ(player().getWorld(), 0);
    EXPECT_NE(out.find("Error"), std::string::npos);
    EXPECT_TRUE(player().warpWorld(1));
    EXPECT_EQ(player().getWorld(), 1);
}

TEST_F(PlayerTest, WarpCollapsesTheTrailsOntoTheShip) {
    player().setPosition({123.0f, 456.0f});
    player().warpWorld(1);
    for (const point& p : player().getGlowTrail().points) {
        EXPECT_FLOAT_EQ(p.x, 123.0f);
        EXPECT_FLOAT_EQ(p.y, 456.0f);
    }
    for (const point& p : player().getSmokeTrail().points) EXPECT_FLOAT_EQ(p.x, 123.0f);
}

// --- Save and restore -------------------------------------------------------------------------

TEST_F(PlayerTest, SaveWritesTheAttributesInOrder) {
    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "player");
    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    player().save(doc, node);
    std::vector<std::string> names;
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) names.push_back(a->name());
    std::vector<std::string> expected{"x",          "y",           "canWarp",       "isClear",    "engineName",
                                      "hullName",   "leftDelay",   "rightDelay",    "activeGravNum",
                                      "gravCharge", "gravToolName", "activeWeaponIndex", "landed",
                                      "landedTimeout", "xSpd",     "ySpd",          "theta",      "hitpoints",
                                      "activeWorld", "planetId",   "keysOn"};
    EXPECT_EQ(names, expected);
    ASSERT_NE(node->first_node("armament"), nullptr);
    EXPECT_STREQ(node->first_node("armament")->first_attribute("index2")->value(), "4");
    ASSERT_NE(node->first_node("gunCooling"), nullptr);
    EXPECT_STREQ(node->first_node("gunCooling")->first_attribute("index0")->value(), "0");
}

TEST_F(PlayerTest, SaveAndRestoreRoundTripLandsInFlight) {
    player().setPosition({1234.5f, -678.25f});
    player().setVelocity({0.125f, -0.5f});
    player().setAngle(2.5f);
    player().takeDamage(12.5f);
    player().setGravCharge(123.0f);
    player().buttonUp();
    player().buttonUp();
    player().setWeapon(2);
    player().shoot(0, world(), {0.0f, 0.0f}, 16);
    player().warpWorld(1);
    player().setInput(false);
    player().setIsClear(false);
    player().setLanded(4);

    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "player");
    player().save(doc, node);
    EXPECT_STREQ(node->first_attribute("landed")->value(), "1");

    Player restored(node, *universe);
    EXPECT_FALSE(restored.isLanded());
    EXPECT_FLOAT_EQ(restored.getPosition().x, 1234.5f);
    EXPECT_FLOAT_EQ(restored.getPosition().y, -678.25f);
    EXPECT_FLOAT_EQ(restored.getVelocity().x, 0.125f);
    EXPECT_FLOAT_EQ(restored.getVelocity().y, -0.5f);
    EXPECT_FLOAT_EQ(restored.getTheta(), 2.5f);
    EXPECT_FLOAT_EQ(restored.getHealth(), player().getHealth());
    EXPECT_FLOAT_EQ(restored.getGravCharge(), 123.0f);
    EXPECT_EQ(restored.getActiveGravNum(), 2);
    EXPECT_EQ(restored.getActiveWeaponIndex(), 2u);
    EXPECT_EQ(restored.getArmament(), player().getArmament());
    EXPECT_EQ(restored.getGunCooling(), player().getGunCooling());
    EXPECT_EQ(restored.getWorld(), 1);
    EXPECT_EQ(restored.getPlanetId(), 4);
    EXPECT_EQ(restored.getLandedTimeout(), 300);
    EXPECT_FALSE(restored.getKeysOn());
    EXPECT_FALSE(restored.getIsClear());
    EXPECT_TRUE(restored.getCanWarp());
    EXPECT_EQ(restored.getEngineName(), "Basic Engine");
    EXPECT_EQ(restored.getHullName(), "Light Hull");
    EXPECT_EQ(restored.getTool().name, "Basic Grav Tool");
    EXPECT_FLOAT_EQ(restored.getSize(), 40.0f);
    EXPECT_EQ(restored.getLaunchCharge(), 0);

    // Writing the restored ship again gives the same document, apart from the landing.
    XmlDoc again;
    XmlNode* copy = appendElement(again, &again, "player");
    restored.save(again, copy);
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) {
        if (std::string(a->name()) == "landed") continue;
        ASSERT_NE(copy->first_attribute(a->name()), nullptr) << a->name();
        EXPECT_STREQ(copy->first_attribute(a->name())->value(), a->value()) << a->name();
    }
}

TEST_F(PlayerTest, RestoreTakesEngineAndHullValuesFromTheCatalogue) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<player x="1" y="2" canWarp="1" isClear="1" engineName="Basic Engine"
        hullName="Nope" leftDelay="1.5e+06" rightDelay="3" activeGravNum="0" gravCharge="5"
        gravToolName="Basic Grav Tool" activeWeaponIndex="0" landed="1" landedTimeout="0" xSpd="0"
        ySpd="0" theta="0" hitpoints="10" activeWorld="0" planetId="-1" keysOn="1"/>)",
                           "player", "test", error))
        << error;
    std::string out = captureOutput([&] {
        Player restored(file.root(), *universe);
        EXPECT_EQ(restored.getLeftDelay(), 1500000);
        EXPECT_EQ(restored.getRightDelay(), 3);
        EXPECT_TRUE(restored.getArmament().empty());
        EXPECT_FLOAT_EQ(restored.getSize(), universe->defaultHull.size);
        hold(SDLK_w);
        restored.setAngle(0.0f);
        restored.update(10, {0.0f, 0.0f}, 0, world());
        EXPECT_FLOAT_EQ(restored.getVelocity().x, 0.0005f * 10);
    });
    EXPECT_NE(out.find("No match with Nope"), std::string::npos);
}

// --- What is drawn ------------------------------------------------------------------------------

TEST_F(PlayerTest, SpriteTopPointsAlongTheHeading) {
    OffscreenTarget target;
    QuadrantTexture picture;
    ScopedTextureSlots slots;
    slots.set(0, picture.name());
    const point at{1234.0f, -567.0f};
    player().setPosition(at);
    for (float heading : {0.4f, 2.5f, 4.4f}) {
        SCOPED_TRACE(heading);
        glClear(GL_COLOR_BUFFER_BIT);
        target.centredOrtho(at);
        player().setAngle(heading);
        player().draw();
        EXPECT_EQ(QuadrantTexture::mismatches(target, at, {std::cos(heading), std::sin(heading)}, player().getSize()),
                  "");
    }
}

TEST_F(PlayerTest, BeamIsDrawnFromTheShipTowardsTheTarget) {
    OffscreenTarget target;
    SolidTexture beamPicture(YELLOW);
    ScopedTextureSlots slots;
    slots.set(4, beamPicture.name());
    const point at{-50000.0f, -50000.0f};
    player().setPosition(at);
    player().setWeapon(1);
    ASSERT_EQ(player().getArmament().at(1), 1u);
    for (point d : {point{1.0f, 2.0f}, point{-3.0f, 1.0f}, point{2.0f, -2.5f}}) {
        SCOPED_TRACE(std::to_string(d.x) + ", " + std::to_string(d.y));
        glClear(GL_COLOR_BUFFER_BIT);
        target.centredOrtho(at);
        player().shoot(0, world(), {at.x + d.x * 100.0f, at.y + d.y * 100.0f}, 16);
        const point u = normalize(d);
        const point across{u.y, -u.x};
        auto seen = [&](point direction, float distance) {
            return target.world({at.x + direction.x * distance, at.y + direction.y * distance});
        };
        for (float along : {60.0f, 250.0f, 450.0f}) EXPECT_EQ(colourMismatch(seen(u, along), YELLOW), "") << along;
        EXPECT_EQ(colourMismatch(seen({-u.x, -u.y}, 200.0f), BLACK), "");
        EXPECT_EQ(colourMismatch(seen(across, 200.0f), BLACK), "");
        EXPECT_EQ(colourMismatch(seen({-across.x, -across.y}, 200.0f), BLACK), "");
    }
}

TEST_F(PlayerTest, ChargeBarHeightFollowsTheCharge) {
    OffscreenTarget target;
    target.percentOrtho();
    // In percent of the screen.
    auto seen = [&](float x, float y) {
        return target.pixel(static_cast<int>(x * w / 100.0f), static_cast<int>(y * h / 100.0f));
    };
    const Rgb bar{255, 51, 51};  // no image for the bar here: its colour alone
    struct Level {
        float fraction;
        float top;  // percent of the screen
    };
    for (Level level : {Level{0.5f, 10.385f}, Level{0.25f, 6.2025f}, Level{1.0f, 18.75f}}) {
        SCOPED_TRACE(level.fraction);
        glClear(GL_COLOR_BUFFER_BIT);
        player().setGravCharge(player().getTool().charge * level.fraction);
        player().drawUI();
        EXPECT_EQ(colourMismatch(seen(97.0f, 2.5f), bar), "");
        EXPECT_EQ(colourMismatch(seen(97.0f, level.top - 0.5f), bar), "");
        EXPECT_EQ(colourMismatch(seen(97.0f, level.top + 0.5f), BLACK), "");
        EXPECT_EQ(colourMismatch(seen(97.0f, 1.5f), BLACK), "");
        EXPECT_EQ(colourMismatch(seen(95.5f, 2.5f), BLACK), "");
        EXPECT_EQ(colourMismatch(seen(98.5f, 2.5f), BLACK), "");
    }
}

}  // namespace
