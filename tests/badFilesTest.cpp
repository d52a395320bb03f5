// Every bad file a player or modder can make - content files, save files and the UI script -
// is refused or reported with a clear message, never crashes the game, and a refused save never
// costs the running game anything.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <boost/filesystem.hpp>
#include <cmath>
#include <functional>
#include <map>
#include <regex>

#include "font.h"
#include "gameMain.h"
#include "loadGalaxy.h"
#include "startLua.h"
#include "testSupport.h"
#include "timer.h"
#include "trail.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

const char* const CONTENT_FILES[] = {"universe.xml",  "projectiles.xml", "shaders.xml",      "relations.xml",
                                     "shipData.xml", "PlayerData.xml",  "EquipmentData.xml"};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A few frames of the active world with the player thrusting, turning, laying walls and firing
// every weapon slot, as the frame loop drives them. False when the player left the worlds.
bool playFrames(Universe& universe, int frames) {
    universe.input.setKey(SDLK_w, true);
    universe.input.setKey(SDLK_d, true);
    unsigned now = 50000;
    for (int frame = 0; frame < frames; ++frame) {
        int dt = frame % 3 == 0 ? 0 : 20;
        now += static_cast<unsigned>(dt);
        Player& player = *universe.player;
        if (player.getWorld() < 0 || static_cast<size_t>(player.getWorld()) >= universe.worlds.size()) return false;
        point target{player.getPosition().x + 400.0f, player.getPosition().y + 200.0f};
        respawnShips(universe);
        player.update(dt, target, frame % 2 == 0 ? 1 : 4, universe.currentWorld());
        player.cycleWeaponUp();
        player.shoot(now, universe.currentWorld(), target, dt);
        processWormholes(universe, static_cast<int>(now));
        universe.updateGravityWalls(dt);
        processProjectiles(universe.currentWorld(), universe, dt, static_cast<int>(now));
        runTimer(static_cast<int>(now), universe.currentWorld());
        processStars(universe.currentWorld(), universe.player.get(), dt);
        processShips(universe, universe.player.get(), dt, static_cast<int>(now));
    }
    universe.input = InputState();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Content files that cannot be read at all: the universe refuses them, naming the file.

enum class Damage { Missing, Empty, Truncated, NotXml, WrongRoot };

std::string damageName(Damage damage) {
    switch (damage) {
        case Damage::Missing: return "Missing";
        case Damage::Empty: return "Empty";
        case Damage::Truncated: return "Truncated";
        case Damage::NotXml: return "NotXml";
        case Damage::WrongRoot: return "WrongRoot";
    }
    return "";
}

class UnreadableContent : public testing::TestWithParam<std::tuple<const char*, Damage>> {};

TEST_P(UnreadableContent, IsRefusedNamingTheFile) {
    const std::string file = std::get<0>(GetParam());
    TempDir dir;
    writeContent(dir);
    std::string good = minimalContent()[file];
    switch (std::get<1>(GetParam())) {
        case Damage::Missing: boost::filesystem::remove(dir.path() + file); break;
        case Damage::Empty: dir.write(file, ""); break;
        case Damage::Truncated: dir.write(file, good.substr(0, good.size() / 2)); break;
        case Damage::NotXml: dir.write(file, "{\"this\": \"is not XML\"} <<<>>> \x01\x02"); break;
        case Damage::WrongRoot: dir.write(file, "<notTheRoot/>\n"); break;
    }
    std::unique_ptr<Universe> universe;
    std::string out = captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    EXPECT_FALSE(universe->loaded());
    const std::string& error = universe->getLoadError();
    EXPECT_EQ(0u, error.find("Error")) << error;
    EXPECT_TRUE(contains(error, dir.path() + file)) << error;
    EXPECT_FALSE(contains(error, "\n")) << "one line: " << error;
    EXPECT_FALSE(contains(out, "Completed loading universe XML files")) << out;
    // Even code that went on building from the files that did load must not crash.
    captureOutput([&] {
        if (initializeStars(*universe, nullptr)) universe->player = initializePlayer(*universe);
    });
}

INSTANTIATE_TEST_SUITE_P(EveryFile, UnreadableContent,
                         testing::Combine(testing::ValuesIn(CONTENT_FILES),
                                          testing::Values(Damage::Missing, Damage::Empty, Damage::Truncated,
                                                          Damage::NotXml, Damage::WrongRoot)),
                         [](const testing::TestParamInfo<UnreadableContent::ParamType>& info) {
                             std::string file = std::get<0>(info.param);
                             file = file.substr(0, file.find('.'));
                             return file + damageName(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------------------------
// Content that parses but holds bad entries: the game builds and plays unless nothing playable
// is left, and what built saves and loads again. How the loader reads and reports each entry is
// tested in loadGalaxyTest.cpp; here is what the game makes of it afterwards.

struct BadEntry {
    const char* label;
    const char* file;
    const char* text;
    const char* message;  // expected in the output of building; null for entries read without a word
};

void PrintTo(const BadEntry& entry, std::ostream* out) { *out << entry.label; }

// A few frames of play, then a save and its load; both must work.
void expectPlaysAndSaves(Universe& universe) {
    bool played = false;
    std::string out = captureOutput([&] { played = playFrames(universe, 12); });
    EXPECT_TRUE(played) << out;
    bool saved = false, loaded = false;
    out = captureOutput([&] {
        saved = universe.saveGame("1");
        loaded = universe.loadGame("1", nullptr);
    });
    EXPECT_TRUE(saved && loaded) << out;
}

class BadContentEntry : public testing::TestWithParam<BadEntry> {};

TEST_P(BadContentEntry, IsReportedAndTheGamePlaysOn) {
    const BadEntry& entry = GetParam();
    TempDir dir;
    writeContent(dir, {{entry.file, entry.text}});
    std::unique_ptr<Universe> universe;
    std::string out = captureOutput([&] { universe = buildUniverse(dir); });
    EXPECT_TRUE(contains(out, entry.message)) << out;
    ASSERT_NE(universe, nullptr) << out;
    expectPlaysAndSaves(*universe);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, BadContentEntry,
    testing::Values(
        BadEntry{"NoProjectileTypes", "projectiles.xml", "<projectiles/>", "Error loading weapon Pellet onto player"},
        BadEntry{"UnknownEquipment", "PlayerData.xml",
                 "<player><engine name=\"Warp\"/><hull/><gravTool name=\"\"/><position x=\"nan\" y=\"1e39\"/></player>",
                 "No match with Warp"},
        BadEntry{"ForeignEquipmentEntries", "EquipmentData.xml",
                 "<equipment><engines><hull/></engines><hulls><engine/></hulls><gravTools><x/></gravTools></equipment>",
                 "Not a grav tool"}),
    [](const testing::TestParamInfo<BadEntry>& info) { return std::string(info.param.label); });

// Absurd numbers that the loader takes as they are (NaN, infinities, values past every range):
// the game has no message for them, so all this proves is that nothing crashes or runs away.
class AbsurdContentNumbers : public testing::TestWithParam<BadEntry> {};

TEST_P(AbsurdContentNumbers, NeverCrashTheGame) {
    const BadEntry& entry = GetParam();
    TempDir dir;
    writeContent(dir, {{entry.file, entry.text}});
    std::unique_ptr<Universe> universe;
    std::string out = captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_NE(universe, nullptr) << out;
    expectPlaysAndSaves(*universe);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AbsurdContentNumbers,
    testing::Values(
        BadEntry{"AbsurdPlanetNumbers", "universe.xml",
                 "<universe><world name=\"A\" size=\"1e99\"><star name=\"S\" texture=\"99999\" radius=\"nan\" "
                 "density=\"-inf\"><planet name=\"P\" texture=\"-7\" element1=\"1e40\" factionOwner=\"-1e40\" "
                 "health=\"nan\" orbitRadius=\"1e38\" orbitSpeed=\"inf\" radius=\"0\"/></star></world></universe>",
                 nullptr},
        BadEntry{"SelfFragmentingSwarm", "projectiles.xml",
                 "<projectiles><projectile name=\"Pellet\" lifetime=\"0\" numProjectiles=\"1e9\" cooldown=\"0\">"
                 "<fragment trigger=\"onDeath\" fragType=\"Pellet\"/></projectile><projectile name=\"Beam\"/>"
                 "<projectile name=\"Cluster\" lifetime=\"20\" numProjectiles=\"12\" cooldown=\"0\">"
                 "<fragment trigger=\"onDeath\" fragType=\"Cluster\"/></projectile></projectiles>",
                 nullptr},
        BadEntry{"EndlessTrail", "shipData.xml",
                 "<ships><ship name=\"Drone\"><trail name=\"glowTrail\" length=\"1e12\"/></ship>"
                 "<ship name=\"Comet\"><trail name=\"glowTrail\" length=\"2147483647\"/></ship></ships>",
                 nullptr},
        BadEntry{"InfiniteGravityTool", "EquipmentData.xml",
                 "<equipment><gravTools><gravTool name=\"Basic Grav Tool\" charge=\"inf\" rechargeSpeed=\"inf\">"
                 "<left cost=\"inf\" spacing=\"-1\" mass=\"nan\" lifetime=\"1e30\"/><right cost=\"nan\"/>"
                 "</gravTool></gravTools></equipment>",
                 nullptr}),
    [](const testing::TestParamInfo<BadEntry>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// Save files. A good save of a game with ships, a projectile and a gravity wall is damaged one
// way at a time; a refused load leaves the game and the files as they were, an accepted one
// reports what it dropped and plays on.

struct SaveDamage {
    const char* label;
    const char* file;  // "universeSAV.xml" or "PlayerDataSAV.xml"
    std::function<std::string(const std::string&)> change;
    bool refused;
    const char* message;  // expected in the output
};

void PrintTo(const SaveDamage& damage, std::ostream* out) { *out << damage.label; }

const std::string MISSING = "\x01missing";

std::string replaced(const std::string& text, const std::string& pattern, const std::string& with) {
    return std::regex_replace(text, std::regex(pattern), with, std::regex_constants::format_first_only);
}

// `text` with `child` as the first child of the first `element` (opened up if it was empty).
std::string withChild(const std::string& text, const std::string& element, const std::string& child) {
    size_t start = text.find("<" + element + " ");
    if (start == std::string::npos) start = text.find("<" + element + ">");
    if (start == std::string::npos) return text;
    size_t end = text.find('>', start);
    if (text[end - 1] == '/') return text.substr(0, end - 1) + ">" + child + "</" + element + ">" + text.substr(end + 1);
    return text.substr(0, end + 1) + child + text.substr(end + 1);
}

// The game as far as a refused load must leave it.
struct GameSnapshot {
    const Player* player;
    point position;
    size_t worlds;
    planetData planet;
    size_t extra;
    size_t ships;

    explicit GameSnapshot(Universe& universe)
        : player(universe.player.get()),
          position(universe.player->getPosition()),
          worlds(universe.worlds.size()),
          planet(universe.getPlanetData(0)),
          extra(universe.getExtraPlanetData(0).size()),
          ships(universe.worlds[0].ships.size()) {}

    void expectSame(Universe& universe) const {
        EXPECT_EQ(universe.player.get(), player);
        EXPECT_EQ(universe.player->getPosition().x, position.x);
        EXPECT_EQ(universe.player->getPosition().y, position.y);
        EXPECT_EQ(universe.worlds.size(), worlds);
        planetData now = universe.getPlanetData(0);
        EXPECT_EQ(now.name, planet.name);
        EXPECT_EQ(now.element1, planet.element1);
        EXPECT_EQ(now.elementStockpile1, planet.elementStockpile1);
        EXPECT_EQ(now.health, planet.health);
        EXPECT_EQ(universe.getExtraPlanetData(0).size(), extra);
        EXPECT_EQ(universe.worlds[0].ships.size(), ships);
    }
};

class BadSave : public testing::TestWithParam<SaveDamage> {
protected:
    void SetUp() override {
        writeContent(dir);
        bool saved = false;
        std::string out = captureOutput([&] {
            universe = buildUniverse(dir);
            if (!universe) return;
            WorldState& world = universe->worlds[0];
            world.ships.push_back(Ship({1500.0f, 800.0f}, "Raider", 1, *universe));
            world.ships.push_back(Ship({-1500.0f, 800.0f}, "Hauler", 2, *universe));
            world.projectiles.push_back(Projectile({100.0f, 100.0f}, 0.5f, world, 0, 0.0f, 0.0f, 1, {0, -100}));
            GravityWall wall(7, {0.0f, 500.0f}, universe->defaultGravTool.left, 4);
            wall.addWell({50.0f, 500.0f});
            world.gravityWalls.push_back(wall);
            saved = universe->saveGame("1");
        });
        ASSERT_TRUE(saved) << out;
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
};

TEST_P(BadSave, IsRefusedOrReportedAndNeverLosesTheGame) {
    const SaveDamage& damage = GetParam();
    const std::string path = dir.path() + "saves/1/" + damage.file;
    std::string text = dir.read(std::string("saves/1/") + damage.file);
    ASSERT_FALSE(text.empty());
    std::string changed = damage.change(text);
    ASSERT_NE(changed, text) << "the damage must change the file";
    if (changed == MISSING)
        boost::filesystem::remove(path);
    else
        dir.write(std::string("saves/1/") + damage.file, changed);
    const std::string universeFile = dir.read("saves/1/universeSAV.xml");
    const std::string playerFile = dir.read("saves/1/PlayerDataSAV.xml");

    // Someone has been playing since the save.
    universe->player->setPosition({4321.0f, -1234.0f});
    GameSnapshot before(*universe);

    LuaState lua;
    bool loaded = true;
    std::string out = captureOutput([&] { loaded = universe->loadGame("1", lua.get()); });
    EXPECT_TRUE(contains(out, damage.message)) << out;
    EXPECT_EQ(0, lua_gettop(lua.get()));
    // Loading never writes: the save stays as it was, good or bad.
    EXPECT_EQ(dir.read("saves/1/universeSAV.xml"), universeFile);
    EXPECT_EQ(dir.read("saves/1/PlayerDataSAV.xml"), playerFile);
    EXPECT_EQ(changed == MISSING, !boost::filesystem::exists(path));

    if (damage.refused) {
        EXPECT_FALSE(loaded) << out;
        EXPECT_FALSE(contains(out, "Setting time")) << "nothing is touched before the checks: " << out;
        before.expectSame(*universe);
        return;
    }
    ASSERT_TRUE(loaded) << out;
    EXPECT_TRUE(contains(out, "Loaded.")) << out;
    bool played = false;
    out = captureOutput([&] { played = playFrames(*universe, 12); });
    EXPECT_TRUE(played) << out;
    bool saved = false;
    out = captureOutput([&] {
        saved = universe->saveGame("2");
        loaded = universe->loadGame("2", lua.get());
    });
    EXPECT_TRUE(saved && loaded) << out;
}

const char* const UNIVERSE = "universeSAV.xml";
const char* const PLAYER = "PlayerDataSAV.xml";

std::string missing(const std::string&) { return MISSING; }
std::string truncatedHalf(const std::string& text) { return text.substr(0, text.size() / 2); }
std::string notXml(const std::string&) { return "PK\x03\x04 this was a zip file once"; }

INSTANTIATE_TEST_SUITE_P(
    Damages, BadSave,
    testing::Values(
        SaveDamage{"UniverseMissing", UNIVERSE, missing, true, "universeSAV.xml: cannot open file"},
        SaveDamage{"PlayerMissing", PLAYER, missing, true, "PlayerDataSAV.xml: cannot open file"},
        SaveDamage{"UniverseTruncated", UNIVERSE, truncatedHalf, true, "Error, cannot load save"},
        SaveDamage{"PlayerTruncated", PLAYER, truncatedHalf, true, "Error, cannot load save"},
        SaveDamage{"UniverseNotXml", UNIVERSE, notXml, true, "Error, cannot load save"},
        SaveDamage{"PlayerNotXml", PLAYER, notXml, true, "Error, cannot load save"},
        SaveDamage{"UniverseEmpty", UNIVERSE, [](const std::string&) { return std::string(" "); }, true,
                   "universeSAV.xml: no root element"},
        SaveDamage{"UniverseWrongRoot", UNIVERSE,
                   [](const std::string& t) { return replaced(replaced(t, "<universe", "<cosmos"), "</universe>", "</cosmos>"); },
                   true, "root element is \"cosmos\", expected \"universe\""},
        SaveDamage{"PlayerWrongRoot", PLAYER,
                   [](const std::string& t) { return replaced(replaced(t, "<player", "<pilot"), "</player>", "</pilot>"); },
                   true, "root element is \"pilot\", expected \"player\""},
        SaveDamage{"FilesSwapped", PLAYER, [](const std::string&) { return std::string("<universe time=\"1\"/>"); },
                   true, "expected \"player\""},
        SaveDamage{"ClockMissing", UNIVERSE, [](const std::string& t) { return replaced(t, " time=\"\\d+\"", ""); },
                   false, "Error, XML value time not present, and is required"},
        SaveDamage{"NoWorlds", UNIVERSE,
                   [](const std::string& t) { return std::regex_replace(t, std::regex("<(/?)world"), "<$1galaxy"); },
                   true, "it holds no world"},
        SaveDamage{"ActiveWorldMissing", PLAYER, [](const std::string& t) { return replaced(t, " activeWorld=\"[^\"]*\"", ""); },
                   false, "Error, XML value activeWorld not present, and is required"},
        SaveDamage{"ActiveWorldTooLarge", PLAYER,
                   [](const std::string& t) { return replaced(t, "activeWorld=\"[^\"]*\"", "activeWorld=\"2\""); }, true,
                   "the player is in world 2, which does not exist"},
        SaveDamage{"ActiveWorldNegative", PLAYER,
                   [](const std::string& t) { return replaced(t, "activeWorld=\"[^\"]*\"", "activeWorld=\"-1\""); }, true,
                   "which does not exist"},
        SaveDamage{"ActiveWorldInExponentForm", PLAYER,
                   [](const std::string& t) { return replaced(t, "activeWorld=\"[^\"]*\"", "activeWorld=\"1e9\""); }, true,
                   "which does not exist"},
        SaveDamage{"ActiveWorldNotANumber", PLAYER,
                   [](const std::string& t) { return replaced(t, "activeWorld=\"[^\"]*\"", "activeWorld=\"nan\""); },
                   false, "Loaded."},
        // Accepted with a message: the rest of the save is good.
        SaveDamage{"PlayerPositionMissing", PLAYER, [](const std::string& t) { return replaced(t, " x=\"[^\"]*\"", ""); },
                   false, "Error, XML value x not present, and is required"},
        SaveDamage{"HugeGunCoolingIndex", PLAYER,
                   [](const std::string& t) { return withChild(t, "player", "<gunCooling index99999999=\"5\"/>"); },
                   false, "Error, position 99999999 of list gunCooling"},
        SaveDamage{"HugeArmamentIndex", PLAYER,
                   [](const std::string& t) {
                       return replaced(t, "<armament ", "<armament index99999999=\"1\" index-3=\"1\" ");
                   },
                   false, "Error, position 99999999 of list armament"},
        SaveDamage{"ArmamentBeyondProjectileTypes", PLAYER,
                   [](const std::string& t) { return replaced(t, "<armament [^/]*/>", "<armament index0=\"99\" index1=\"-4\" index2=\"1e30\"/>"); },
                   false, "Loaded."},
        SaveDamage{"ShotTypeBeyondProjectileTypes", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "shotType=\"[^\"]*\"", "shotType=\"99\""); }, false,
                   "has shot type 99, which does not exist"},
        SaveDamage{"ShotTypeNegative", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "shotType=\"[^\"]*\"", "shotType=\"-2147483649\""); },
                   false, "which does not exist"},
        SaveDamage{"ShipTypeUnknown", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "shiptype=\"[^\"]*\"", "shiptype=\"Ghost\""); }, false,
                   "Error, bad ship name passed to ship constructor: Ghost"},
        SaveDamage{"ShipFactionAndRelationsAbsurd", UNIVERSE,
                   [](const std::string& t) {
                       return withChild(replaced(t, "faction=\"2\"", "faction=\"1e12\""), "shipData",
                                        "<personalRelations index0=\"1e9\" index5=\"-1e9\"/>");
                   },
                   false, "Bad faction"},
        SaveDamage{"WallNodesWithGarbage", UNIVERSE,
                   [](const std::string& t) {
                       return replaced(t, "<wallNodes size=\"[^\"]*\">",
                                       "<wallNodes size=\"-5\"><junk/>loose text<!-- a note --><wallNode9 x=\"nan\" "
                                       "y=\"inf\" timeLeft=\"1e20\" strength=\"-inf\"/>");
                   },
                   false, "Error, XML value x not present, and is required"},
        SaveDamage{"WallIndexOutOfRange", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "activeIndex=\"[^\"]*\"", "activeIndex=\"99999999\""); },
                   false, "Loaded."},
        SaveDamage{"WallWithoutWells", UNIVERSE,
                   [](const std::string& t) {
                       return std::regex_replace(t, std::regex("<wallNodes[\\s\\S]*</wallNodes>"), "");
                   },
                   false, "Loaded."},
        SaveDamage{"PlanetNumbersAbsurd", UNIVERSE,
                   [](const std::string& t) {
                       return replaced(t, "element1=\"[^\"]*\"", "element1=\"1e40\" elementStockpile2=\"nan\"");
                   },
                   false, "Loaded."},
        SaveDamage{"ClockAbsurd", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "time=\"\\d+\"", "time=\"-99999999999999999999\""); },
                   false, "Loaded."},
        SaveDamage{"EntityAttributesMissing", UNIVERSE,
                   [](const std::string& t) { return replaced(t, "<projectileData [^>]*?(/?)>", "<projectileData shotType=\"0\"$1>"); },
                   false, "Error, XML value lifetimeRemaining not present, and is required"},
        // The loader names the save's own file, not the content file the game started from.
        SaveDamage{"UnknownElementInAWorld", UNIVERSE,
                   [](const std::string& t) { return withChild(t, "world", "<comet/>"); }, false,
                   "Error, universeSAV.xml line 2: unknown element <comet> left out"}),
    [](const testing::TestParamInfo<SaveDamage>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// The UI script: broken scripts, failing entry points and garbage answers are reported, the
// game goes on, and the Lua stack is exactly as high after every engine call as before it.

Font* realFont() {
    static Font* font = nullptr;  // the glyph set is process-wide; built once and kept
    if (!font) font = new Font(shippedDataDirectory() + "subatomic.quillory.ttf");
    return font;
}

class BadScript : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        captureOutput([&] { universe = buildUniverse(dir); });
        ASSERT_NE(universe, nullptr);
        fonts = {realFont()};
    }

    // Loads `code` as ui.lua and runs initLua; answers everything printed.
    std::string start(const std::string& code, bool loads = true) {
        dir.write("ui.lua", code);
        bool loaded = false;
        int heightAfterLoad = -1;
        std::string out = captureOutput([&] {
            loaded = loadScript(L, dir.path() + "ui.lua");
            heightAfterLoad = lua_gettop(L);
            initLua(*universe, L);
        });
        EXPECT_EQ(loads, loaded) << out;
        EXPECT_EQ(0, heightAfterLoad);
        EXPECT_EQ(0, lua_gettop(L)) << "initLua";
        return out;
    }
    std::string event() {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        EXPECT_EQ(0, lua_gettop(L)) << "uiEvent";
        return out;
    }
    // Clicks the middle of every element of every display, then draws and updates each display
    // as the frame loop does (dropping those that answer false).
    std::string clickDrawAndUpdate() {
        std::vector<int> heights;
        std::string out = captureOutput([&] {
            for (uiDisplay& display : universe->displays)
                for (size_t i = 0; i < display.size(); ++i) {
                    uiDisplayBase* element = display.element(i);
                    point middle{(element->minCorner.x + element->maxCorner.x) / 2.0f,
                                 (element->minCorner.y + element->maxCorner.y) / 2.0f};
                    int dt = 500;
                    display.mouseHover(middle);
                    display.mouseClick(middle, *universe, L);
                    display.mouseDrag(middle, dt, *universe, L);
                }
            for (size_t d = 0; d < universe->displays.size();) {
                universe->displays[d].draw();
                bool keep = universe->displays[d].update(*universe, fonts, L);
                heights.push_back(lua_gettop(L));
                if (keep)
                    ++d;
                else
                    universe->displays.erase(universe->displays.begin() + static_cast<long>(d));
            }
            for (uiDisplay& display : universe->displays) display.draw();
        });
        for (int height : heights) EXPECT_EQ(0, height) << "after an update";
        EXPECT_EQ(0, lua_gettop(L));
        return out;
    }
    std::string tick(int id) {
        std::string out = captureOutput([&] { callPlanetTick(L, id); });
        EXPECT_EQ(0, lua_gettop(L)) << "planetTick";
        return out;
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
    std::vector<Font*> fonts;
};

