// Tests of saving and loading a game: file contents, what survives a round trip, and the
// saves and loads that must be refused without harming the running game.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <boost/filesystem.hpp>
#include <regex>

#include "startLua.h"
#include "testSupport.h"
#include "worldState.h"

namespace {
size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string withoutClock(const std::string& text) { return std::regex_replace(text, std::regex(" time=\"\\d+\""), ""); }

class SaveGame : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        captureOutput([&] { universe = buildUniverse(dir); });
        ASSERT_NE(universe, nullptr);
    }
    bool save(const std::string& name) {
        bool ok = false;
        lastOutput = captureOutput([&] { ok = universe->saveGame(name); });
        return ok;
    }
    bool load(const std::string& name, lua_State* L = nullptr) {
        bool ok = false;
        lastOutput = captureOutput([&] { ok = universe->loadGame(name, L); });
        return ok;
    }
    void addShips(int count) {
        captureOutput([&] {
            for (int i = 0; i < count; ++i)
                universe->currentWorld().ships.push_back(
                    Ship({1000.0f * (i + 1), 500.0f}, "Raider", 2, *universe));
        });
    }
    std::string saved(const std::string& name, const std::string& file) const {
        return dir.read("saves/" + name + "/" + file);
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    std::string lastOutput;
};

// The running game, as far as a refused load must leave it.
struct Snapshot {
    Player* player;
    size_t worlds, weapons, shipTypes, planets;
    XmlNode* root;
    explicit Snapshot(Universe& u)
        : player(u.player.get()), worlds(u.worlds.size()), weapons(WEAPONDATA.size()),
          shipTypes(u.shipTypes.size()), planets(u.planetIndex.size()), root(u.universeDoc.root()) {}
    void expectSame(Universe& u) const {
        EXPECT_EQ(u.player.get(), player);
        EXPECT_EQ(u.worlds.size(), worlds);
        EXPECT_EQ(WEAPONDATA.size(), weapons);
        EXPECT_EQ(u.shipTypes.size(), shipTypes);
        EXPECT_EQ(u.planetIndex.size(), planets);
        EXPECT_EQ(u.universeDoc.root(), root);
    }
};
}  // namespace

TEST_F(SaveGame, EachSaveHoldsExactlyItsOwnEntities) {
    addShips(2);
    ASSERT_TRUE(save("1")) << lastOutput;
    ASSERT_TRUE(save("2")) << lastOutput;
    for (const char* name : {"1", "2"}) {
        std::string text = saved(name, "universeSAV.xml");
        EXPECT_EQ(countOf(text, "<shipData "), 2u) << name;
        EXPECT_EQ(countOf(text, " time=\""), 1u) << name;
        EXPECT_EQ(countOf(text, "<projectileData"), 0u) << name;
        EXPECT_EQ(countOf(text, "<extraData"), 3u) << name;  // one per planet, the old one replaced
    }
    // Between saves the document holds only static content.
    XmlNode* root = universe->universeDoc.root();
    EXPECT_FALSE(checkVal(root, "time"));
    EXPECT_EQ(root->first_node("world")->first_node("shipData"), nullptr);
    EXPECT_EQ(lastOutput, "");
}

TEST_F(SaveGame, PlayerFileHasItsDeclarationAndRoot) {
    ASSERT_TRUE(save("1"));
    std::string text = saved("1", "PlayerDataSAV.xml");
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u) << text;
    EXPECT_NE(text.find("<player "), std::string::npos);
    EXPECT_FALSE(dir.exists("saves/1/PlayerDataSAV.xml.tmp"));
}

TEST_F(SaveGame, ClockAndPlanetPositionsComeBack) {
    setTime(1234567);
    ASSERT_TRUE(save("1"));
    std::smatch match;
    std::string text = saved("1", "universeSAV.xml");
    ASSERT_TRUE(std::regex_search(text, match, std::regex(" time=\"(\\d+)\"")));
    long savedClock = std::stol(match[1]);
    EXPECT_GE(savedClock, 1234567);
    EXPECT_LT(savedClock, 1234567 + 5000);

    setTime(5);
    ASSERT_TRUE(load("1")) << lastOutput;
    EXPECT_GE(getTime(), static_cast<unsigned>(savedClock));
    EXPECT_LT(getTime(), static_cast<unsigned>(savedClock + 5000));
    EXPECT_FALSE(checkVal(universe->universeDoc.root(), "time"));

    // Where a fresh game's planets stand after the same time.
    TempDir freshDir;
    writeContent(freshDir);
    std::unique_ptr<Universe> fresh;
    captureOutput([&] { fresh = buildUniverse(freshDir); });
    ASSERT_NE(fresh, nullptr);
    for (size_t w = 0; w < fresh->worlds.size(); ++w) {
        for (size_t s = 0; s < fresh->worlds[w].stars.size(); ++s) {
            Star& expected = fresh->worlds[w].stars[s];
            expected.skipTime(savedClock);
            Star& loaded = universe->worlds[w].stars[s];
            for (size_t p = 0; p < expected.getPlanets().size(); ++p) {
                EXPECT_FLOAT_EQ(loaded.getPlanets()[p].getLoc().x, expected.getPlanets()[p].getLoc().x);
                EXPECT_FLOAT_EQ(loaded.getPlanets()[p].getLoc().y, expected.getPlanets()[p].getLoc().y);
            }
        }
    }
}

