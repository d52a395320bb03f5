// Tests of gravity walls: laying, the pull and its floor and cut-off, ageing and removal, push,
// and save/restore.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "GravityWall.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

gravToolPart makePart(float mass, int lifetime = 3000) {
    gravToolPart part;
    part.name = mass > 0 ? "Pull" : "Push";
    part.spacing = 50;
    part.mass = mass;
    part.cost = 0.2f;
    part.lifetime = lifetime;
    return part;
}

// A wall built with its start-up lines kept out of the test output.
GravityWall quietWall(int id, point where, gravToolPart part) {
    GravityWall* wall = nullptr;
    captureOutput([&] { wall = new GravityWall(id, where, std::move(part), 4); });
    GravityWall copy = *wall;
    delete wall;
    return copy;
}

class GravityWallTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        universe->player->setPosition({-90000.0f, -90000.0f});
        world().ships.clear();
        world().projectiles.clear();
    }

    WorldState& world() { return universe->currentWorld(); }

    Ship& addShip(point where) {
        world().ships.emplace_front(where, "Drone", 1, *universe);
        return world().ships.front();
    }

    // Runs one update with its output kept; returns the update's result.
    bool step(GravityWall& wall, int dt, std::string* out = nullptr) {
        bool alive = true;
        std::string text = captureOutput([&] { alive = wall.update(dt, *universe); });
        if (out) *out = text;
        return alive;
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
};

TEST_F(GravityWallTest, ConstructorReportsAndLaysTheFirstWell) {
    GravityWall* wall = nullptr;
    std::string out = captureOutput([&] { wall = new GravityWall(7, {3.0f, 4.0f}, makePart(5000.0f), 10); });
    std::unique_ptr<GravityWall> owner(wall);
    EXPECT_EQ(out, "Wall created\n5000\n");
    EXPECT_EQ(wall->getID(), 7);
    EXPECT_EQ(wall->getActiveIndex(), 0);
    ASSERT_EQ(wall->getWells().size(), 1u);
    EXPECT_FLOAT_EQ(wall->getWells()[0].x, 3.0f);
    EXPECT_FLOAT_EQ(wall->getWells()[0].y, 4.0f);
    EXPECT_EQ(wall->getWells()[0].timeLeft, 3000);
    EXPECT_FLOAT_EQ(wall->getWells()[0].strength, 5000.0f);
    wall->addWell({8.0f, 9.0f});
    EXPECT_EQ(wall->getWells().size(), 2u);
    EXPECT_FLOAT_EQ(wall->getWells()[1].x, 8.0f);
}

struct PullCase {
    float mass;
    point ship;
    point expectedChange;
};

class GravityWallPullTest : public GravityWallTest, public ::testing::WithParamInterface<std::tuple<PullCase, int>> {};