const char* const ONE_BUTTON =
    "function addUI(...) return {type = 'button', name = 'b', x1 = 10, y1 = 10, x2 = 30, y2 = 20, text = 'Go'}, "
    "'win' end\n";

TEST_F(BadScript, SyntaxErrorIsReportedAndTheGameRunsWithoutScript) {
    std::string out = start("function addUI(...) return {type = 'button' end\n", false);
    EXPECT_EQ(0u, out.find("Error opening ui.lua\n")) << out;
    EXPECT_TRUE(contains(out, "ui.lua:1:")) << "the line of the mistake: " << out;
    // No addUI exists: every entry point reports and play goes on.
    EXPECT_TRUE(contains(out, "Lua event error, ")) << out;
    EXPECT_TRUE(contains(event(), "Lua event error, "));
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_TRUE(contains(tick(0), "Lua event error, "));
}

TEST_F(BadScript, TopLevelErrorIsReported) {
    std::string out = start("function addUI(...) end\nlocal x = nil + 1\n", false);
    EXPECT_EQ(0u, out.find("Error opening ui.lua\n")) << out;
    EXPECT_TRUE(contains(out, "arithmetic")) << out;
}

TEST_F(BadScript, AddUiErrorIsReportedEveryTime) {
    std::string out = start("function addUI(...) error('no windows today') end\n");
    EXPECT_TRUE(contains(out, "Lua event error, ")) << out;
    EXPECT_TRUE(contains(out, "no windows today")) << out;
    out = event();
    EXPECT_TRUE(contains(out, "Lua event error, ")) << out;
    EXPECT_TRUE(universe->displays.empty());
}

