// Tests of projectiles: spreads, end of life, arming, hits on ships and the player, fragments
// and events, homing, bad types, and save/restore.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "camera.h"
#include "contentWorldTest.h"
#include "defaultVals.h"
#include "gameMain.h"
#include "glHeaders.h"
#include "pixelProbe.h"
#include "projectile.h"
#include "testSupport.h"
#include "textures.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {

// Types of the minimal content.
constexpr int PELLET = 0;
constexpr int SHARD = 3;
constexpr int CLUSTER = 4;

// Far from the player, the star and the planets.
constexpr point FIELD{50000.0f, 50000.0f};

float bearingOf(point v) { return std::atan2(v.x, v.y); }

class ProjectileTest : public ContentWorldTest {
protected:
    void SetUp() override {
        ContentWorldTest::SetUp();
        if (HasFatalFailure()) return;
        world().timers.clear();
    }

    // A shot of `type` flying slowly up (+y) from `where`.
    Projectile slowShot(int type, point where, short faction = 0) {
        WEAPONDATA[type].speed = 0.01f;
        return Projectile(where, 0.0f, world(), type, 0.0f, 0.0f, faction, {});
    }
    // A shot restored from a save element with the given attributes.
    Projectile restored(const std::string& attributes) {
        XmlFile file;
        std::string error;
        EXPECT_TRUE(file.parse("<projectileData " + attributes + "/>", "projectileData", "test", error)) << error;
        return Projectile(file.root(), *universe);
    }
    std::vector<float> spawnedBearings() {
        std::vector<float> bearings;
        for (const Projectile& p : world().projectiles) bearings.push_back(bearingOf(p.getVelocity()));
        std::sort(bearings.begin(), bearings.end());
        return bearings;
    }
};

// --- Spawning ---------------------------------------------------------------------------------

TEST_F(ProjectileTest, ConstructionInheritsTheShootersVelocityAndFacesItsCourse) {
    Projectile shot(FIELD, 1.0f, world(), PELLET, 0.5f, -0.25f, 3, {});
    EXPECT_FLOAT_EQ(shot.getVelocity().x, 2.0f * std::sin(1.0f) + 0.5f);
    EXPECT_FLOAT_EQ(shot.getVelocity().y, 2.0f * std::cos(1.0f) - 0.25f);
    EXPECT_EQ(shot.getLifetimeRemaining(), 2000);
    EXPECT_EQ(shot.getTargetedShipID(), 0);
    point v = shot.getVelocity();
    EXPECT_FLOAT_EQ(shot.getTheta(), std::atan2(v.y, -v.x) - 1.57f);
}

TEST_F(ProjectileTest, EvenSpreadOfFiveShots) {
    WEAPONDATA[PELLET].numProjectiles = 5;
    WEAPONDATA[PELLET].spread = 0.4f;
    WEAPONDATA[PELLET].uniformSpread = true;
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, 1.0f, world(), 0);
    std::vector<float> bearings = spawnedBearings();
    ASSERT_EQ(bearings.size(), 5u);
    const float expected[] = {0.8f, 0.9f, 1.0f, 1.1f, 1.2f};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(bearings[i], expected[i], 1e-5);
    // The last shot of the fan is at the front of the list.
    EXPECT_NEAR(bearingOf(world().projectiles.front().getVelocity()), 1.2f, 1e-5);
}

TEST_F(ProjectileTest, SingleShotWithSpreadTakesARandomOffsetInSteps) {
    WEAPONDATA[PELLET].spread = 0.4f;
    WEAPONDATA[PELLET].uniformSpread = true;
    std::set<int> steps;
    for (int i = 0; i < 300; ++i) projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, 1.0f, world(), 0);
    for (float b : spawnedBearings()) {
        float offset = b - 1.0f;
        EXPECT_GE(offset, -0.2f - 1e-5);
        EXPECT_LE(offset, 0.18f + 1e-5);
        float step = (offset + 0.2f) * 50.0f;
        EXPECT_NEAR(step, std::round(step), 1e-3);
        steps.insert(static_cast<int>(std::round(step)));
    }
    EXPECT_GT(steps.size(), 5u);
}

