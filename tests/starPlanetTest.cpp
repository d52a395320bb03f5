// Tests of stars and planets: gravity reach and pull, destruction on contact, orbits, the
// "planetTick" script event, landing and riding a planet.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "luaTables.h"
#include "planet.h"
#include "star.h"
#include "startLua.h"
#include "testSupport.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {

const char* COUNTING_SCRIPT = "ticks = 0\nfunction planetTick(id) ticks = ticks + 1; lastId = id end\n";

// A planet with the content file's units; only the orbit and spin figures vary.
Planet makePlanet(int id, float orbitRadius, float orbitSpeed, float initLoc, float rotationalSpeed = 0.0f,
                  float radius = 100.0f) {
    PlanetFigures figures;
    figures.id = id;
    figures.radius = radius;
    figures.density = 1.0f;
    figures.orbitRadius = orbitRadius;
    figures.orbitSpeed = orbitSpeed;
    figures.initLoc = initLoc;
    figures.rotationalSpeed = rotationalSpeed;
    figures.texture = 10;
    return Planet(figures, "Testplanet", planetData(), {});
}

double luaGlobal(lua_State* L, const char* name) {
    lua_getglobal(L, name);
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

bool finite(point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

TEST(GravityBody, reachAndPullFollowSizeAndDensity) {
    GravityBody body{{0.0f, 0.0f}, 100.0f, 2.0f * GRAVITYMULTIPLIER, 1000000.0f};
    EXPECT_NEAR(body.reach(), 2000.0f, 0.01f);
    // dt x (V / d^2) x density
    EXPECT_NEAR(body.pull(100.0f, 10), 10.0f * (1000000.0f / 10000.0f) * 2.0f * GRAVITYMULTIPLIER, 1e-9);
    EXPECT_FLOAT_EQ(body.pull(200.0f, 10) * 4.0f, body.pull(100.0f, 10));
    EXPECT_FLOAT_EQ(body.pull(100.0f, 0), 0.0f);
}

TEST(GravityBody, noPullAtTheVeryCentre) {
    GravityBody body{{0.0f, 0.0f}, 100.0f, GRAVITYMULTIPLIER, 1000.0f};
    EXPECT_FLOAT_EQ(body.pull(0.0f, 16), 0.0f);
}

class Bodies : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_NE(universe, nullptr);
        player = universe->player.get();
        // Far from every body of the tests unless a test moves it.
        player->setPosition({-50000.0f, -50000.0f});
        player->setVelocity({0.0f, 0.0f});
    }

    Ship& addShip(point where) {
        world.ships.emplace_back(where, universe->shipTypes[0].name, 1, *universe);
        return world.ships.back();
    }

    // Runs one star update with GL output discarded; returns what was printed.
    std::string step(Star& star, int dt) {
        return captureOutput([&] { star.update(world, player, dt); });
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    Player* player = nullptr;
    WorldState world{"test", 1000};
};

TEST_F(Bodies, objectExactlyAtReachIsPulledButThePlayerIsNot) {
    Star star({0.0f, 0.0f}, 100.0f, 1.0f, 14, "Sun");
    float reach = star.body().reach();
    Ship& atReach = addShip({reach, 0.0f});
    Ship& beyond = addShip({0.0f, reach + 1.0f});
    player->setPosition({0.0f, -reach});

    step(star, 16);
    EXPECT_LT(atReach.getGravity().x, 0.0f);
    EXPECT_FLOAT_EQ(atReach.getGravity().y, 0.0f);
    EXPECT_FLOAT_EQ(beyond.getGravity().y, 0.0f);
    EXPECT_FLOAT_EQ(player->getVelocity().y, 0.0f);

    // Just inside the reach the player is drawn towards the star by the same rule.
    player->setPosition({0.0f, -(reach - 1.0f)});
    step(star, 16);
    float d = reach - 1.0f;
    EXPECT_NEAR(player->getVelocity().y, star.body().pull(d, 16), 1e-9);
    EXPECT_FLOAT_EQ(player->getVelocity().x, 0.0f);
}

TEST_F(Bodies, landedPlayerIsNotPulledByAStar) {
    Star star({0.0f, 0.0f}, 100.0f, 1.0f, 14, "Sun");
    player->setPosition({0.0f, -500.0f});
    *player->getLandedPointer() = true;
    step(star, 16);
    EXPECT_FLOAT_EQ(player->getVelocity().y, 0.0f);
}

TEST_F(Bodies, touchingAStarDestroysShipsAndProjectiles) {
    Star star({1000.0f, 0.0f}, 100.0f, 1.0f, 14, "Sun");
    addShip({1050.0f, 0.0f});
    Ship& survivor = addShip({1300.0f, 0.0f});
    int survivorId = survivor.getID();
    world.projectiles.emplace_back(point{1000.0f, 100.0f}, 0.0f, world, 0, 0.0f, 0.0f, 1, std::vector<short>());
    world.projectiles.emplace_back(point{1000.0f, 300.0f}, 0.0f, world, 0, 0.0f, 0.0f, 1, std::vector<short>());

    float before = world.projectiles.back().getVelocity().y;

    step(star, 16);
    ASSERT_EQ(world.ships.size(), 1u);
    EXPECT_EQ(world.ships.front().getID(), survivorId);
    ASSERT_EQ(world.projectiles.size(), 1u);
    EXPECT_LT(world.projectiles.front().getVelocity().y, before);  // pulled down towards the star
    // Projectiles are handled before ships: the shot's explosion comes first.
    ASSERT_EQ(world.timers.size(), 2u);
    auto* first = dynamic_cast<TExplosion*>(world.timers.front().get());
    auto* second = dynamic_cast<TExplosion*>(world.timers.back().get());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_FLOAT_EQ(first->position.y, 100.0f);
    EXPECT_FLOAT_EQ(second->position.x, 1050.0f);
}

TEST_F(Bodies, playerAtAStarsCentreExplodesWithoutNaN) {
    Star star({0.0f, 0.0f}, 100.0f, 1.0f, 14, "Sun");
    player->setPosition({0.0f, 0.0f});
    step(star, 16);
    EXPECT_TRUE(finite(player->getVelocity()));
    EXPECT_EQ(world.timers.size(), 1u);
}

TEST_F(Bodies, shipAtAPlanetsCentreIsRemovedWithoutNaN) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f));
    addShip({1000.0f, 0.0f});
    step(star, 16);
    EXPECT_TRUE(world.ships.empty());
    EXPECT_EQ(world.timers.size(), 1u);
}