TEST_F(BadScript, ErrorObjectThatIsNoTextIsStillReported) {
    std::string out = start("function addUI(...) error(setmetatable({}, {__tostring = function() error('x') end})) end\n");
    EXPECT_TRUE(contains(out, "Lua event error, (error value of type table)")) << out;
}

TEST_F(BadScript, UpdateUiErrorIsReportedAndTheChangeIsNotReportedTwice) {
    start(std::string(ONE_BUTTON) + "function updateUI(name, ...) error('update failed') end\n");
    event();
    ASSERT_EQ(1u, universe->displays.size());
    std::string out = clickDrawAndUpdate();
    EXPECT_TRUE(contains(out, "LUA encountered an error in uiDisplay update function: ")) << out;
    EXPECT_TRUE(contains(out, "update failed")) << out;
    ASSERT_EQ(1u, universe->displays.size());
    EXPECT_FALSE(universe->displays[0].element(0)->modified);
}

TEST_F(BadScript, PlanetTickErrorIsReported) {
    start("function addUI(...) end\nfunction planetTick(id) error('tick ' .. id) end\n");
    std::string out = tick(1);
    EXPECT_TRUE(contains(out, "Lua event error, ")) << out;
    EXPECT_TRUE(contains(out, "tick 1")) << out;
}