TEST_F(ProjectileTest, SpreadNarrowerThanOneStepFiresStraight) {
    WEAPONDATA[PELLET].spread = 0.01f;
    WEAPONDATA[PELLET].numProjectiles = 3;
    WEAPONDATA[PELLET].uniformSpread = false;
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, 1.0f, world(), 0);
    for (float b : spawnedBearings()) EXPECT_NEAR(b, 1.0f, 1e-5);
}

TEST_F(ProjectileTest, SpawnTowardsATargetAndOntoItself) {
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, point{FIELD.x + 100.0f, FIELD.y}, world(), 2);
    EXPECT_NEAR(bearingOf(world().projectiles.front().getVelocity()), 1.57f, 1e-3);
    EXPECT_EQ(world().projectiles.front().getFaction(), 2);
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, FIELD, world(), 2);
    EXPECT_NEAR(bearingOf(world().projectiles.front().getVelocity()), 0.0f, 1e-6);
}

TEST_F(ProjectileTest, SpawnOfAnUnknownTypeIsRefused) {
    std::string out = captureOutput([&] { projectileSpawn(42, {0.0f, 0.0f}, FIELD, 0.0f, world(), 0); });
    EXPECT_TRUE(world().projectiles.empty());
    EXPECT_NE(out.find("42"), std::string::npos);
}

TEST_F(ProjectileTest, AWorldHoldsABoundedNumberOfShots) {
    WEAPONDATA[PELLET].numProjectiles = 1000000000;
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, 0.0f, world(), 0);
    EXPECT_EQ(world().projectiles.size(), 5000u);
    projectileSpawn(PELLET, {0.0f, 0.0f}, FIELD, 0.0f, world(), 0);
    EXPECT_EQ(world().projectiles.size(), 5000u);
}

TEST_F(ProjectileTest, ThePassLeavesNoTextureBound) {
    // Each shot leaves its own texture bound for the next; whatever the frame draws after the
    // pass (the engine flame, explosions) must still find no texture bound.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char white[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    WEAPONDATA[PELLET].texture = texture;
    world().projectiles.push_back(slowShot(PELLET, FIELD));
    world().projectiles.push_back(slowShot(PELLET, {FIELD.x + 500.0f, FIELD.y}));
    processProjectiles(world(), *universe, 16, 5000);
    ASSERT_EQ(world().projectiles.size(), 2u);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    glDeleteTextures(1, &texture);
}

// --- End of life ------------------------------------------------------------------------------

TEST_F(ProjectileTest, LifetimeEqualToDtIsStillAliveThatFrame) {
    WEAPONDATA[PELLET].lifetime = 50;
    Projectile shot(FIELD, 0.0f, world(), PELLET, 0.0f, 0.0f, 0, {});
    EXPECT_TRUE(shot.update(50, world(), *universe, 0));
    EXPECT_EQ(shot.getLifetimeRemaining(), 0);
    EXPECT_FALSE(shot.update(50, world(), *universe, 50));
}

TEST_F(ProjectileTest, LifetimeMinusOneNeverExpires) {
    WEAPONDATA[PELLET].lifetime = -1;
    WEAPONDATA[PELLET].speed = 0.0001f;
    Projectile shot(FIELD, 0.0f, world(), PELLET, 0.0f, 0.0f, 0, {});
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(shot.update(1000, world(), *universe, i * 1000));
}

TEST_F(ProjectileTest, ShortLifeEndsBeforeAnyHitTest) {
    Ship& ship = addShip(FIELD);
    float hp = ship.getHitpoints();
    WEAPONDATA[PELLET].lifetime = 50;
    Projectile fresh = slowShot(PELLET, FIELD);
    EXPECT_FALSE(fresh.update(60, world(), *universe, 0));

    // Even an armed shot (restored with 50 ms left of 2000) dies before it can hit.
    WEAPONDATA[PELLET].lifetime = 2000;
    Projectile armed = restored(R"(x="50000" y="50000" xSpd="0" ySpd="0.01" lifetimeRemaining="50" theta="0"
        shotType="0" faction="0" targetedShipID="0")");
    EXPECT_FALSE(armed.update(60, world(), *universe, 0));
    EXPECT_FLOAT_EQ(ship.getHitpoints(), hp);
    EXPECT_TRUE(world().timers.empty());
}

