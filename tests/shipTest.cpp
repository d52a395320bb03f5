// Tests of the AI ships: ramming, the behaviours, the fighter's budget and fire, targeting,
// personal relations, death, bounds, bad types and factions, and save/restore.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "defaultVals.h"
#include "ship.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

bool finite(point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

int weaponIndex(const std::string& name) {
    for (size_t i = 0; i < WEAPONDATA.size(); ++i)
        if (WEAPONDATA[i].name == name) return static_cast<int>(i);
    return -1;
}

class ShipTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        universe->player->setPosition({0.0f, 0.0f});
        universe->player->setVelocity({0.0f, 0.0f});
        world().ships.clear();
        world().projectiles.clear();
    }

    WorldState& world() { return universe->currentWorld(); }
    Player* player() { return universe->player.get(); }

    // A ship of type `typeName` whose type is first given `thrust`, in the current world's list.
    Ship& addShip(point where, const std::string& typeName, unsigned faction, float thrust = -1.0f) {
        for (shipDataStruct& type : universe->shipTypes)
            if (type.name == typeName && thrust >= 0.0f) type.thrust = thrust;
        world().ships.emplace_front(where, typeName, faction, *universe);
        return world().ships.front();
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
};

// --- Ramming --------------------------------------------------------------------------------

TEST_F(ShipTest, RamsThePlayerBelowFiftyUnitsWithoutExplosion) {
    Ship& ship = addShip({49.9f, 0.0f}, "Drone", 1);
    float health = player()->getHealth();
    size_t timers = world().timers.size();
    EXPECT_FALSE(ship.update(16, 0, *universe, player()));
    EXPECT_FLOAT_EQ(player()->getHealth(), health - 25.0f);  // Drone: 50 hitpoints
    EXPECT_EQ(world().timers.size(), timers);
}

TEST_F(ShipTest, DoesNotRamAtExactlyFiftyUnits) {
    Ship& ship = addShip({50.0f, 0.0f}, "Drone", 1);
    float health = player()->getHealth();
    EXPECT_TRUE(ship.update(16, 0, *universe, player()));
    EXPECT_FLOAT_EQ(player()->getHealth(), health);
}

TEST_F(ShipTest, DeadShipExplodesAndIsRemoved) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Drone", 1);
    EXPECT_FALSE(ship.takeDamage(50.0f));
    size_t timers = world().timers.size();
    EXPECT_FALSE(ship.update(16, 0, *universe, player()));
    EXPECT_EQ(world().timers.size(), timers + 1);
}

// --- Chase, flee and ring ------------------------------------------------------------------

class ShipChaseTest : public ShipTest, public ::testing::WithParamInterface<int> {};

TEST_P(ShipChaseTest, ReachesTheSpeedLimitInOneUpdateWhateverDt) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Drone", 1, 20.0f);
    ship.setAI(1);
    ASSERT_TRUE(ship.update(GetParam(), 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().x, -10.0f, 1e-4);
    EXPECT_NEAR(ship.getVelocity().y, 0.0f, 1e-4);
    EXPECT_NEAR(ship.getTheta(), std::atan2(0.0f, -10.0f) - 1.57f, 1e-5);
}