// Answers of "addUI" that are not what the engine asked for.
struct GarbageAnswer {
    const char* label;
    const char* answers;     // the Lua expression list "addUI" returns
    const char* message;     // expected in the output ("" for none)
    size_t displays;         // displays made
};

void PrintTo(const GarbageAnswer& answer, std::ostream* out) { *out << answer.label; }

class GarbageAddUi : public BadScript, public testing::WithParamInterface<GarbageAnswer> {};

TEST_P(GarbageAddUi, IsReportedAndBuildsOnlyWhatMakesSense) {
    const GarbageAnswer& answer = GetParam();
    start(std::string("local function answers() return ") + answer.answers +
          " end\nfunction addUI(...) if select('#', ...) == 0 then return end return answers() end\n"
          "function updateUI(name, ...) return answers() end\n");
    std::string out = event();
    EXPECT_TRUE(contains(out, answer.message)) << out;
    EXPECT_EQ(answer.displays, universe->displays.size()) << out;
    // Whatever was built can be drawn, clicked and updated, whose answers are the same garbage.
    for (int round = 0; round < 2; ++round) clickDrawAndUpdate();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GarbageAddUi,
    testing::Values(
        GarbageAnswer{"StringsForTables", "'not a table', 'nor this', 'win'", "Error, bad LUA UI element number", 1},
        GarbageAnswer{"NumbersForTables", "1, 2, 3, 'win'", "Error, bad LUA UI element number", 1},
        GarbageAnswer{"BooleanName", "{type = 'box'}, true", "Error, display name undefined in LUA", 0},
        GarbageAnswer{"TableName", "{type = 'box'}, {type = 'bar'}", "Error, display name undefined in LUA", 0},
        GarbageAnswer{"OnlyNil", "nil", "LUA called", 0},
        GarbageAnswer{"HugeNumbers",
                      "{type = 'slider', name = 's', x1 = 1e308, y1 = -1e308, x2 = -1e308, y2 = 1e308, arrowWidth = "
                      "1e300, leftVal = -1e300, rightVal = 1e300, curVal = 1e300},"
                      "{type = 'button', name = 'b', x1 = 0, y1 = 0, x2 = 50, y2 = 50, font = 1e300, initialState = "
                      "-1e300, text = string.rep('W', 5000)},"
                      "{type = 'scroller', name = 'c', x1 = 0, y1 = 0, x2 = 10, y2 = 90, arrowWidth = 1e30, curVal = "
                      "math.huge, rightVal = -math.huge}, 'win'",
                      "Set name: win", 1},
        GarbageAnswer{"NotANumber",
                      "{type = 'bar', name = 'r', x1 = 0/0, y1 = 0/0, x2 = 0/0, y2 = 0/0, leftVal = 0/0, rightVal = "
                      "0/0, curVal = 0/0},"
                      "{type = 'slider', name = 's', x1 = 10, y1 = 10, x2 = 60, y2 = 20, arrowWidth = 0/0, leftVal = "
                      "5, rightVal = 5, curVal = 0/0},"
                      "{type = 'button', name = 'b', x1 = 0, y1 = 0, x2 = 50, y2 = 50, font = 0/0, initialState = "
                      "0/0}, 'win'",
                      "Set name: win", 1},
        GarbageAnswer{"NestedTables",
                      "{type = {'button'}, name = 'x'}, {type = 'box', name = {a = {b = {}}}, text = {1, 2, {3}}, x1 = "
                      "{}, y1 = {}, x2 = 50, y2 = 50, font = {}}, {type = 'text', text = function() end, name = "
                      "coroutine.create(function() end)}, 'win'",
                      "Error, bad LUA UI element number", 1},
        GarbageAnswer{"TablesThatFightBack",
                      "setmetatable({}, {__index = function() error('no reading me') end}),"
                      "setmetatable({type = 'box', x2 = 50, y2 = 50}, {__index = function() while true do end end}), "
                      "'win'",
                      "Error, bad LUA UI element number", 1},
        GarbageAnswer{"ThousandsOfAnswers", "unpack((function() local t = {} for i = 1, 5000 do t[i] = {type = 'box', "
                                            "name = 'n' .. i, x2 = i % 100, y2 = 5} end t[5001] = 'win' return t end)())",
                      "Set name: win", 1}),
    [](const testing::TestParamInfo<GarbageAnswer>& info) { return std::string(info.param.label); });