TEST_F(Bodies, orbitStartsAtInitLocWithTheGamesPi) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 90.0f));
    const Planet& planet = star.getPlanets()[0];
    EXPECT_NEAR(planet.getLoc().x, 0.796f, 0.001f);
    EXPECT_NEAR(planet.getLoc().y, 1000.0f, 0.001f);
    step(star, 20);
    EXPECT_NEAR(planet.getLoc().x, 0.796f, 0.001f);
    EXPECT_NEAR(planet.getLoc().y, 1000.0f, 0.001f);
    EXPECT_FLOAT_EQ(planet.getVelocity().x, 0.0f);
}

TEST_F(Bodies, orbitAdvancesWithTimeAndReportsItsVelocity) {
    Star star({500.0f, -200.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.01f, 0.0f, 0.5f));
    Planet& planet = star.getPlanets()[0];
    point before = planet.getLoc();
    EXPECT_NEAR(before.x, 1500.0f, 0.001f);
    step(star, 100);
    float angle = 100.0f * 0.01f * 3.14f / 180.0f;
    EXPECT_NEAR(planet.getLoc().x, 500.0f + 1000.0f * std::cos(angle), 0.01f);
    EXPECT_NEAR(planet.getLoc().y, -200.0f + 1000.0f * std::sin(angle), 0.01f);
    EXPECT_NEAR(planet.getVelocity().y, (planet.getLoc().y - before.y) / 100.0f, 1e-5);
    EXPECT_FLOAT_EQ(planet.getRotation(), 50.0f);
}