TEST_F(ProjectileTest, DeathEffectReplacesDeathFragments) {
    WEAPONDATA[CLUSTER].onDeathEffect = 1;
    ASSERT_EQ(WEAPONDATA[CLUSTER].onDeathFragment, SHARD);
    Projectile shot(FIELD, 0.0f, world(), CLUSTER, 0.0f, 0.0f, 5, {});
    EXPECT_FALSE(shot.update(900, world(), *universe, 1000));
    EXPECT_TRUE(world().projectiles.empty());
    ASSERT_EQ(world().timers.size(), 1u);
    const TimerBase* timer = world().timers.front().get();
    EXPECT_NE(dynamic_cast<const TShockwave*>(timer), nullptr);
    EXPECT_EQ(timer->endTime, 3000);
}

TEST_F(ProjectileTest, DeathFragmentsCarryTheParentsFactionAndVelocity) {
    Projectile shot(FIELD, 0.5f, world(), CLUSTER, 0.0f, 0.0f, 5, {});
    point v = shot.getVelocity();
    float theta = shot.getTheta();
    EXPECT_FALSE(shot.update(900, world(), *universe, 1000));
    ASSERT_EQ(world().projectiles.size(), 1u);
    const Projectile& shard = world().projectiles.front();
    EXPECT_EQ(shard.getShotType(), SHARD);
    EXPECT_EQ(shard.getFaction(), 5);
    EXPECT_FLOAT_EQ(shard.getVelocity().x, 1.5f * std::sin(theta) + v.x);
    EXPECT_FLOAT_EQ(shard.getVelocity().y, 1.5f * std::cos(theta) + v.y);
    EXPECT_TRUE(world().timers.empty());
}

// --- Hits -------------------------------------------------------------------------------------

TEST_F(ProjectileTest, ShotsArmAfterOneHundredMilliseconds) {
    Ship& ship = addShip(FIELD);
    float hp = ship.getHitpoints();
    Projectile shot = slowShot(PELLET, FIELD);
    // Ages 0, 50 and 100 ms: not armed; at 150 ms the hit test runs.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(shot.update(50, world(), *universe, i * 50));
    EXPECT_FLOAT_EQ(ship.getHitpoints(), hp);
    EXPECT_FALSE(shot.update(50, world(), *universe, 150));
    EXPECT_FLOAT_EQ(ship.getHitpoints(), hp - 10.0f);
    EXPECT_EQ(world().timers.size(), 1u);
}

TEST_F(ProjectileTest, HitsTheShipNearestToTheShot) {
    WEAPONDATA[PELLET].speed = 1.0f;
    Ship& ahead = addShip({FIELD.x, FIELD.y + 20.0f});
    Ship& behind = addShip({FIELD.x, FIELD.y - 10.0f});
    Projectile shot = restored(R"(x="50000" y="49950" xSpd="0" ySpd="1" lifetimeRemaining="1000" theta="0"
        shotType="0" faction="0" targetedShipID="0")");
    float aheadHp = ahead.getHitpoints(), behindHp = behind.getHitpoints();
    EXPECT_FALSE(shot.update(50, world(), *universe, 0));  // sweeps 49950 -> 50000
    EXPECT_FLOAT_EQ(behind.getHitpoints(), behindHp - 10.0f);
    EXPECT_FLOAT_EQ(ahead.getHitpoints(), aheadHp);
}