// Answers of "updateUI" that are not what the engine asked for.
class GarbageUpdateUi : public BadScript, public testing::WithParamInterface<GarbageAnswer> {};

TEST_P(GarbageUpdateUi, IsReportedAndTheDisplayGoesOn) {
    const GarbageAnswer& answer = GetParam();
    start(std::string(ONE_BUTTON) + "function updateUI(name, ...) return " + answer.answers + " end\n");
    event();
    ASSERT_EQ(1u, universe->displays.size());
    std::string out = clickDrawAndUpdate();
    EXPECT_TRUE(contains(out, answer.message)) << out;
    EXPECT_EQ(answer.displays, universe->displays.size()) << out;
    clickDrawAndUpdate();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, GarbageUpdateUi,
    testing::Values(
        GarbageAnswer{"Strings", "'b', 'delete'",
                      "Error in uidisplay, update function: LUA script returned non-table type: string", 1},
        GarbageAnswer{"FunctionsAndBooleans", "print, true, nil",
                      "Error in uidisplay, update function: LUA script returned non-table type: function", 1},
        GarbageAnswer{"NotANumberEverywhere",
                      "{name = 'b', x1 = 0/0, y1 = 0/0, x2 = 1e300, y2 = -1e300, state = 0/0, text = {}}", "i:0, type1", 1},
        GarbageAnswer{"NameOfNoElement", "{name = 'nobody', x1 = 0/0}", "b - nobody", 1},
        GarbageAnswer{"NewElementOfNoKind", "{name = 'b', new = true, type = 'hologram'}",
                      "Error, bad LUA UI element number", 1},
        GarbageAnswer{"NewElementsGalore",
                      "{name = 'b', new = 0, type = 'slider', x2 = 1e300, leftVal = 1, rightVal = 1},"
                      "{name = 'zz', new = 'yes', type = 'text', text = string.rep('\\0', 100)}",
                      "i:0, type1", 1},
        GarbageAnswer{"DeleteEverything", "{name = 'b', delete = 1}, {name = 'b', delete = 1}", "", 0},
        GarbageAnswer{"DeleteAsText", "{name = 'b', delete = '1'}", "", 1},
        GarbageAnswer{"SelfReference", "(function() local t = {name = 'b'} t.text = t t.state = t return t end)()",
                      "i:0, type1", 1},
        GarbageAnswer{"MetatableTraps",
                      "setmetatable({name = 'b'}, {__index = function() error('trap') end, __newindex = error})",
                      "i:0, type1", 1}),
    [](const testing::TestParamInfo<GarbageAnswer>& info) { return std::string(info.param.label); });

