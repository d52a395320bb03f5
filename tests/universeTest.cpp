// Tests of the Universe: construction from the content files, refused content, ship ids, the
// texture cache and the planet look-ups.
#include <gtest/gtest.h>

#include "loadGalaxy.h"
#include "testSupport.h"
#include "worldState.h"

namespace {
const char* CONTENT_FILES[] = {"universe.xml",  "projectiles.xml", "shaders.xml",      "relations.xml",
                               "shipData.xml",  "PlayerData.xml",  "EquipmentData.xml"};
}

TEST(UniverseConstruction, ParsesTheSevenFilesAndSetsFallbacks) {
    TempDir dir;
    writeContent(dir);
    std::unique_ptr<Universe> universe;
    std::string out = captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    EXPECT_EQ(out, "Loading universe XML files\nCompleted loading universe XML files\n");
    ASSERT_TRUE(universe->loaded());
    EXPECT_EQ(universe->getLoadError(), "");
    EXPECT_STREQ(universe->universeDoc.root()->name(), "universe");
    EXPECT_STREQ(universe->shipDataDoc.root()->name(), "ships");
    EXPECT_STREQ(universe->equipmentDoc.root()->name(), "equipment");
    EXPECT_EQ(universe->shipIDCounter, 0);
    EXPECT_EQ(universe->defaultEngine.name, "Default Engine");
    EXPECT_EQ(universe->defaultHull.name, "Default Hull");
    EXPECT_EQ(universe->defaultHull.hitpoints, 1000);
    EXPECT_FLOAT_EQ(universe->defaultHull.mass, 1.0f);
    EXPECT_FLOAT_EQ(universe->defaultGravTool.left.mass, -0.1f);
    EXPECT_FLOAT_EQ(universe->defaultGravTool.right.mass, 0.1f);
    EXPECT_EQ(universe->defaultGravTool.left.spacing, 50);
    EXPECT_EQ(universe->defaultPlanetData.name, "Fred");
    EXPECT_EQ(universe->dataPath("saves/"), dir.path() + "saves/");
}

class MissingContentFile : public testing::TestWithParam<const char*> {};

TEST_P(MissingContentFile, IsNamedInTheLoadError) {
    TempDir dir;
    writeContent(dir, {{GetParam(), ""}});
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    EXPECT_FALSE(universe->loaded());
    EXPECT_EQ(universe->getLoadError(),
              "Error, cannot load content file " + dir.path() + GetParam() + ": cannot open file");
}

INSTANTIATE_TEST_SUITE_P(EachFile, MissingContentFile, testing::ValuesIn(CONTENT_FILES));

TEST(UniverseConstruction, MalformedContentIsRefusedWithItsLine) {
    TempDir dir;
    writeContent(dir, {{"relations.xml", "<relations>\n  <faction/>\n  <faction name=A/>\n</relations>\n"}});
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    ASSERT_FALSE(universe->loaded());
    const std::string& error = universe->getLoadError();
    EXPECT_EQ(error.rfind("Error, cannot load content file " + dir.path() + "relations.xml: ", 0), 0u) << error;
    EXPECT_NE(error.find(" at line 3"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(UniverseConstruction, WrongRootIsRefused) {
    TempDir dir;
    writeContent(dir, {{"shipData.xml", "<ship name=\"Lone\"/>"}});
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    EXPECT_EQ(universe->getLoadError(), "Error, cannot load content file " + dir.path() +
                                            "shipData.xml: root element is \"ship\", expected \"ships\"");
}

TEST(UniverseConstruction, ShipIdsCountFromOne) {
    TempDir dir;
    writeContent(dir);
    Universe universe(dir.path());
    EXPECT_EQ(universe.getNewShipID(), 1);
    EXPECT_EQ(universe.getNewShipID(), 2);
}

TEST(TextureCache, LoadsEachFileOnce) {
    ensureGlContext();
    TempDir dir;
    writeContent(dir);
    Universe universe(dir.path());
    unsigned first = 0, second = 0;
    std::string out = captureOutput([&] {
        first = universe.loadDynamicTexture("nothing.png", 1);
        second = universe.loadDynamicTexture("nothing.png", 1);
    });
    EXPECT_EQ(first, second);
    EXPECT_EQ(out.find("Dynamically loading nothing.png\n"), 0u) << out;
    EXPECT_EQ(out.find("Dynamically loading", 1), std::string::npos) << out;
    ASSERT_EQ(universe.dynamicTextures.size(), 1u);
    EXPECT_EQ(universe.dynamicTextures[0].name, "nothing.png");  // the bare name is the key
}

class PlanetLookup : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        captureOutput([&] { universe = buildUniverse(dir); });
        ASSERT_NE(universe, nullptr);
    }
    TempDir dir;
    std::unique_ptr<Universe> universe;
};

TEST_F(PlanetLookup, OutOfRangeIdsAreReported) {
    std::string out = captureOutput([&] {
        EXPECT_EQ(universe->getPlanet(3), nullptr);  // three planets: ids 0 to 2
        EXPECT_EQ(universe->getPlanetData(3).name, "Fred");
        EXPECT_TRUE(universe->getExtraPlanetData(100).empty());
    });
    EXPECT_EQ(out, "Error, invalid planet number\nError, invalid planet number\nError, invalid planet number\n");
}

TEST_F(PlanetLookup, ResolvesSlotsLazily) {
    EXPECT_EQ(universe->planetIndex.size(), 3u);
    EXPECT_EQ(universe->planetIndex[0], nullptr);
    std::vector<luaStringPair> extra = universe->getExtraPlanetData(0);
    ASSERT_EQ(extra.size(), 1u);
    EXPECT_EQ(extra[0].key, "note");
    EXPECT_EQ(extra[0].value, "home");
    ASSERT_NE(universe->planetIndex[0], nullptr);
    EXPECT_EQ(universe->getPlanet(2)->getName(), "Rock");
    EXPECT_EQ(universe->getPlanetData(1).name, "Luna");
}

TEST_F(PlanetLookup, UnresolvableIdGivesTheFallbackRecord) {
    universe->planetIndex.push_back(nullptr);  // a slot no planet carries
    planetData data;
    std::string out = captureOutput([&] { data = universe->getPlanetData(3); });
    EXPECT_EQ(out, "Error, planet not found, but index is good\n");
    EXPECT_EQ(data.name, "Fred");
    EXPECT_TRUE(universe->getExtraPlanetData(3).empty());
    EXPECT_EQ(universe->getPlanet(3), nullptr);
}

TEST_F(PlanetLookup, ExpiredGravityWallsAreRemoved) {
    gravToolPart part;
    part.name = "Pull";
    part.mass = 100.0f;
    part.lifetime = 10;
    std::string out = captureOutput([&] {
        universe->currentWorld().gravityWalls.emplace_back(1, point{0.0f, 0.0f}, part, 1);
        universe->updateGravityWalls(16);  // the well reaches -6 and still acts this frame
        EXPECT_EQ(universe->currentWorld().gravityWalls.size(), 1u);
        universe->updateGravityWalls(16);
    });
    EXPECT_TRUE(universe->currentWorld().gravityWalls.empty());
    EXPECT_NE(out.find("line removed"), std::string::npos);

}
