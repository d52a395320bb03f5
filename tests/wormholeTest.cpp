// Tests of wormholes: the rim, the one-frame-clear rule, shots left behind, warps within a
// world and to worlds that do not exist, the shader clock and drawing.
#include <gtest/gtest.h>

#include <string>

#include "testSupport.h"
#include "worldState.h"

namespace {

class WormholeTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        ASSERT_EQ(universe->worlds.size(), 2u);
        for (WorldState& w : universe->worlds) w.projectiles.clear();
    }

    Player& player() { return *universe->player; }
    // One frame of the player standing still, as the frame loop runs it before the wormholes.
    void frame() { player().update(0, {0.0f, 0.0f}, 0, universe->currentWorld()); }
    void addShot(int worldNumber) {
        universe->worlds[worldNumber].projectiles.emplace_back(point{1.0f, 1.0f}, 0.0f, universe->worlds[worldNumber],
                                                                0, 0.0f, 0.0f, 1, std::vector<short>());
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
};

struct RimCase {
    float x;
    bool transferred;
};

class WormholeRimTest : public WormholeTest, public ::testing::WithParamInterface<RimCase> {};

TEST_P(WormholeRimTest, TransfersWithinOrOnTheRim) {
    Wormhole hole(0, 20000.0f, 0.0f, 300.0f, 1, 0.0f, 20000.0f, universe->shaderList);
    player().setPosition({GetParam().x, 0.0f});
    hole.transfer(*universe);
    EXPECT_EQ(player().getWorld(), GetParam().transferred ? 1 : 0);
    EXPECT_EQ(player().getIsClear(), !GetParam().transferred);
    if (GetParam().transferred) {
        EXPECT_FLOAT_EQ(player().getPosition().x, 0.0f);
        EXPECT_FLOAT_EQ(player().getPosition().y, 20000.0f);
        EXPECT_FALSE(player().getCanWarp());
    }
}

INSTANTIATE_TEST_SUITE_P(Rim, WormholeRimTest,
                         ::testing::Values(RimCase{20000.0f, true}, RimCase{20300.0f, true},
                                           RimCase{19700.0f, true}, RimCase{20300.5f, false},
                                           RimCase{25000.0f, false}));

TEST_F(WormholeTest, ArrivingInsideTheReturnWormholeNeedsOneClearFrame) {
    Wormhole& out = universe->worlds[0].wormholes.at(0);
    Wormhole& back = universe->worlds[1].wormholes.at(0);
    player().setPosition(out.getLoc());
    frame();
    out.transfer(*universe);
    ASSERT_EQ(player().getWorld(), 1);

    // Sitting on the return wormhole, however long, sends the player nowhere.
    for (int i = 0; i < 5; ++i) {
        frame();
        back.transfer(*universe);
        ASSERT_EQ(player().getWorld(), 1);
    }

    // One frame outside every wormhole, then back in: sent on.
    player().setPosition({0.0f, 0.0f});
    frame();
    frame();
    player().setPosition(back.getLoc());
    frame();
    back.transfer(*universe);
    EXPECT_EQ(player().getWorld(), 0);
    EXPECT_FLOAT_EQ(player().getPosition().x, 20000.0f);
}

TEST_F(WormholeTest, OneFrameOutsideIsNotEnoughWithoutTheFollowingUpdate) {
    Wormhole& out = universe->worlds[0].wormholes.at(0);
    player().setCanWarp(false);
    player().setIsClear(false);
    player().setPosition(out.getLoc());
    frame();  // isClear was false: canWarp stays false
    out.transfer(*universe);
    EXPECT_EQ(player().getWorld(), 0);
}

TEST_F(WormholeTest, LeavingAWorldEmptiesItsProjectiles) {
    addShot(0);
    addShot(0);
    addShot(1);
    Wormhole& out = universe->worlds[0].wormholes.at(0);
    player().setPosition(out.getLoc());
    out.transfer(*universe);
    EXPECT_TRUE(universe->worlds[0].projectiles.empty());
    EXPECT_EQ(universe->worlds[1].projectiles.size(), 1u);
}

TEST_F(WormholeTest, TargetInTheSameWorldMovesThePlayerThere) {
    addShot(0);
    Wormhole hole(0, {100.0f, 100.0f}, 50.0f, 0, {5000.0f, -5000.0f}, universe->shaderList);
    player().setPosition({120.0f, 90.0f});
    hole.transfer(*universe);
    EXPECT_EQ(player().getWorld(), 0);
    EXPECT_FLOAT_EQ(player().getPosition().x, 5000.0f);
    EXPECT_FLOAT_EQ(player().getPosition().y, -5000.0f);
    EXPECT_TRUE(universe->worlds[0].projectiles.empty());
}

TEST_F(WormholeTest, TargetWorldThatDoesNotExistLeavesThePlayerWhereItIs) {
    addShot(0);
    Wormhole hole(0, {100.0f, 100.0f}, 50.0f, 7, {5000.0f, -5000.0f}, universe->shaderList);
    player().setPosition({100.0f, 100.0f});
    std::string out = captureOutput([&] {
        hole.transfer(*universe);
        hole.transfer(*universe);  // canWarp is spent: no second message
    });
    EXPECT_EQ(player().getWorld(), 0);
    EXPECT_FLOAT_EQ(player().getPosition().x, 100.0f);
    EXPECT_EQ(universe->worlds[0].projectiles.size(), 1u);
    EXPECT_EQ(out, "Error, wormhole leads to world 7, which does not exist\n");
}

TEST_F(WormholeTest, ShaderTimeIsInSeconds) {
    EXPECT_FLOAT_EQ(Wormhole::shaderTime(1500), 1.5f);
    EXPECT_FLOAT_EQ(Wormhole::shaderTime(0), 0.0f);
}

TEST_F(WormholeTest, MissingShaderIsReportedAndTheWormholeStillWorks) {
    // The minimal content defines no shader programs.
    std::string out = captureOutput([&] {
        Wormhole hole(0, {100.0f, 100.0f}, 50.0f, 1, {0.0f, 0.0f}, universe->shaderList);
        player().setPosition({100.0f, 100.0f});
        int now = 1500;
        hole.update(*universe, now);
    });
    EXPECT_EQ(out, "Error, can't access wormhole shader shader\n");
    EXPECT_EQ(player().getWorld(), 1);
}

}  // namespace