TEST_P(GravityWallPullTest, ChangesVelocityOncePerFrameWhateverDt) {
    const PullCase& c = std::get<0>(GetParam());
    int dt = std::get<1>(GetParam());
    Ship& ship = addShip(c.ship);
    GravityWall wall = quietWall(1, {0.0f, 0.0f}, makePart(c.mass));
    ASSERT_TRUE(step(wall, dt));
    EXPECT_NEAR(ship.getVelocity().x, c.expectedChange.x, 1e-6);
    EXPECT_NEAR(ship.getVelocity().y, c.expectedChange.y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Wells, GravityWallPullTest,
    ::testing::Combine(::testing::Values(
                           // 10 units counts as 50: 5000 / 2500 = 2.0 towards the well.
                           PullCase{5000.0f, {10.0f, 0.0f}, {-2.0f, 0.0f}},
                           // 100 units: 5000 / 10000.
                           PullCase{5000.0f, {0.0f, 100.0f}, {0.0f, -0.5f}},
                           // Negative mass pushes away.
                           PullCase{-5000.0f, {10.0f, 0.0f}, {2.0f, 0.0f}},
                           // Exactly on the well: no direction, no push (and no NaN).
                           PullCase{5000.0f, {0.0f, 0.0f}, {0.0f, 0.0f}}),
                       ::testing::Values(1, 16, 60)));

TEST_F(GravityWallTest, FarFromTheFirstLiveWellTheWholeWallIsIgnored) {
    // Beyond 50000 units from the first well the ship feels nothing, though the second is near.
    Ship& far = addShip({50001.0f, 0.0f});
    Ship& edge = addShip({-50000.0f, 0.0f});
    GravityWall wall = quietWall(1, {0.0f, 0.0f}, makePart(5000.0f));
    wall.addWell({50101.0f, 0.0f});
    ASSERT_TRUE(step(wall, 16));
    EXPECT_FLOAT_EQ(far.getVelocity().x, 0.0f);
    // Exactly 50000 away still counts.
    EXPECT_GT(edge.getVelocity().x, 0.0f);
}

TEST_F(GravityWallTest, NearerWellsBeforeAFarOneStillAct) {
    // The cut-off stops at the far well, so only the wells before it act.
    Ship& ship = addShip({0.0f, 0.0f});
    GravityWall wall = quietWall(1, {100.0f, 0.0f}, makePart(5000.0f));
    wall.addWell({60000.0f, 0.0f});
    wall.addWell({0.0f, 100.0f});
    ASSERT_TRUE(step(wall, 16));
    EXPECT_NEAR(ship.getVelocity().x, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(ship.getVelocity().y, 0.0f);
}

TEST_F(GravityWallTest, WellOfLifetime100ActsInTwoFramesOf60) {
    Ship& ship = addShip({10.0f, 0.0f});
    GravityWall wall = quietWall(1, {0.0f, 0.0f}, makePart(5000.0f, 100));
    ASSERT_TRUE(step(wall, 60));
    EXPECT_EQ(wall.getWells()[0].timeLeft, 40);
    EXPECT_NEAR(ship.getVelocity().x, -2.0f, 1e-6);
    ASSERT_TRUE(step(wall, 60));
    EXPECT_EQ(wall.getWells()[0].timeLeft, -20);
    EXPECT_NEAR(ship.getVelocity().x, -4.0f, 1e-6);

    // Third frame: the expired well is dropped first, acts on nothing and the wall goes.
    std::string out;
    EXPECT_FALSE(step(wall, 60, &out));
    EXPECT_EQ(out, "line removed\n");
    EXPECT_NEAR(ship.getVelocity().x, -4.0f, 1e-6);
    EXPECT_EQ(wall.getActiveIndex(), 1);
}

TEST_F(GravityWallTest, ExpiredWellIsSkippedWhileLaterOnesAct) {
    Ship& ship = addShip({10.0f, 1000.0f});
    GravityWall wall = quietWall(1, {0.0f, 1000.0f}, makePart(5000.0f, 100));
    ASSERT_TRUE(step(wall, 60));
    wall.addWell({10.0f, 0.0f});  // 1000 units below the ship: 5000 / 1e6 = 0.005
    ASSERT_TRUE(step(wall, 60));
    ship.setVelocity({0.0f, 0.0f});

    std::string out;
    EXPECT_TRUE(step(wall, 60, &out));
    EXPECT_EQ(out, "");
    EXPECT_EQ(wall.getActiveIndex(), 1);
    EXPECT_FLOAT_EQ(ship.getVelocity().x, 0.0f);
    EXPECT_NEAR(ship.getVelocity().y, -0.005f, 1e-7);
    EXPECT_EQ(wall.getWells()[0].timeLeft, -20);  // dead wells no longer age
    EXPECT_EQ(wall.getWells()[1].timeLeft, -20);
}

TEST_F(GravityWallTest, ShotsArePulledAndPushedToo) {
    world().projectiles.emplace_front(point{0.0f, 10.0f}, 0.0f, world(), 0, 0.0f, 0.0f, 0, std::vector<short>{});
    Projectile& shot = world().projectiles.front();
    point before = shot.getVelocity();
    GravityWall pull = quietWall(1, {0.0f, 0.0f}, makePart(5000.0f));
    ASSERT_TRUE(step(pull, 16));
    EXPECT_NEAR(shot.getVelocity().x - before.x, 0.0f, 1e-6);
    EXPECT_NEAR(shot.getVelocity().y - before.y, -2.0f, 1e-5);
    GravityWall push = quietWall(2, {0.0f, 0.0f}, makePart(-5000.0f));
    ASSERT_TRUE(step(push, 16));
    EXPECT_NEAR(shot.getVelocity().y - before.y, 0.0f, 1e-5);
}

TEST_F(GravityWallTest, OnlyTheCurrentWorldIsAffected) {
    ASSERT_GE(universe->worlds.size(), 2u);
    int other = universe->player->getWorld() == 0 ? 1 : 0;
    universe->worlds[other].ships.emplace_front(point{10.0f, 0.0f}, "Drone", 1, *universe);
    GravityWall wall = quietWall(1, {0.0f, 0.0f}, makePart(5000.0f));
    ASSERT_TRUE(step(wall, 16));
    EXPECT_FLOAT_EQ(universe->worlds[other].ships.front().getVelocity().x, 0.0f);
}

// --- Save and restore -----------------------------------------------------------------------

std::vector<std::string> attributeNames(XmlNode* node) {
    std::vector<std::string> names;
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) names.push_back(a->name());
    return names;
}

TEST_F(GravityWallTest, SaveAndRestoreRoundTrip) {
    GravityWall wall = quietWall(12, {1.5f, -2.5f}, makePart(-5000.0f, 100));
    ASSERT_TRUE(step(wall, 60));
    wall.addWell({30.0f, 40.0f});
    ASSERT_TRUE(step(wall, 60));
    wall.addWell({50.0f, 60.0f});
    ASSERT_TRUE(step(wall, 10));
    ASSERT_EQ(wall.getActiveIndex(), 1);

    XmlDoc doc;
    XmlNode* node = appendElement(doc, &doc, "gravWallData");
    wall.save(doc, node);
    EXPECT_EQ(attributeNames(node),
              (std::vector<std::string>{"activeIndex", "gravToolName", "gravToolSpacing", "gravToolMass",
                                        "gravToolCost", "gravToolLifetime", "ID"}));
    XmlNode* wells = node->first_node("wallNodes");
    ASSERT_NE(wells, nullptr);
    EXPECT_STREQ(wells->first_attribute("size")->value(), "3");
    std::vector<std::string> childNames;
    for (XmlNode* child = wells->first_node(); child; child = child->next_sibling()) {
        childNames.push_back(child->name());
        EXPECT_EQ(attributeNames(child), (std::vector<std::string>{"x", "y", "timeLeft", "strength"}));
    }
    EXPECT_EQ(childNames, (std::vector<std::string>{"wallNode0", "wallNode1", "wallNode2"}));

    GravityWall restored(node, *universe);
    EXPECT_EQ(restored.getActiveIndex(), 1);
    EXPECT_EQ(restored.getID(), 12);
    EXPECT_EQ(restored.getPart().name, "Push");
    EXPECT_EQ(restored.getPart().spacing, 50);
    EXPECT_FLOAT_EQ(restored.getPart().mass, -5000.0f);
    EXPECT_FLOAT_EQ(restored.getPart().cost, 0.2f);
    EXPECT_EQ(restored.getPart().lifetime, 100);
    ASSERT_EQ(restored.getWells().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(restored.getWells()[i].x, wall.getWells()[i].x);
        EXPECT_FLOAT_EQ(restored.getWells()[i].y, wall.getWells()[i].y);
        EXPECT_EQ(restored.getWells()[i].timeLeft, wall.getWells()[i].timeLeft);
        EXPECT_FLOAT_EQ(restored.getWells()[i].strength, wall.getWells()[i].strength);
    }
}

TEST_F(GravityWallTest, RestoreTakesEveryWellChildInOrderAndIgnoresSize) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<gravWallData activeIndex="0" gravToolName="Pull" gravToolSpacing="50"
        gravToolMass="5000" gravToolCost="0.2" gravToolLifetime="3000" ID="1.23457e+06">
      <wallNodes size="9">
        <wallNode5 x="1" y="2" timeLeft="30.9" strength="5000"/>
        <anything x="3" y="4" timeLeft="40" strength="-1"/>
      </wallNodes>
    </gravWallData>)",
                           "gravWallData", "inline", error))
        << error;
    GravityWall restored(file.root(), *universe);
    EXPECT_EQ(restored.getID(), 1234570);  // whole numbers are read as floats, then truncated
    ASSERT_EQ(restored.getWells().size(), 2u);
    EXPECT_FLOAT_EQ(restored.getWells()[0].x, 1.0f);
    EXPECT_EQ(restored.getWells()[0].timeLeft, 30);
    EXPECT_FLOAT_EQ(restored.getWells()[1].y, 4.0f);
    EXPECT_FLOAT_EQ(restored.getWells()[1].strength, -1.0f);
}

TEST_F(GravityWallTest, CorruptActiveIndexStillEndsTheWall) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<gravWallData activeIndex="99" gravToolName="Pull" gravToolSpacing="50"
        gravToolMass="5000" gravToolCost="0.2" gravToolLifetime="3000" ID="4">
      <wallNodes size="1"><wallNode0 x="1" y="2" timeLeft="30" strength="5000"/></wallNodes>
    </gravWallData>)",
                           "gravWallData", "inline", error))
        << error;
    GravityWall restored(file.root(), *universe);
    EXPECT_EQ(restored.getActiveIndex(), 1);
    std::string out;
    EXPECT_FALSE(step(restored, 16, &out));
    EXPECT_EQ(out, "line removed\n");
}

TEST_F(GravityWallTest, RestoredWallWithoutWellsIsRemovedAtOnce) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<gravWallData activeIndex="0" gravToolName="Pull" gravToolSpacing="50"
        gravToolMass="5000" gravToolCost="0.2" gravToolLifetime="3000" ID="4"/>)",
                           "gravWallData", "inline", error))
        << error;
    GravityWall restored(file.root(), *universe);
    EXPECT_TRUE(restored.getWells().empty());
    EXPECT_FALSE(step(restored, 16));
}

}  // namespace