TEST_F(Bodies, zeroDtMovesNothingAndRaisesNoTick) {
    LuaState lua;
    ASSERT_EQ(luaL_dostring(lua.get(), COUNTING_SCRIPT), 0);
    world.luaState = lua.get();
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.01f, 0.0f, 0.5f));
    const Planet& planet = star.getPlanets()[0];
    step(star, 400);
    point loc = planet.getLoc();
    float rotation = planet.getRotation();
    for (int i = 0; i < 5; ++i) step(star, 0);
    EXPECT_FLOAT_EQ(planet.getLoc().x, loc.x);
    EXPECT_FLOAT_EQ(planet.getLoc().y, loc.y);
    EXPECT_FLOAT_EQ(planet.getRotation(), rotation);
    EXPECT_EQ(planet.getTickTime(), 400);
    EXPECT_EQ(luaGlobal(lua.get(), "ticks"), 0.0);
}

TEST_F(Bodies, planetTickEveryFiveHundredMsOfPlay) {
    LuaState lua;
    ASSERT_EQ(luaL_dostring(lua.get(), COUNTING_SCRIPT), 0);
    world.luaState = lua.get();
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(7, 1000.0f, 0.0f, 0.0f));
    std::vector<int> counts;
    for (int i = 0; i < 12; ++i) {
        step(star, 100);
        counts.push_back(static_cast<int>(luaGlobal(lua.get(), "ticks")));
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2}));
    EXPECT_EQ(luaGlobal(lua.get(), "lastId"), 7.0);
}

TEST_F(Bodies, longFrameRaisesOneTick) {
    LuaState lua;
    ASSERT_EQ(luaL_dostring(lua.get(), COUNTING_SCRIPT), 0);
    world.luaState = lua.get();
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f));
    step(star, 1200);
    EXPECT_EQ(luaGlobal(lua.get(), "ticks"), 1.0);
    EXPECT_EQ(star.getPlanets()[0].getTickTime(), 700);
}

TEST_F(Bodies, missingPlanetTickIsReportedAndPlayGoesOn) {
    LuaState lua;
    world.luaState = lua.get();
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f));
    star.addPlanet(makePlanet(1, 2000.0f, 0.0f, 0.0f));
    std::string out = step(star, 600);
    EXPECT_EQ(out.find("Lua event error, "), 0u);
    EXPECT_NE(out.find("Lua event error, ", 1), std::string::npos);  // one line per planet
    EXPECT_EQ(lua_gettop(lua.get()), 0);
    EXPECT_EQ(star.getPlanets()[1].getTickTime(), 100);
}

TEST_F(Bodies, withoutALuaStateTicksAreSkipped) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f));
    EXPECT_EQ(step(star, 600), "");
    EXPECT_EQ(star.getPlanets()[0].getTickTime(), 100);
}

struct LandingCase {
    float speed;
    float damage;
    size_t explosions;
};

class Landing : public Bodies, public ::testing::WithParamInterface<LandingCase> {};