TEST_F(SaveGame, EconomySurvivesAndStarbaseKeepsItsFileValue) {
    Planet* terra = universe->getPlanet(0);
    planetData data = terra->getPlanetData();
    data.element1 = 2500000;
    data.defenceLevel = 7;
    data.health = 12.5f;
    data.starbase = 99;
    terra->setPlanetData(data);
    terra->setExtraData({{"note", "changed"}, {"owner", "Guild"}, {"bad key", "dropped"}});
    ASSERT_TRUE(save("1"));
    EXPECT_NE(lastOutput.find("Error, extra data key \"bad key\" of planet 0 cannot be saved"), std::string::npos);
    std::string text = saved("1", "universeSAV.xml");
    EXPECT_NE(text.find("element1=\"2.5e+06\""), std::string::npos);

    ASSERT_TRUE(load("1")) << lastOutput;
    planetData loaded = universe->getPlanetData(0);
    EXPECT_EQ(loaded.element1, 2500000);
    EXPECT_EQ(loaded.defenceLevel, 7);
    EXPECT_FLOAT_EQ(loaded.health, 12.5f);
    EXPECT_EQ(loaded.starbase, 2);  // from universe.xml, not from the planet
    std::vector<luaStringPair> extra = universe->getExtraPlanetData(0);
    ASSERT_EQ(extra.size(), 2u);
    EXPECT_EQ(extra[0].key, "note");
    EXPECT_EQ(extra[0].value, "changed");
    EXPECT_EQ(extra[1].value, "Guild");
    // A planet that had no name attribute would carry the record's name after a save.
    EXPECT_EQ(universe->getPlanetData(2).name, "Rock");
}

TEST_F(SaveGame, SaveWithoutClockOrWorldNumberStartsAtZero) {
    captureOutput([&] { ASSERT_TRUE(universe->player->warpWorld(1)); });
    setTime(500000);
    ASSERT_TRUE(save("1"));
    dir.write("saves/1/universeSAV.xml",
              std::regex_replace(saved("1", "universeSAV.xml"), std::regex(" time=\"\\d+\""), ""));
    dir.write("saves/1/PlayerDataSAV.xml",
              std::regex_replace(saved("1", "PlayerDataSAV.xml"), std::regex(" activeWorld=\"[^\"]*\""), ""));
    ASSERT_TRUE(load("1")) << lastOutput;
    EXPECT_NE(lastOutput.find("Setting time\nError, XML value time not present, and is required\n"), std::string::npos)
        << lastOutput;
    EXPECT_NE(lastOutput.find("Error, XML value activeWorld not present, and is required\n"), std::string::npos)
        << lastOutput;
    EXPECT_EQ(universe->player->getWorld(), 0);
    EXPECT_LT(getTime(), 5000u);
    // Clock 0 puts every planet back at its start angle: Terra starts at angle 0.
    const point terra = universe->getPlanet(0)->getLoc();
    EXPECT_NEAR(terra.x, 3000.0f, 0.01f);
    EXPECT_NEAR(terra.y, 0.0f, 0.01f);
}

TEST_F(SaveGame, LandedPlayerLoadsInFlight) {
    universe->player->setLanded(0);
    ASSERT_TRUE(save("1"));
    EXPECT_NE(saved("1", "PlayerDataSAV.xml").find("landed=\"1\""), std::string::npos);
    ASSERT_TRUE(load("1")) << lastOutput;
    EXPECT_FALSE(universe->player->isLanded());
}

TEST_F(SaveGame, LoadPrintsItsProgressAndRebuilds) {
    addShips(2);
    ASSERT_TRUE(save("1"));
    int nextId = universe->shipIDCounter + 1;
    universe->currentWorld().ships.clear();
    universe->displays.emplace_back("shop");
    ASSERT_TRUE(load("1")) << lastOutput;
    EXPECT_EQ(lastOutput.rfind("Loading game\n", 0), 0u) << lastOutput;
    size_t setting = lastOutput.find("\nSetting time\n");
    size_t done = lastOutput.find("\nDone slotting XML into real world data\nupdating planets\nLoaded.\n");
    EXPECT_NE(setting, std::string::npos) << lastOutput;
    EXPECT_LT(setting, done) << lastOutput;
    EXPECT_EQ(done + std::string("\nDone slotting XML into real world data\nupdating planets\nLoaded.\n").size(),
              lastOutput.size());
    EXPECT_EQ(universe->currentWorld().ships.size(), 2u);
    EXPECT_EQ(universe->currentWorld().ships.front().getID(), nextId);  // ids go on, never restart
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_EQ(WEAPONDATA.size(), 5u);
    EXPECT_EQ(universe->planetIndex.size(), 3u);
    EXPECT_EQ(universe->universeDoc.root()->first_node("world")->first_node("shipData"), nullptr);
}