// Fast shots sweep past a ship in every direction, grazing it just inside or just outside its
// reach: the quick rejection of far ships must never drop a graze the exact test would count.
TEST_F(ProjectileTest, GrazingShotsHitExactlyWhenTheSweptTestSaysSo) {
    Ship& ship = addShip(FIELD);
    const float reach = WEAPONDATA[PELLET].size + ship.getSize() / 2.0f;
    int hits = 0, cases = 0;
    for (int k = 0; k < 16; ++k) {
        const float angle = static_cast<float>(k) * 0.3927f + 0.1f;
        const point along{std::sin(angle), std::cos(angle)};
        const point side{along.y, -along.x};
        for (float gap : {-0.05f, 0.05f, 0.5f}) {
            for (float speed : {0.5f, 20.0f}) {
                const float off = reach + gap;
                // Starts before the ship and ends level with it, or far past it.
                const point start{FIELD.x + side.x * off - along.x * speed * 50.0f * 0.7f,
                                  FIELD.y + side.y * off - along.y * speed * 50.0f * 0.7f};
                const float hp = ship.getHitpoints();
                Projectile shot = restored("x=\"" + toString(start.x) + "\" y=\"" + toString(start.y) + "\" xSpd=\"" +
                                           toString(along.x * speed) + "\" ySpd=\"" + toString(along.y * speed) +
                                           "\" lifetimeRemaining=\"1000\" theta=\"0\" shotType=\"0\" faction=\"0\""
                                           " targetedShipID=\"0\"");
                const point before = shot.getPosition();
                shot.update(50, world(), *universe, 0);
                const bool expected = intersectCircleLine(shot.getPosition(), before, FIELD, reach);
                const bool hit = ship.getHitpoints() < hp;
                EXPECT_EQ(hit, expected) << "angle " << angle << " gap " << gap << " speed " << speed;
                hits += hit;
                ++cases;
            }
        }
    }
    EXPECT_GT(hits, cases / 4) << "the grazes inside the reach should hit";
    EXPECT_LT(hits, cases) << "the misses outside the reach should not";
}

// Ships are looked up in x order, but of two ships equally near the shot the first in the
// world's list is hit, as when the list was walked; a ship with no real position is never hit.
TEST_F(ProjectileTest, EquallyNearShipsGoToTheFirstInTheList) {
    WEAPONDATA[PELLET].speed = 1.0f;
    for (bool rightFirst : {true, false}) {
        SCOPED_TRACE(rightFirst ? "right ship first" : "left ship first");
        world().ships.clear();
        addShip({NAN, FIELD.y});
        Ship& first = addShip({FIELD.x + (rightFirst ? 5.0f : -5.0f), FIELD.y});
        Ship& second = addShip({FIELD.x + (rightFirst ? -5.0f : 5.0f), FIELD.y});
        const float firstHp = first.getHitpoints(), secondHp = second.getHitpoints();
        Projectile shot = restored(R"(x="50000" y="49950" xSpd="0" ySpd="1" lifetimeRemaining="1000" theta="0"
            shotType="0" faction="0" targetedShipID="0")");
        EXPECT_FALSE(shot.update(50, world(), *universe, 0));  // sweeps 49950 -> 50000
        EXPECT_FLOAT_EQ(first.getHitpoints(), firstHp - 10.0f);
        EXPECT_FLOAT_EQ(second.getHitpoints(), secondHp);
    }
}

TEST_F(ProjectileTest, ZeroDamageShotVanishesAtAShipWithoutExplosion) {
    WEAPONDATA[PELLET].damage = 0.0f;
    Ship& ship = addShip(FIELD);
    float hp = ship.getHitpoints();
    Projectile shot = restored(R"(x="50000" y="49990" xSpd="0" ySpd="0.1" lifetimeRemaining="1000" theta="0"
        shotType="0" faction="0" targetedShipID="0")");
    EXPECT_FALSE(shot.update(100, world(), *universe, 0));
    EXPECT_FLOAT_EQ(ship.getHitpoints(), hp);
    EXPECT_TRUE(world().timers.empty());
}

TEST_F(ProjectileTest, ZeroDamageShotStillExplodesAtThePlayer) {
    WEAPONDATA[PELLET].damage = 0.0f;
    universe->player->setPosition(FIELD);
    float health = universe->player->getHealth();
    Projectile shot = restored(R"(x="50000" y="49990" xSpd="0" ySpd="0.1" lifetimeRemaining="1000" theta="0"
        shotType="0" faction="0" targetedShipID="0")");
    EXPECT_FALSE(shot.update(100, world(), *universe, 0));
    EXPECT_FLOAT_EQ(universe->player->getHealth(), health);
    EXPECT_EQ(world().timers.size(), 1u);
}