TEST_P(Landing, relativeSpeedDecidesTheDamage) {
    const LandingCase& c = GetParam();
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(3, 1000.0f, 0.0f, 0.0f));
    float gap = 100.0f + player->getRadius();
    player->setPosition({1000.0f, gap - 1.0f});
    player->setVelocity({0.0f, -c.speed});
    float health = player->getHealth();

    step(star, 16);
    EXPECT_TRUE(player->isLanded());
    EXPECT_NEAR(player->getHealth(), health - c.damage, 0.01f);
    EXPECT_EQ(world.timers.size(), c.explosions);
    if (c.explosions) {
        auto* explosion = dynamic_cast<TExplosion*>(world.timers.front().get());
        ASSERT_NE(explosion, nullptr);
        EXPECT_FLOAT_EQ(explosion->position.y, gap - 1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Speeds, Landing,
                         ::testing::Values(LandingCase{0.5f, 0.0f, 0u}, LandingCase{0.99f, 0.0f, 0u},
                                           LandingCase{1.0f, 0.0f, 1u}, LandingCase{1.01f, 1.0f, 1u},
                                           LandingCase{3.0f, 200.0f, 1u}),
                         [](const ::testing::TestParamInfo<LandingCase>& info) {
                             std::string name = "speed" + std::to_string(static_cast<int>(info.param.speed * 100.0f + 0.5f));
                             return name + (info.param.explosions ? "crashes" : "lands");
                         });

TEST_F(Bodies, landedPlayerRidesTheSpinningPlanet) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    // Spins 10 degrees per ms so the landing angle moves visibly.
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f, 10.0f));
    float radius = 100.0f + player->getRadius();
    player->setPosition({1000.0f + radius - 1.0f, 0.0f});
    step(star, 16);
    ASSERT_TRUE(player->isLanded());

    point before = player->getPosition();
    step(star, 20);
    float angle = 20.0f * 10.0f * 0.0174444f;
    point after = player->getPosition();
    EXPECT_NEAR(after.x, 1000.0f + std::cos(angle) * radius, 0.01f);
    EXPECT_NEAR(after.y, std::sin(angle) * radius, 0.01f);
    EXPECT_NEAR(player->getTheta(), angle, 1e-5);
    // Velocity is the move of this frame per millisecond.
    EXPECT_NEAR(player->getVelocity().x, (after.x - before.x) / 20.0f, 1e-4);
    EXPECT_NEAR(player->getVelocity().y, (after.y - before.y) / 20.0f, 1e-4);
    // A frame of no time moves nothing and keeps the velocity of the last one.
    point velocity = player->getVelocity();
    step(star, 0);
    EXPECT_FLOAT_EQ(player->getVelocity().x, velocity.x);
    EXPECT_FLOAT_EQ(player->getVelocity().y, velocity.y);
}

TEST_F(Bodies, playerNearAPlanetIsPulledTowardsIt) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.0f, 0.0f));
    player->setPosition({1000.0f, 500.0f});
    step(star, 16);
    EXPECT_LT(player->getVelocity().y, 0.0f);
    EXPECT_NEAR(player->getVelocity().x, 0.0f, 1e-9);
    EXPECT_FALSE(player->isLanded());
}

TEST_F(Bodies, skipTimeRestoresTheOrbitFromElapsedTime) {
    Star star({100.0f, 100.0f}, 10.0f, 1.0f, 14, "Sun");
    star.addPlanet(makePlanet(0, 1000.0f, 0.001f, 90.0f, 0.01f));
    star.skipTime(500000);
    const Planet& planet = star.getPlanets()[0];
    float angle = 90.0f * 3.14f / 180.0f + 500000.0f * (0.001f * 3.14f / 180.0f);
    EXPECT_NEAR(planet.getLoc().x, 100.0f + std::cos(angle) * 1000.0f, 0.5f);
    EXPECT_NEAR(planet.getLoc().y, 100.0f + std::sin(angle) * 1000.0f, 0.5f);
    EXPECT_NEAR(planet.getRotation(), 5000.0f, 0.01f);
    EXPECT_FLOAT_EQ(planet.getVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(planet.getVelocity().y, 0.0f);
}

TEST_F(Bodies, textureOutOfRangeDrawsUntextured) {
    Star star({0.0f, 0.0f}, 10.0f, 1.0f, 100000, "Sun");
    PlanetFigures figures;
    figures.radius = 10.0f;
    figures.density = 1.0f;
    figures.orbitRadius = 100.0f;
    figures.texture = -5;
    star.addPlanet(Planet(figures, "Odd", planetData(), {}));
    EXPECT_EQ(step(star, 16), "");
}