// Planet data written by a script with garbage in it: reported, and the game still saves and loads.
TEST_F(BadScript, GarbagePlanetDataStillSavesAndLoads) {
    start("function addUI(...) end\n");
    std::string code =
        "setPlanetData(0, {name = {}, element1 = 0/0, element2 = 1e300, elementStockpile1 = -1e300, health = 0/0, "
        "qualityFactor1 = math.huge, factionOwner = 1e12, [{}] = 1, [true] = 'x', ['bad key'] = 1, "
        "['<tag>'] = 'left out', good = '\"quoted\" & <angled>\\nline', nested = {{}}})\n"
        "setPlanetData(1, 'not a table')\n";
    std::string out = captureOutput([&] {
        luaL_loadstring(L, code.c_str());
        lua_pcall(L, 0, 0, 0);
        lua_settop(L, 0);
    });
    EXPECT_TRUE(contains(out, "Error, unable to convert LUA value to string in luaAnyToString")) << out;
    planetData data = universe->getPlanetData(0);
    EXPECT_EQ(0, data.element1);
    bool saved = false, loaded = false;
    out = captureOutput([&] {
        saved = universe->saveGame("1");
        loaded = universe->loadGame("1", L);
    });
    EXPECT_TRUE(saved && loaded) << out;
    EXPECT_TRUE(contains(out, "cannot be saved, left out")) << out;
    EXPECT_TRUE(contains(out, "Loaded.")) << out;
    std::map<std::string, std::string> extra;
    for (const luaStringPair& pair : universe->getExtraPlanetData(0)) extra[pair.key] = pair.value;
    EXPECT_EQ(0u, extra.count("<tag>")) << "a pair whose key is no attribute name is left out";
    EXPECT_EQ(0u, extra.count("bad key"));
    EXPECT_EQ("\"quoted\" & <angled>\nline", extra["good"]) << "values are escaped, not lost";
    EXPECT_EQ(0, lua_gettop(L));
}

// ---------------------------------------------------------------------------------------------
// Limits behind the cases above, checked where they are kept.

TEST(ContentLimits, TrailLengthIsCapped) {
    Trail endless(2147483647, {0.0f, 0.0f}, 20, 10.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(5000, endless.length);
    EXPECT_EQ(5001u, endless.points.size());
    endless.update({1.0f, 1.0f}, 20);
    EXPECT_LT(endless.slotAt(endless.length), endless.points.size());
    Trail negative(-5, {0.0f, 0.0f}, 20, 10.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(0, negative.length);
}

TEST(ContentLimits, AWorldHoldsAtMostFiveThousandShots) {
    std::vector<projectileData> saved = WEAPONDATA;
    WEAPONDATA.assign(1, projectileData());
    WEAPONDATA[0].numProjectiles = 2147483647;
    WorldState world("W", 1);
    captureOutput([&] { projectileSpawn(0, {0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, world, 0); });
    EXPECT_EQ(5000u, world.projectiles.size());
    captureOutput([&] { projectileSpawn(0, {0.0f, 0.0f}, {0.0f, 0.0f}, 0.0f, world, 0); });
    EXPECT_EQ(5000u, world.projectiles.size());
    WEAPONDATA = saved;
}

}  // namespace