TEST_F(ProjectileTest, PlayerIsHitWhenNearerThanTheShip) {
    universe->player->setPosition({FIELD.x, FIELD.y + 5.0f});
    Ship& ship = addShip({FIELD.x, FIELD.y + 20.0f});
    float hp = ship.getHitpoints();
    float health = universe->player->getHealth();
    Projectile shot = restored(R"(x="50000" y="49990" xSpd="0" ySpd="0.1" lifetimeRemaining="1000" theta="0"
        shotType="0" faction="0" targetedShipID="0")");
    EXPECT_FALSE(shot.update(100, world(), *universe, 0));
    EXPECT_FLOAT_EQ(universe->player->getHealth(), health - 10.0f);
    EXPECT_FLOAT_EQ(ship.getHitpoints(), hp);
}

TEST_F(ProjectileTest, HitFragmentsCarryTheParentsFaction) {
    WEAPONDATA[PELLET].onHitFragment = SHARD;
    addShip(FIELD);
    Projectile shot = restored(R"(x="50000" y="49990" xSpd="0" ySpd="0.1" lifetimeRemaining="1000" theta="0"
        shotType="0" faction="7" targetedShipID="0")");
    EXPECT_FALSE(shot.update(100, world(), *universe, 0));
    ASSERT_EQ(world().projectiles.size(), 1u);
    EXPECT_EQ(world().projectiles.front().getShotType(), SHARD);
    EXPECT_EQ(world().projectiles.front().getFaction(), 7);
    EXPECT_NEAR(world().projectiles.front().getVelocity().y, 0.1f + 1.5f * std::cos(0.0f), 1e-5);
}

TEST_F(ProjectileTest, EventNumbers) {
    point where{1.0f, 2.0f};
    EXPECT_FALSE(projectileEvent(world(), where, 0, 100));
    EXPECT_TRUE(world().timers.empty());
    EXPECT_FALSE(projectileEvent(world(), where, 1, 100));
    ASSERT_EQ(world().timers.size(), 1u);
    EXPECT_EQ(world().timers.front()->startTime, 0);
    EXPECT_EQ(world().timers.front()->endTime, 2100);
    std::string out = captureOutput([&] { EXPECT_FALSE(projectileEvent(world(), where, 5, 100)); });
    EXPECT_EQ(out, "Bad eventNum value in projectileEvent 5\n");
    EXPECT_EQ(world().timers.size(), 1u);
}

// --- Homing -----------------------------------------------------------------------------------

class HomingTest : public ProjectileTest {
protected:
    void SetUp() override {
        ProjectileTest::SetUp();
        WEAPONDATA[PELLET].homingRange = 1000.0f;
        WEAPONDATA[PELLET].lifetime = -1;
    }
    point around(const Projectile& shot, float dx, float dy) {
        return {shot.getPosition().x + dx, shot.getPosition().y + dy};
    }
};

TEST_F(HomingTest, KeepsATargetWithinTwiceTheRangeAndDropsItBeyond) {
    Projectile shot = slowShot(PELLET, FIELD);
    Ship& first = addShip(around(shot, 500.0f, 0.0f));
    ASSERT_TRUE(shot.update(10, world(), *universe, 0));
    EXPECT_EQ(shot.getTargetedShipID(), first.getID());

    first.setPosition(around(shot, 1500.0f, 0.0f));
    Ship& second = addShip(around(shot, 0.0f, -600.0f));
    ASSERT_TRUE(shot.update(10, world(), *universe, 10));
    EXPECT_EQ(shot.getTargetedShipID(), first.getID());

    first.setPosition(around(shot, 2100.0f, 0.0f));
    ASSERT_TRUE(shot.update(10, world(), *universe, 20));
    EXPECT_EQ(shot.getTargetedShipID(), 0);
    ASSERT_TRUE(shot.update(10, world(), *universe, 30));
    EXPECT_EQ(shot.getTargetedShipID(), second.getID());
}

