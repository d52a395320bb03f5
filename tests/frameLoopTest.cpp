// The frame loop's per-world drivers, its refill of AI ships and its frame-time graph.
#include <gtest/gtest.h>

#include <vector>

#include "gameMain.h"
#include "glHeaders.h"
#include "startLua.h"
#include "uiDisplay.h"
#include "testSupport.h"
#include "worldState.h"

namespace {
class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
    }
    TempDir dir;
    std::unique_ptr<Universe> universe;
};
}  // namespace

TEST_F(FrameLoop, RespawnAddsOneShipOfEveryTypeButTheFirstWhileNineOrFewer) {
    WorldState& world = universe->currentWorld();
    world.ships.clear();
    std::string out = captureOutput([&] { respawnShips(*universe); });
    // Three ship types: types 1 and 2 appear, each with its own faction, around the origin.
    ASSERT_EQ(world.ships.size(), 2u);
    EXPECT_NE(out.find("Ival: 1\n"), std::string::npos);
    EXPECT_NE(out.find("Ival: 2\n"), std::string::npos);
    EXPECT_EQ(world.ships.front().getShipType(), "Hauler");
    EXPECT_EQ(world.ships.front().getFaction(), 2u);
    for (const Ship& ship : world.ships) {
        EXPECT_GE(pointDistance(ship.getPosition(), universe->player->getPosition()), 100.0f);
        EXPECT_LE(std::abs(ship.getPosition().x), 2000.0f);
        EXPECT_LE(std::abs(ship.getPosition().y), 2000.0f);
    }
    // It repeats each frame until the world holds ten ships.
    for (int frame = 0; frame < 10; ++frame) captureOutput([&] { respawnShips(*universe); });
    EXPECT_EQ(world.ships.size(), 10u);
}

TEST_F(FrameLoop, SingleShipTypeNeverRespawns) {
    universe->shipTypes.resize(1);
    universe->currentWorld().ships.clear();
    respawnShips(*universe);
    EXPECT_TRUE(universe->currentWorld().ships.empty());
}

TEST_F(FrameLoop, ShipsRemovedByTheirUpdateLeaveTheList) {
    WorldState& world = universe->currentWorld();
    world.ships.clear();
    point p = universe->player->getPosition();
    // One ship on top of the player rams it; one far away stays.
    world.ships.push_back(Ship({p.x + 10.0f, p.y}, "Drone", 1, *universe));
    world.ships.push_back(Ship({p.x + 5000.0f, p.y + 5000.0f}, "Drone", 1, *universe));
    processShips(*universe, universe->player.get(), 16, 1000);
    ASSERT_EQ(world.ships.size(), 1u);
    EXPECT_FLOAT_EQ(world.ships.front().getPosition().x, p.x + 5000.0f);
}

TEST_F(FrameLoop, EveryWormholePresentAtTheStartIsHandledAfterAWarp) {
    // The player sits inside Alpha's wormhole: it is moved to Beta in this step.
    universe->player->setPosition({20000.0f, 0.0f});
    processWormholes(*universe, 1000);
    EXPECT_EQ(universe->player->getWorld(), 1);
    point q = universe->player->getPosition();
    EXPECT_FLOAT_EQ(q.x, 0.0f);
    EXPECT_FLOAT_EQ(q.y, 20000.0f);
}

TEST_F(FrameLoop, ALoadGivesBackTheControlsAndTheScriptOpensWindowsAgain) {
    LuaState lua;
    ASSERT_TRUE(loadScript(lua.get(), shippedDataDirectory() + "ui.lua"));
    std::vector<Font*> fonts;
    std::vector<float> keyEvent = {1.0f, 6.4f, 9.4f, -94.0f};
    captureOutput([&] {
        initLua(*universe, lua.get());
        uiEvent(*universe, keyEvent, fonts, lua.get());
    });
    ASSERT_EQ(universe->displays.size(), 1u);
    // Saved with the window open: the saved ship has its controls off.
    ASSERT_FALSE(universe->player->getKeysOn());
    captureOutput([&] {
        ASSERT_TRUE(universe->saveGame("1"));
        ASSERT_TRUE(universe->loadGame("1", lua.get()));
    });
    EXPECT_TRUE(universe->displays.empty());
    captureOutput([&] { afterGameLoaded(*universe, lua.get()); });
    EXPECT_TRUE(universe->player->getKeysOn());
    // The script knows its window is gone: e opens one again.
    captureOutput([&] { uiEvent(*universe, keyEvent, fonts, lua.get()); });
    EXPECT_EQ(universe->displays.size(), 1u);
    EXPECT_FALSE(universe->player->getKeysOn());
    EXPECT_EQ(lua_gettop(lua.get()), 0);
}

// The graph goes to GL as one array; it must draw the strip that 5000 single vertex calls drew.
TEST(FrameGraph, ArrayDrawsTheStripOfSingleVertices) {
    ensureGlContext();
    constexpr int WIDTH = 320, HEIGHT = 256;
    std::vector<int> history(5000);
    for (size_t i = 0; i < history.size(); ++i) history[i] = static_cast<int>((i * 7919) % 23 + (i % 250 == 0 ? 60 : 0));
    const unsigned index = 1234;
    auto frameStart = [] {
        pixelProjection(WIDTH, HEIGHT);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor3f(0.3f, 0.3f, 1.0f);
    };
    frameStart();
    glBegin(GL_LINE_STRIP);
    const float step = static_cast<float>(WIDTH) / 5000.0f;
    for (int j = 0; j < 5000; ++j) glVertex2f(j * step, 3.0f * history[(index + j) % 5000] + 5.0f);
    glEnd();
    const std::vector<unsigned char> single = readScreen(WIDTH, HEIGHT);
    frameStart();
    std::vector<float> scratch;
    drawFrameGraph(history, index, WIDTH, scratch);
    const PictureDifference d = comparePictures(single, readScreen(WIDTH, HEIGHT));
    EXPECT_EQ(d.largest, 0);
    EXPECT_GT(d.lit, 500) << "the graph should show";
    GLboolean arrayOn = GL_TRUE;
    glGetBooleanv(GL_VERTEX_ARRAY, &arrayOn);
    EXPECT_FALSE(arrayOn) << "later immediate drawing must not read the graph's array";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