TEST_P(ShipChaseTest, FleeRunsAwayAtTheSpeedLimit) {
    Ship& ship = addShip({0.0f, 1000.0f}, "Drone", 1, 20.0f);
    ship.setAI(2);
    ASSERT_TRUE(ship.update(GetParam(), 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().x, 0.0f, 1e-4);
    EXPECT_NEAR(ship.getVelocity().y, 10.0f, 1e-4);
    EXPECT_NEAR(ship.getTheta(), 0.0f - 1.57f + 1.5707963f, 1e-5);  // atan2(10, 0) - 1.57
}

INSTANTIATE_TEST_SUITE_P(Dt, ShipChaseTest, ::testing::Values(0, 1, 16, 100));

TEST_F(ShipTest, ChaseBelowTheLimitAddsThrustOncePerUpdate) {
    Ship& ship = addShip({0.0f, -1000.0f}, "Drone", 1, 0.5f);
    ship.setAI(1);
    ASSERT_TRUE(ship.update(40, 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().y, 0.5f, 1e-6);
}

TEST_F(ShipTest, RingInsideTheBandIsScaledByDtAndDamped) {
    const float thrust = 0.02f;
    const int dt = 10;
    Ship& ship = addShip({550.0f, 0.0f}, "Drone", 1, thrust);
    ship.setAI(3);
    ASSERT_TRUE(ship.update(dt, 0, *universe, player()));
    float g = thrust / 550.0f * 0.5f;
    float expected = -550.0f * g * dt * std::pow(0.98f, dt);
    EXPECT_NEAR(ship.getVelocity().x, expected, 1e-5);
    EXPECT_FLOAT_EQ(ship.getVelocity().y, 0.0f);
    // Faces the player.
    EXPECT_NEAR(ship.getTheta(), std::atan2(0.0f, -550.0f) - 1.57f, 1e-5);
}

TEST_F(ShipTest, RingInsideTheRadiusPushesOut) {
    Ship& ship = addShip({450.0f, 0.0f}, "Drone", 1, 0.02f);
    ship.setAI(3);
    ASSERT_TRUE(ship.update(10, 0, *universe, player()));
    EXPECT_GT(ship.getVelocity().x, 0.0f);
}

TEST_F(ShipTest, RingOutsideTheBandPullsInWithoutDampingOrDt) {
    for (int dt : {1, 30}) {
        world().ships.clear();
        Ship& ship = addShip({650.0f, 0.0f}, "Drone", 1, 0.02f);
        ship.setAI(3);
        ASSERT_TRUE(ship.update(dt, 0, *universe, player()));
        EXPECT_NEAR(ship.getVelocity().x, -0.02f, 1e-6) << "dt " << dt;
    }
}

TEST_F(ShipTest, SteeringOnTopOfThePlayerGivesNoNaN) {
    Ship& ship = addShip({0.0f, 0.0f}, "Drone", 1, 20.0f);
    for (int ai : {0, 1, 2, 3, 4, 7}) {
        ship.setAI(ai);
        ship.steer(16, {0.0f, 0.0f}, 0.0f);
        EXPECT_TRUE(finite(ship.getVelocity())) << "aiType " << ai;
        EXPECT_TRUE(std::isfinite(ship.getTheta())) << "aiType " << ai;
    }
    // Exactly on the player it is rammed before steering anyway.
    EXPECT_FALSE(ship.update(16, 0, *universe, player()));
}

TEST_F(ShipTest, UnknownBehaviourDrifts) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Drone", 1, 20.0f);
    ship.setAI(9);
    ship.setVelocity({0.5f, 0.0f});
    ASSERT_TRUE(ship.update(10, 0, *universe, player()));
    EXPECT_FLOAT_EQ(ship.getVelocity().x, 0.5f);
    EXPECT_FLOAT_EQ(ship.getPosition().x, 1005.0f);
}

// --- Fighter steering -----------------------------------------------------------------------

TEST_F(ShipTest, FighterWithoutGravityClosesInBeyond1250) {
    const float thrust = 0.002f;
    const int dt = 10;
    Ship& ship = addShip({1300.0f, 0.0f}, "Drone", 1, thrust);
    ship.setAI(4);
    ASSERT_TRUE(ship.update(dt, 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().x, -thrust * dt, 1e-7);
    EXPECT_NEAR(ship.getTheta(), std::atan2(0.0f, -1.0f) - 1.57f, 1e-5);
}

TEST_F(ShipTest, FighterAtExactly1250BacksAway) {
    const float thrust = 0.002f;
    const int dt = 10;
    Ship& ship = addShip({1250.0f, 0.0f}, "Drone", 1, thrust);
    ship.setAI(4);
    ASSERT_TRUE(ship.update(dt, 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().x, thrust * dt, 1e-7);
}

TEST_F(ShipTest, FighterDragScalesVelocity) {
    Ship& ship = addShip({1300.0f, 0.0f}, "Drone", 1, 0.0f);
    ship.setAI(4);
    ship.setVelocity({0.0f, 1.0f});
    ASSERT_TRUE(ship.update(100, 0, *universe, player()));
    EXPECT_NEAR(ship.getVelocity().y, 1.0f - 100 * 0.0005f, 1e-6);
}

struct FighterCase {
    const char* label;
    point toPlayer;
    float distance;
    point gravity;
    point velocity;
    std::vector<collidableData> collidables;
    point expected;
};

class ShipFighterAccelerationTest : public ::testing::TestWithParam<FighterCase> {};

TEST_P(ShipFighterAccelerationTest, SpendsTheBudgetAsDescribed) {
    const FighterCase& c = GetParam();
    point a = fighterAcceleration(c.toPlayer, c.distance, 0.002f, c.gravity, c.velocity, c.collidables);
    EXPECT_NEAR(a.x, c.expected.x, 1e-8) << c.label;
    EXPECT_NEAR(a.y, c.expected.y, 1e-8) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShipFighterAccelerationTest,
    ::testing::Values(
        // No gravity: all of the thrust towards or away from the player.
        FighterCase{"far", {0.0f, 2000.0f}, 2000.0f, {0, 0}, {0, 0}, {}, {0.0f, 0.002f}},
        FighterCase{"near", {0.0f, 1000.0f}, 1000.0f, {0, 0}, {0, 0}, {}, {0.0f, -0.002f}},
        // Weak pull: p = (0.0002/0.002*5)^5 = 1/32 of the thrust against it, the rest to the player.
        FighterCase{"weak pull", {0.0f, 2000.0f}, 2000.0f, {0.0002f, 0}, {0, 0}, {},
                    {-0.0000625f, 0.002f - 0.0000625f}},
        // Strong pull: p > 1, clamped to the thrust, nothing left for the player.
        FighterCase{"strong pull", {0.0f, 2000.0f}, 2000.0f, {0.001f, 0}, {0, 0}, {}, {-0.002f, 0.0f}},
        // Obstacle at gap 500: c = 0.5 away from it, then the pull, then the rest backs off.
        FighterCase{"obstacle", {0.0f, 1000.0f}, 1000.0f, {0.0002f, 0}, {0, 0}, {{500.0f, {1.0f, 0.0f}}},
                    {-0.001f - 0.0000625f, -(0.002f - 0.0010625f)}},
        // Nearest valid gap wins; gaps of 0 or 1000 and more are ignored.
        FighterCase{"nearest obstacle", {0.0f, 1000.0f}, 1000.0f, {0.0002f, 0}, {0, 0},
                    {{0.0f, {0.0f, 1.0f}}, {800.0f, {0.0f, 1.0f}}, {300.0f, {1.0f, 0.0f}}, {1000.0f, {0, 1}},
                     {300.0f, {0.0f, -1.0f}}},
                    {-0.0014f - 0.0000625f, -(0.002f - 0.0014625f)}},
        // Falling along the pull: e grows by k * velocity * 0.0003 (k = 1), p = 1.25^5, clamped.
        FighterCase{"falling", {0.0f, 2000.0f}, 2000.0f, {0.0002f, 0}, {1.0f, 0}, {}, {-0.002f, 0.0f}},
        // Moving against the pull: k < 0 leaves e alone.
        FighterCase{"climbing", {0.0f, 2000.0f}, 2000.0f, {0.0002f, 0}, {-1.0f, 0}, {},
                    {-0.0000625f, 0.002f - 0.0000625f}}));

TEST(ShipFighterEdgeTest, NoNaNWithoutThrustOrDistance) {
    std::vector<collidableData> none;
    EXPECT_TRUE(finite(fighterAcceleration({0, 0}, 0.0f, 0.002f, {0.001f, 0.0f}, {0, 0}, none)));
    EXPECT_TRUE(finite(fighterAcceleration({0, 0}, 0.0f, 0.002f, {0, 0}, {0, 0}, none)));
    point a = fighterAcceleration({100.0f, 0.0f}, 100.0f, 0.0f, {0.001f, 0.0f}, {0, 0}, none);
    EXPECT_FLOAT_EQ(a.x, 0.0f);
    EXPECT_FLOAT_EQ(a.y, 0.0f);
}

TEST(ShipLeadAimTest, StillTargetIsAimedAtDirectly) {
    point aim = leadAimPoint({100.0f, 50.0f}, {0.0f, 0.0f}, {0.0f, 0.0f}, 2.0f);
    EXPECT_FLOAT_EQ(aim.x, 100.0f);
    EXPECT_FLOAT_EQ(aim.y, 50.0f);
}

TEST(ShipLeadAimTest, FiveRefinementsLeadAMovingTarget) {
    // Target 100 units away crossing at 1 unit/ms, shots at 2 units/ms: the fifth refinement
    // leads by about 54.2 (the exact intercept would be 57.7).
    point aim = leadAimPoint({100.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}, 2.0f);
    EXPECT_FLOAT_EQ(aim.x, 100.0f);
    EXPECT_NEAR(aim.y, 54.2f, 0.05f);
}

// --- Fighter fire ---------------------------------------------------------------------------

class ShipFireTest : public ShipTest {
protected:
    // A fighter whose one weapon has speed 1 and lifetime 1000 (range 1000), ready to fire.
    Ship& addFighter(point where, unsigned faction = 1) {
        int pellet = weaponIndex("Pellet");
        EXPECT_GE(pellet, 0);
        WEAPONDATA[pellet].speed = 1.0f;
        WEAPONDATA[pellet].lifetime = 1000;
        WEAPONDATA[pellet].cooldown = 200;
        for (shipDataStruct& type : universe->shipTypes)
            if (type.name == "Raider") type.weapons = {static_cast<unsigned>(pellet)};
        return addShip(where, "Raider", faction);
    }
};

TEST_F(ShipFireTest, FiresOnlyAtTargetsWithinReach) {
    Ship& inReach = addFighter({999.0f, 0.0f});
    ASSERT_TRUE(inReach.update(1, 0, *universe, player()));
    EXPECT_EQ(world().projectiles.size(), 1u);
    EXPECT_EQ(inReach.getGunCooling().size(), 1u);
    EXPECT_EQ(inReach.getGunCooling()[0], 0u);

    world().projectiles.clear();
    Ship& outOfReach = addFighter({1000.0f, 0.0f});
    ASSERT_TRUE(outOfReach.update(1, 0, *universe, player()));
    EXPECT_EQ(world().projectiles.size(), 0u);
}

TEST_F(ShipFireTest, CoolsDownBetweenShots) {
    Ship& ship = addFighter({500.0f, 0.0f});
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    ASSERT_TRUE(ship.update(100, 0, *universe, player()));
    EXPECT_EQ(world().projectiles.size(), 1u);
    ASSERT_TRUE(ship.update(100, 0, *universe, player()));
    EXPECT_EQ(world().projectiles.size(), 2u);
}

TEST_F(ShipFireTest, WeaponRowsOutsideTheTableAreSkipped) {
    for (shipDataStruct& type : universe->shipTypes)
        if (type.name == "Raider") type.weapons = {static_cast<unsigned>(WEAPONDATA.size() + 3)};
    Ship& ship = addShip({500.0f, 0.0f}, "Raider", 1);
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    ASSERT_TRUE(ship.update(1000, 0, *universe, player()));
    EXPECT_EQ(world().projectiles.size(), 0u);
}

TEST_F(ShipFireTest, ShotsCarryTheShipsFaction) {
    Ship& ship = addFighter({500.0f, 0.0f}, 2);
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    ASSERT_EQ(world().projectiles.size(), 1u);
    EXPECT_EQ(world().projectiles.front().getFaction(), 2);
    // Aimed at the player (a still target at -x from the ship).
    EXPECT_LT(world().projectiles.front().getVelocity().x, 0.0f);
}

// --- Targeting ------------------------------------------------------------------------------

struct TargetCase {
    const char* label;
    float otherX;
    unsigned otherFaction;
    bool targeted;
};

class ShipTargetTest : public ShipTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(ShipTargetTest, PicksTheNearerHostileWithin2000) {
    const TargetCase& c = GetParam();
    universe->player->setPosition({3000.0f, 0.0f});
    Ship& other = addShip({c.otherX, 0.0f}, "Drone", c.otherFaction);
    Ship& pirate = addShip({0.0f, 0.0f}, "Raider", 1);
    shipTarget target = pirate.chooseTarget(*universe, *player());
    if (c.targeted) {
        EXPECT_EQ(target.shipID, other.getID()) << c.label;
        EXPECT_FLOAT_EQ(target.position.x, c.otherX);
        EXPECT_EQ(target.squaredDistance, static_cast<long>(c.otherX * c.otherX));
    } else {
        EXPECT_EQ(target.shipID, 0) << c.label;
        EXPECT_FLOAT_EQ(target.position.x, 3000.0f);
        EXPECT_EQ(target.squaredDistance, 9000000);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShipTargetTest,
                         ::testing::Values(TargetCase{"hostile at 1999", 1999.0f, 2, true},
                                           TargetCase{"hostile at 2000", 2000.0f, 2, false},
                                           TargetCase{"own faction", 100.0f, 1, false},
                                           TargetCase{"hostile player faction", 1500.0f, 0, true}));

TEST_F(ShipTest, HostileFartherThanThePlayerIsNotTargeted) {
    universe->player->setPosition({500.0f, 0.0f});
    addShip({1000.0f, 0.0f}, "Drone", 2);
    Ship& pirate = addShip({0.0f, 0.0f}, "Raider", 1);
    EXPECT_EQ(pirate.chooseTarget(*universe, *player()).shipID, 0);
}

TEST_F(ShipTest, EqualDistancesKeepTheFirstFound) {
    universe->player->setPosition({5000.0f, 0.0f});
    addShip({0.0f, 800.0f}, "Drone", 2);
    Ship& second = addShip({0.0f, -800.0f}, "Drone", 2);  // front of the list: found first
    Ship& pirate = addShip({0.0f, 0.0f}, "Raider", 1);
    EXPECT_EQ(pirate.chooseTarget(*universe, *player()).shipID, second.getID());
}

// --- Personal relations ---------------------------------------------------------------------

TEST_F(ShipTest, FirstHitSoursTheAttitudeThenTheSecondTurnsHostile) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Hauler", 0);  // Player faction: neutral to Traders (2)
    EXPECT_TRUE(ship.takeDamage(50.0f, 2, *universe));
    ASSERT_EQ(ship.getPersonalRelations().size(), 3u);
    EXPECT_EQ(ship.getPersonalRelations()[2], -5);
    EXPECT_EQ(ship.getPersonalRelations()[1], -100);  // copied row
    EXPECT_TRUE(ship.takeDamage(50.0f, 2, *universe));
    EXPECT_EQ(ship.getPersonalRelations()[2], -100);
    EXPECT_FALSE(ship.takeDamage(100.0f, 2, *universe));
}

TEST_F(ShipTest, FractionalSouringTruncatesTowardsZero) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Hauler", 0);
    ship.takeDamage(57.0f, 2, *universe);
    EXPECT_EQ(ship.getPersonalRelations()[2], -5);
}

TEST_F(ShipTest, HitFromAnAlreadyHostileFactionCopiesNothing) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Hauler", 1);  // Pirates are hostile to the Player
    ship.takeDamage(10.0f, 0, *universe);
    EXPECT_TRUE(ship.getPersonalRelations().empty());
}

TEST_F(ShipTest, ShooterFactionOutsideTheMatrixIsIgnored) {
    Ship& ship = addShip({1000.0f, 0.0f}, "Hauler", 0);
    ship.takeDamage(10.0f, 7, *universe);
    ship.takeDamage(10.0f, -1, *universe);
    EXPECT_TRUE(ship.getPersonalRelations().empty());
    ship.takeDamage(10.0f, 2, *universe);
    ASSERT_EQ(ship.getPersonalRelations().size(), 3u);
    ship.takeDamage(10.0f, 7, *universe);
    ship.takeDamage(10.0f, -3, *universe);
    EXPECT_EQ(ship.getPersonalRelations()[2], -1);
    EXPECT_FLOAT_EQ(ship.getHitpoints(), 150.0f);
}

// --- Integration and bounds -----------------------------------------------------------------

TEST_F(ShipTest, GravityIsAppliedOnceThenCleared) {
    Ship& ship = addShip({5000.0f, 0.0f}, "Drone", 1);
    ship.addGrav({0.1f, 0.0f});
    ship.registerCollidable(100.0f, {1.0f, 0.0f});
    ASSERT_TRUE(ship.update(10, 0, *universe, player()));
    EXPECT_FLOAT_EQ(ship.getVelocity().x, 0.1f);
    EXPECT_FLOAT_EQ(ship.getPosition().x, 5001.0f);
    EXPECT_FLOAT_EQ(ship.getGravity().x, 0.0f);
    ASSERT_TRUE(ship.update(10, 0, *universe, player()));
    EXPECT_FLOAT_EQ(ship.getVelocity().x, 0.1f);
}

struct BoundsCase {
    point start;
    point velocity;
    point endPosition;
    point endVelocity;
};

class ShipBoundsTest : public ShipTest, public ::testing::WithParamInterface<BoundsCase> {};

TEST_P(ShipBoundsTest, StopsOnlyTheOutwardComponent) {
    const BoundsCase& c = GetParam();
    Ship& ship = addShip(c.start, "Drone", 1);
    ship.setVelocity(c.velocity);
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    EXPECT_FLOAT_EQ(ship.getPosition().x, c.endPosition.x);
    EXPECT_FLOAT_EQ(ship.getPosition().y, c.endPosition.y);
    EXPECT_FLOAT_EQ(ship.getVelocity().x, c.endVelocity.x);
    EXPECT_FLOAT_EQ(ship.getVelocity().y, c.endVelocity.y);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ShipBoundsTest,
    ::testing::Values(BoundsCase{{99998.0f, 0.0f}, {5.0f, 3.0f}, {100000.0f, 3.0f}, {0.0f, 3.0f}},
                      BoundsCase{{-99998.0f, 10.0f}, {-5.0f, -2.0f}, {-100000.0f, 8.0f}, {0.0f, -2.0f}},
                      BoundsCase{{10.0f, 99999.0f}, {-1.0f, 4.0f}, {9.0f, 100000.0f}, {-1.0f, 0.0f}},
                      BoundsCase{{10.0f, -99999.0f}, {1.0f, -4.0f}, {11.0f, -100000.0f}, {1.0f, 0.0f}}));

TEST_F(ShipTest, AShipBeyondTheEdgeMovingInKeepsItsVelocity) {
    Ship& ship = addShip({0.0f, 0.0f}, "Drone", 1);
    ship.setPosition({100500.0f, 0.0f});
    ship.setVelocity({-1.0f, 0.0f});
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    EXPECT_FLOAT_EQ(ship.getPosition().x, 100000.0f);
    EXPECT_FLOAT_EQ(ship.getVelocity().x, -1.0f);
}

// --- Construction ---------------------------------------------------------------------------

TEST_F(ShipTest, TypeSuppliesTheFixedValues) {
    Ship& raider = addShip({10.0f, 20.0f}, "Raider", 2);
    EXPECT_EQ(raider.getShipCode(), 1);
    EXPECT_EQ(raider.getAI(), 4);
    EXPECT_FLOAT_EQ(raider.getHitpoints(), 100.0f);
    EXPECT_FLOAT_EQ(raider.getSize(), 40.0f);
    EXPECT_EQ(raider.getArmament(), universe->shipTypes[1].weapons);
    EXPECT_EQ(raider.getTrail().length, 20);  // 400 / 20
    EXPECT_FLOAT_EQ(raider.getTrail().green, 0.3f);
    EXPECT_EQ(addShip({0, 0}, "Drone", 0).getTrail().length, 0);
    Ship& second = addShip({0, 0}, "Drone", 0);
    EXPECT_EQ(second.getID(), raider.getID() + 2);
}

TEST_F(ShipTest, UnknownTypeNameGivesAnInertShip) {
    std::string out = captureOutput([&] { addShip({1000.0f, 2000.0f}, "Nope", 2); });
    EXPECT_EQ(out, "Error, bad ship name passed to ship constructor: Nope\n");
    Ship& ship = world().ships.front();
    EXPECT_FLOAT_EQ(ship.getPosition().x, 1000.0f);
    EXPECT_FLOAT_EQ(ship.getPosition().y, 2000.0f);
    EXPECT_GT(ship.getID(), 0);
    EXPECT_EQ(ship.getFaction(), 2u);
    EXPECT_EQ(ship.getShipCode(), -1);
    EXPECT_EQ(ship.getAI(), 0);
    EXPECT_FLOAT_EQ(ship.getSize(), 0.0f);
    EXPECT_TRUE(ship.getArmament().empty());
    EXPECT_EQ(ship.getTrail().length, 0);
    // Even given life and the fighter behaviour it neither fires nor goes NaN.
    ship.takeDamage(-10.0f);
    ship.setAI(4);
    ship.addGrav({0.01f, 0.0f});
    ship.registerCollidable(100.0f, {1.0f, 0.0f});
    ASSERT_TRUE(ship.update(16, 0, *universe, player()));
    EXPECT_TRUE(finite(ship.getVelocity()));
    EXPECT_TRUE(world().projectiles.empty());
}

TEST_F(ShipTest, FactionBeyondTheMatrixBecomesZero) {
    std::string out = captureOutput([&] { addShip({1000.0f, 0.0f}, "Hauler", 3); });
    EXPECT_EQ(out, "Bad faction 0\n");
    EXPECT_EQ(world().ships.front().getFaction(), 0u);
    out = captureOutput([&] { addShip({1000.0f, 0.0f}, "Hauler", 2); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(world().ships.front().getFaction(), 2u);
}

TEST_F(ShipTest, WithoutAnyFactionNothingIndexesTheMatrix) {
    universe->relations.clear();
    std::string out = captureOutput([&] { addShip({800.0f, 0.0f}, "Raider", 0); });
    EXPECT_EQ(out.find("Bad faction 0\n"), 0u);
    addShip({900.0f, 0.0f}, "Drone", 0);
    Ship& raider = *std::next(world().ships.begin());
    raider.takeDamage(10.0f, 0, *universe);
    EXPECT_TRUE(raider.getPersonalRelations().empty());
    EXPECT_EQ(raider.chooseTarget(*universe, *player()).shipID, 0);
    EXPECT_TRUE(raider.update(1, 0, *universe, player()));
}

// --- Save and restore -----------------------------------------------------------------------

std::vector<std::string> attributeNames(XmlNode* node) {
    std::vector<std::string> names;
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) names.push_back(a->name());
    return names;
}

TEST_F(ShipTest, SaveAndRestoreRoundTrip) {
    Ship& ship = addShip({123.5f, -456.25f}, "Raider", 0);
    ship.setVelocity({0.5f, -0.25f});
    ship.calcTheta();
    ship.takeDamage(30.0f, 2, *universe);
    ship.setAI(2);
    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "shipData");
    ship.save(doc, node);

    EXPECT_EQ(attributeNames(node), (std::vector<std::string>{"x", "y", "xSpd", "ySpd", "theta", "aiType",
                                                              "faction", "hitpoints", "shiptype"}));
    EXPECT_STREQ(node->first_attribute("shiptype")->value(), "Raider");
    ASSERT_NE(node->first_node("personalRelations"), nullptr);
    EXPECT_STREQ(node->first_node("personalRelations")->first_attribute("index2")->value(), "-3");

    Ship restored(node, *universe);
    EXPECT_NE(restored.getID(), ship.getID());
    EXPECT_FLOAT_EQ(restored.getPosition().x, ship.getPosition().x);
    EXPECT_FLOAT_EQ(restored.getPosition().y, ship.getPosition().y);
    EXPECT_FLOAT_EQ(restored.getVelocity().x, 0.5f);
    EXPECT_FLOAT_EQ(restored.getVelocity().y, -0.25f);
    EXPECT_NEAR(restored.getTheta(), ship.getTheta(), 1e-5);
    EXPECT_EQ(restored.getAI(), 2);  // from the save, not the type
    EXPECT_EQ(restored.getFaction(), 0u);
    EXPECT_FLOAT_EQ(restored.getHitpoints(), 70.0f);
    EXPECT_EQ(restored.getShipType(), "Raider");
    EXPECT_EQ(restored.getShipCode(), 1);
    EXPECT_FLOAT_EQ(restored.getSize(), 40.0f);
    EXPECT_EQ(restored.getArmament(), universe->shipTypes[1].weapons);
    EXPECT_EQ(restored.getTrail().length, 20);
    EXPECT_EQ(restored.getPersonalRelations(), ship.getPersonalRelations());
    EXPECT_EQ(restored.getGunCooling(), ship.getGunCooling());
}

TEST_F(ShipFireTest, GunCoolingIsSavedAndRestored) {
    Ship& ship = addFighter({500.0f, 0.0f});
    ASSERT_TRUE(ship.update(1, 0, *universe, player()));
    ASSERT_TRUE(ship.update(37, 0, *universe, player()));
    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "shipData");
    ship.save(doc, node);
    ASSERT_NE(node->first_node("gunCooling"), nullptr);
    Ship restored(node, *universe);
    EXPECT_EQ(restored.getGunCooling(), (std::vector<unsigned>{37u}));
}