TEST_F(HomingTest, AcquiresOnlyWithinTheRangeAndTheNearestFirst) {
    Projectile shot = slowShot(PELLET, FIELD);
    addShip(around(shot, 1001.0f, 0.0f));
    ASSERT_TRUE(shot.update(10, world(), *universe, 0));
    EXPECT_EQ(shot.getTargetedShipID(), 0);
    Ship& tieFirst = addShip(around(shot, -700.0f, 0.0f));
    addShip(around(shot, 700.0f, 0.0f));  // as near as the first: list order decides
    ASSERT_TRUE(shot.update(10, world(), *universe, 10));
    EXPECT_EQ(shot.getTargetedShipID(), tieFirst.getID());
}

TEST_F(HomingTest, TurnsTowardsTheTargetByAtMostTurnSpeedTimesDt) {
    Projectile shot = slowShot(PELLET, FIELD);  // heading up, bearing about 0
    addShip(around(shot, 500.0f, 0.0f));          // to the right: bearing about 1.57
    float before = shot.getTheta();
    if (before < 0.0f) before += 6.28f;
    ASSERT_TRUE(shot.update(10, world(), *universe, 0));
    EXPECT_NEAR(shot.getTheta(), before + 10 * 0.0001f, 1e-5);
}

TEST_F(HomingTest, DragSlowsEveryHomingShot) {
    Projectile shot = slowShot(PELLET, FIELD);
    point v = shot.getVelocity();
    ASSERT_TRUE(shot.update(10, world(), *universe, 0));  // no ship at all
    EXPECT_FLOAT_EQ(shot.getVelocity().x, v.x * (1.0f - 10 * 0.003f));
    EXPECT_FLOAT_EQ(shot.getVelocity().y, v.y * (1.0f - 10 * 0.003f));
    EXPECT_EQ(shot.getTargetedShipID(), 0);
}

// --- Save and restore -------------------------------------------------------------------------

TEST_F(ProjectileTest, SaveAndRestoreRoundTrip) {
    Projectile shot({12.5f, -3.25f}, 0.75f, world(), CLUSTER, 0.1f, 0.2f, -3, {5, -100, 0});
    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "projectileData");
    shot.save(doc, node);
    std::vector<std::string> names;
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) names.push_back(a->name());
    std::vector<std::string> expected{"x",     "y",        "xSpd",    "ySpd",          "lifetimeRemaining",
                                      "theta", "shotType", "faction", "targetedShipID"};
    EXPECT_EQ(names, expected);
    ASSERT_NE(node->first_node("personalRelations"), nullptr);
    EXPECT_STREQ(node->first_node("personalRelations")->first_attribute("index1")->value(), "-100");

    Projectile back(node, *universe);
    EXPECT_FLOAT_EQ(back.getPosition().x, 12.5f);
    EXPECT_FLOAT_EQ(back.getPosition().y, -3.25f);
    EXPECT_NEAR(back.getVelocity().x, shot.getVelocity().x, 1e-5);
    EXPECT_NEAR(back.getVelocity().y, shot.getVelocity().y, 1e-5);
    EXPECT_NEAR(back.getTheta(), shot.getTheta(), 1e-5);
    EXPECT_EQ(back.getShotType(), CLUSTER);
    EXPECT_EQ(back.getFaction(), -3);
    EXPECT_EQ(back.getLifetimeRemaining(), 800);

    XmlDoc again;
    XmlNode* copy = appendElement(again, &again, "projectileData");
    back.save(again, copy);
    EXPECT_STREQ(copy->first_node("personalRelations")->first_attribute("index2")->value(), "0");
}

TEST_F(ProjectileTest, RestoredShotOfUnknownTypeIsDroppedSafely) {
    std::string out = captureOutput([&] {
        Projectile shot = restored(R"(x="0" y="0" xSpd="0" ySpd="0" lifetimeRemaining="100" theta="0"
            shotType="77" faction="0" targetedShipID="0")");
        EXPECT_FALSE(shot.update(10, world(), *universe, 0));
        EXPECT_FALSE(shot.handleCollision({0.0f, 0.0f}, world(), *universe, 0));
        EXPECT_TRUE(shot.affectedByGrav());
    });
    EXPECT_NE(out.find("Error"), std::string::npos);
}