TEST_F(SaveGame, RoundTripGivesIdenticalFiles) {
    addShips(2);
    captureOutput([&] {
        projectileSpawn(0, {0.1f, 0.0f}, {300.0f, 300.0f}, 1.0f, universe->currentWorld(), 2);
        gravToolPart part = universe->player->getTool().left;
        universe->currentWorld().gravityWalls.emplace_back(4, point{10.0f, 20.0f}, part, 3);
        universe->currentWorld().gravityWalls.back().addWell({30.0f, 40.0f});
    });
    ASSERT_TRUE(save("a"));
    ASSERT_TRUE(load("a")) << lastOutput;
    ASSERT_TRUE(save("b"));
    EXPECT_EQ(withoutClock(saved("b", "universeSAV.xml")), withoutClock(saved("a", "universeSAV.xml")));
    EXPECT_EQ(saved("b", "PlayerDataSAV.xml"), saved("a", "PlayerDataSAV.xml"));
    EXPECT_EQ(countOf(saved("b", "universeSAV.xml"), "<projectileData "), 1u);
    EXPECT_EQ(countOf(saved("b", "universeSAV.xml"), "<gravWallData "), 1u);
}

TEST_F(SaveGame, LoadPublishesTheNewDocumentToTheScript) {
    ASSERT_TRUE(save("1"));
    LuaState lua;
    ASSERT_TRUE(load("1", lua.get())) << lastOutput;
    lua_getfield(lua.get(), LUA_REGISTRYINDEX, "XMLUniverse");
    EXPECT_EQ(lua_touserdata(lua.get(), -1), static_cast<void*>(universe->universeDoc.root()));
    lua_pop(lua.get(), 1);
}

TEST_F(SaveGame, UnknownSaveNameIsABadPath) {
    Snapshot before(*universe);
    EXPECT_FALSE(load("never"));
    EXPECT_EQ(lastOutput, "Loading game\nError, bad save path never\n");
    before.expectSame(*universe);
}

// A save folder whose files are unusable; the load is refused before anything changes.
class RefusedLoad : public SaveGame, public testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(RefusedLoad, LeavesTheGameUntouched) {
    ASSERT_TRUE(save("1"));
    const char* file = GetParam().first;
    std::string text = GetParam().second;
    if (text == "<missing>")
        boost::filesystem::remove(dir.path() + "saves/1/" + file);
    else
        dir.write(std::string("saves/1/") + file, text);
    Snapshot before(*universe);
    EXPECT_FALSE(load("1"));
    std::string lastLine = lastOutput.substr(lastOutput.find('\n') + 1);
    EXPECT_EQ(lastLine.rfind("Error, cannot load save " + dir.path() + "saves/1/" + file + ": ", 0), 0u)
        << lastOutput;
    EXPECT_EQ(countOf(lastOutput, "\n"), 2u) << lastOutput;
    before.expectSame(*universe);
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, RefusedLoad,
    testing::Values(std::make_pair("universeSAV.xml", "<missing>"), std::make_pair("PlayerDataSAV.xml", "<missing>"),
                    std::make_pair("universeSAV.xml", "<universe><world></universe>"),
                    std::make_pair("PlayerDataSAV.xml", "<player x=\"1\""),
                    std::make_pair("universeSAV.xml", "<player/>"),
                    std::make_pair("universeSAV.xml", "<universe time=\"5\"/>"),
                    std::make_pair("PlayerDataSAV.xml", "<player activeWorld=\"2\"/>")));

TEST_F(SaveGame, UnwritableSavesFolderIsReported) {
    dir.write("saves", "a file where the folder should be");
    EXPECT_FALSE(save("1"));
    EXPECT_EQ(lastOutput.rfind("Error, cannot create save folder ", 0), 0u) << lastOutput;
    EXPECT_EQ(countOf(lastOutput, "\n"), 1u);
    EXPECT_FALSE(checkVal(universe->universeDoc.root(), "time"));
}

TEST_F(SaveGame, NamesOutsideTheSavesFolderAreRefused) {
    for (const char* name : {"", "..", "../escape", "a/b", ".hidden"}) {
        EXPECT_FALSE(save(name)) << name;
        EXPECT_EQ(lastOutput.rfind("Error, cannot save under the name", 0), 0u) << lastOutput;
        EXPECT_FALSE(load(name)) << name;
    }
    EXPECT_FALSE(dir.exists("escape"));
    // The document is left clean for the next save.
    EXPECT_FALSE(checkVal(universe->universeDoc.root(), "time"));
}