TEST_F(ShipTest, ShipWithoutWeaponsOrRelationsWritesNoLists) {
    Ship& ship = addShip({0.0f, 0.0f}, "Drone", 1);
    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "shipData");
    ship.save(doc, node);
    EXPECT_EQ(node->first_node(), nullptr);
}

TEST_F(ShipTest, RestoringAnUnknownTypeOrBadFactionStaysSafe) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<shipData x="5000" y="6" xSpd="0" ySpd="0" theta="0" aiType="4" faction="-2"
        hitpoints="40" shiptype="Ghost"><personalRelations index0="7" index3="-100"/></shipData>)",
                           "shipData", "inline", error))
        << error;
    Ship* restored = nullptr;
    std::string out = captureOutput([&] { restored = new Ship(file.root(), *universe); });
    std::unique_ptr<Ship> owner(restored);
    EXPECT_NE(out.find("Bad faction 0\n"), std::string::npos);
    EXPECT_NE(out.find("Error, bad ship name passed to ship constructor: Ghost\n"), std::string::npos);
    EXPECT_EQ(restored->getFaction(), 0u);
    EXPECT_EQ(restored->getShipCode(), -1);
    EXPECT_EQ(restored->getAI(), 0);
    EXPECT_FLOAT_EQ(restored->getHitpoints(), 40.0f);
    EXPECT_EQ(restored->getPersonalRelations(), (std::vector<short>{7, 0, 0, -100}));
    EXPECT_TRUE(restored->update(16, 0, *universe, player()));
}

}  // namespace