TEST_F(ProjectileTest, MissingAttributesAreReported) {
    std::string out = captureOutput([&] { restored(R"(x="1" y="2")"); });
    EXPECT_NE(out.find("Error, XML value shotType not present, and is required"), std::string::npos);
}

// --- What is drawn ------------------------------------------------------------------------------

TEST_F(ProjectileTest, SpriteTopPointsAlongTheBearing) {
    OffscreenTarget target;
    QuadrantTexture picture;
    WEAPONDATA[PELLET].texture = picture.name();
    WEAPONDATA[PELLET].size = 40.0f;
    for (float bearing : {0.5f, 2.0f, 4.0f, 5.5f}) {
        SCOPED_TRACE(bearing);
        glClear(GL_COLOR_BUFFER_BIT);
        target.centredOrtho(FIELD);
        Projectile shot(FIELD, bearing, world(), PELLET, 0.0f, 0.0f, 0, {});
        shot.draw();
        EXPECT_EQ(QuadrantTexture::mismatches(target, FIELD, {std::sin(bearing), std::cos(bearing)}, 40.0f), "");
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace

// The projectile pass gathers the shots and draws one array per texture; being additive, the
// picture must be that of drawing the shots one by one, and the pass must leave the state as
// the shot-by-shot drawing left it.
TEST_F(ProjectileTest, BatchedShotsDrawWhatShotByShotDrew) {
    ensureGlContext();
    constexpr int WIDTH = 320, HEIGHT = 256;
    const int types[] = {PELLET, SHARD, CLUSTER};
    const char* images[] = {"bulletDot.png", "missile.png", "plasma.png"};
    std::vector<unsigned> loaded;
    for (int k = 0; k < 3; ++k) {
        loaded.push_back(loadSingleTexture(shippedDataDirectory() + images[k], 1));
        WEAPONDATA[types[k]].texture = loaded.back();
        WEAPONDATA[types[k]].size = 6.0f + 4.0f * k;
    }
    for (int i = 0; i < 400; ++i) {
        const point where{FIELD.x + static_cast<float>((i * 37) % 500) - 250.0f,
                          FIELD.y + static_cast<float>((i * 91) % 400) - 200.0f};
        world().projectiles.emplace_back(where, static_cast<float>(i) * 0.7f, world(), types[i % 3], 0.0f, 0.0f, 1,
                                         std::vector<short>());
    }
    auto frameStart = [&](float viewHeight) {
        const float darkBlue[4] = {0.05f, 0.05f, 0.1f, 1.0f};
        startPicture(WIDTH, HEIGHT, darkBlue, GL_ONE);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        CameraView::forGame(FIELD, viewHeight, 1.0f, 1.0f, static_cast<float>(WIDTH) / HEIGHT, WIDTH, HEIGHT).apply();
    };
    for (float viewHeight : {600.0f, 150.0f}) {
        SCOPED_TRACE(viewHeight);
        frameStart(viewHeight);
        for (const Projectile& shot : world().projectiles) shot.draw();
        glBindTexture(GL_TEXTURE_2D, 0);
        const std::vector<unsigned char> oneByOne = readScreen(WIDTH, HEIGHT);
        frameStart(viewHeight);
        processProjectiles(world(), *universe, 0, 1000);
        const PictureDifference d = comparePictures(oneByOne, readScreen(WIDTH, HEIGHT));
        // Corners computed here rather than by GL's matrices may move a pixel's coverage at a
        // square's (transparent) edge, nothing more.
        EXPECT_LE(d.largest, 3);
        EXPECT_LT(d.farOffShare, 0.0005);
        EXPECT_GT(d.lit, 1000) << "the shots should show";
    }
    EXPECT_EQ(world().projectiles.size(), 400u);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f) << "white, as after the last shot";
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    GLboolean arrays = GL_TRUE;
    glGetBooleanv(GL_TEXTURE_COORD_ARRAY, &arrays);
    EXPECT_FALSE(arrays);
    for (unsigned texture : loaded) glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
