// Tests of the Lua state, the calls into the script and the engine functions, driven by real
// Lua code against a small universe.
#include <gtest/gtest.h>

#include "loadGalaxy.h"
#include "startLua.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

// A script with empty engine entry points, so initLua has something to call.
const char* const QUIET_SCRIPT = "function addUI(...) end\nfunction updateUI(...) end\nfunction planetTick(id) end\n";

class Engine : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        ASSERT_EQ(0, luaL_dostring(L, QUIET_SCRIPT));
        captureOutput([&] { initLua(*universe, L); });
        ASSERT_EQ(0, lua_gettop(L));
    }

    // Runs a chunk; answers the error text, or "" when it ran.
    std::string run(const std::string& code) {
        int base = lua_gettop(L);
        std::string error;
        if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) error = luaErrorText(L, -1);
        lua_settop(L, base);
        return error;
    }
    // Runs a chunk that must succeed and answers what it printed.
    std::string output(const std::string& code) {
        std::string error;
        std::string out = captureOutput([&] { error = run(code); });
        EXPECT_EQ("", error) << code;
        return out;
    }
    double number(const char* global) {
        lua_getglobal(L, global);
        double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }
    std::string text(const char* global) {
        lua_getglobal(L, global);
        std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "<not text>";
        lua_pop(L, 1);
        return value;
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
};

TEST_F(Engine, LandedStateIsANumber) {
    output("a = getIsPlayerLanded(); ta = type(a); p = getPlayerLandedPlanetId(); w = getPlayerWorld()");
    EXPECT_EQ("number", text("ta"));
    EXPECT_EQ(0, number("a"));
    EXPECT_EQ(-1, number("p"));
    EXPECT_EQ(0, number("w"));
    universe->player->setLanded(1);
    output("a = getIsPlayerLanded(); p = getPlayerLandedPlanetId()");
    EXPECT_EQ(1, number("a"));
    EXPECT_EQ(1, number("p"));
}

TEST_F(Engine, TradeGoodsAndEquipmentOfTerra) {
    std::string out = output(
        "local a, b, c = getPlanetTradeGoods(0)\n"
        "goods = a.name .. '=' .. a.price .. ',' .. b.name .. '=' .. b.price .. ',' .. tostring(c)\n"
        "local e, f = getPlanetEquipment(0)\n"
        "equipment = e.name .. '=' .. e.price .. ',' .. tostring(f)");
    EXPECT_EQ("Ore=12,Water=3.5,nil", text("goods"));
    EXPECT_EQ("Basic Engine=100,nil", text("equipment"));
    EXPECT_NE(std::string::npos, out.find("Getting trade goods\nTarget planet: 0\nNew add:"));
    EXPECT_NE(std::string::npos, out.find("Target foundPushing: Ore x 12\nPushing: Water x 3.5\n2 pieces pushed\n"));
    EXPECT_NE(std::string::npos, out.find("Getting equipment\nTarget planet: 0\nNew add:"));
    EXPECT_NE(std::string::npos, out.find("Planet foundPushing: Basic Engine x 100\n1 pieces pushed\n"));
}

TEST_F(Engine, TradeGoodsEdgeCases) {
    std::string out = output("minus = getPlanetTradeGoods(-1); none = select('#', getPlanetTradeGoods(1))\n"
                             "beyond = select('#', getPlanetTradeGoods(99)); eq = getPlanetEquipment(-1)\n"
                             "noeq = select('#', getPlanetEquipment(2))");
    EXPECT_EQ(-1, number("minus"));
    EXPECT_EQ(0, number("none"));
    EXPECT_EQ(0, number("beyond"));
    EXPECT_EQ(-1, number("eq"));
    EXPECT_EQ(0, number("noeq"));
    EXPECT_NE(std::string::npos, out.find("Target found0 pieces pushed\n"));
    EXPECT_NE(std::string::npos, out.find("No pieces pushed\n"));
}

TEST_F(Engine, PlanetDataMirrorsTheRecord) {
    output("d, e = getPlanetData(0)");
    output("r = d.name .. ' ' .. d.element1 .. ' ' .. d.elementStockpile1 .. ' ' .. d.drillLevel1 .. ' ' .. "
           "d.factionOwner .. ' ' .. d.starbase .. ' ' .. d.health .. ' ' .. d.radius .. ' ' .. e.note");
    EXPECT_EQ("Terra 5 10 1 1 2 50 200 home", text("r"));
    Planet* terra = universe->getPlanet(0);
    ASSERT_TRUE(terra);
    output("x = d.x; y = d.y");
    EXPECT_FLOAT_EQ(terra->getLoc().x, number("x"));
    EXPECT_FLOAT_EQ(terra->getLoc().y, number("y"));
}

TEST_F(Engine, SetThenGetRoundTrips) {
    output("local d = getPlanetData(1)\n"
           "d.element2 = 1234567; d.health = 75.5; d.name = 'New Luna'; d.extra = 'yes'; d.flag = true\n"
           "setPlanetData(1, d)\n"
           "g, e = getPlanetData(1)");
    planetData data = universe->getPlanetData(1);
    EXPECT_EQ("New Luna", data.name);
    EXPECT_EQ(1234567, data.element2);
    EXPECT_FLOAT_EQ(75.5f, data.health);
    output("r = g.name .. '|' .. e.element2 .. '|' .. e.name .. '|' .. e.health .. '|' .. e.extra .. '|' .. "
           "e.flag .. '|' .. e.factionOwner .. '|' .. e.radius");
    EXPECT_EQ("New Luna|1.23457e+06|New Luna|75.5|yes|1|-1|100", text("r"));
    // Every key of the written table is in the extra data.
    size_t keys = universe->getExtraPlanetData(1).size();
    EXPECT_EQ(1u + planetIntFields().size() + planetFloatFields().size() + 3u + 2u, keys);
}

TEST_F(Engine, SetKeepsFieldsTheTableLacks) {
    output("setPlanetData(0, {drillLevel2 = 4})");
    planetData data = universe->getPlanetData(0);
    EXPECT_EQ(4, data.drillLevel2);
    EXPECT_EQ("Terra", data.name);
    EXPECT_EQ(5, data.element1);
    EXPECT_EQ(1, data.factionOwner);
    std::vector<luaStringPair> extra = universe->getExtraPlanetData(0);
    ASSERT_EQ(1u, extra.size());
    EXPECT_EQ("drillLevel2", extra[0].key);
    EXPECT_EQ("4", extra[0].value);
}

TEST_F(Engine, PositionKeysNeverMoveThePlanet) {
    Planet* terra = universe->getPlanet(0);
    point before = terra->getLoc();
    output("local d = getPlanetData(0); d.x = 1; d.y = 2; d.radius = 3; setPlanetData(0, d)");
    EXPECT_FLOAT_EQ(before.x, terra->getLoc().x);
    EXPECT_FLOAT_EQ(before.y, terra->getLoc().y);
    EXPECT_FLOAT_EQ(200.0f, terra->getRadius());
    bool found = false;
    for (const luaStringPair& pair : terra->getExtraData())
        if (pair.key == "radius") found = pair.value == "3";
    EXPECT_TRUE(found);
}

TEST_F(Engine, BadPlanetIdsAreRefused) {
    planetData before = universe->getPlanetData(2);
    std::string out = output("setPlanetData(3, {name = 'x'}); setPlanetData(-1, {name = 'x'})");
    EXPECT_EQ("Bad index given for planet index\nBad index given for planet index\n", out);
    EXPECT_EQ(before.name, universe->getPlanetData(2).name);
    out = output("d, e = getPlanetData(3); r = d.name .. d.x .. d.y .. d.radius; n = next(e)\n"
                 "nm = getDecodedPlanetName(7)");
    EXPECT_EQ("Fred000", text("r"));
    EXPECT_EQ("Fred", text("nm"));
    EXPECT_NE(std::string::npos, out.find("Error, invalid planet number"));
    lua_getglobal(L, "n");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

TEST_F(Engine, DecodedNameAndTestHooks) {
    std::string out = output("n = getDecodedPlanetName(2); v = getVal(); setVal(2.5)\n"
                             "local t = testPass(); p = t.name .. t.price\n"
                             "debugDisplay('hello'); debugDisplay(3); debugDisplay({})");
    EXPECT_EQ("Rock", text("n"));
    EXPECT_EQ(0, number("v"));
    EXPECT_EQ("This is my name70", text("p"));
    EXPECT_EQ("Setting to2.5\nLua debug:hello:\nLua debug:3:\n"
              "Lua display debug called, but non-string passed.  Type: table\n",
              out);
}

TEST_F(Engine, InputSwitches) {
    output("disablePlayerInput()");
    EXPECT_FALSE(universe->player->getKeysOn());
    output("enablePlayerInput()");
    EXPECT_TRUE(universe->player->getKeysOn());
}

TEST_F(Engine, SpawnShipByExactName) {
    size_t before = universe->currentWorld().ships.size();
    std::string out = output("spawnShip('raider', 1, {x = 5, y = 6})");
    EXPECT_EQ("Error, bad ship name sent to spawnShip by Lua, raider\n", out);
    EXPECT_EQ(before, universe->currentWorld().ships.size());
    output("spawnShip('Raider', 2, {x = 5, y = 6})");
    ASSERT_EQ(before + 1, universe->currentWorld().ships.size());
    EXPECT_FLOAT_EQ(5.0f, universe->currentWorld().ships.front().getPosition().x);
    EXPECT_FLOAT_EQ(6.0f, universe->currentWorld().ships.front().getPosition().y);
    out = output("spawnShip({}, 1, {})");
    EXPECT_EQ("Error, bad ship name sent to spawnShip by Lua, \n", out);
    EXPECT_EQ(before + 1, universe->currentWorld().ships.size());
}

TEST_F(Engine, SpawnShipWithAFactionOutsideTheTableBuildsAFactionZeroShip) {
    WorldState& world = universe->currentWorld();
    size_t before = world.ships.size();
    for (const char* faction : {"3", "99", "-1", "0/0"}) {
        SCOPED_TRACE(faction);
        std::string out = output(std::string("spawnShip('Drone', ") + faction + ", {x = 7, y = 8})");
        EXPECT_EQ("Bad faction 0\n", out);
        ASSERT_EQ(++before, world.ships.size());
        EXPECT_EQ(0u, world.ships.front().getFaction());
        EXPECT_FLOAT_EQ(7.0f, world.ships.front().getPosition().x);
    }
    EXPECT_EQ("", output("spawnShip('Drone', 2, {})"));
    EXPECT_EQ(2u, world.ships.front().getFaction());
}

struct BadCall {
    const char* code;
};

class EngineBadArguments : public Engine, public testing::WithParamInterface<BadCall> {};

// Missing or wrong-typed arguments raise a Lua error that the calling site catches.
TEST_P(EngineBadArguments, RaiseCaughtError) {
    std::string error;
    std::string out = captureOutput([&] { error = run(GetParam().code); });
    EXPECT_NE("", error);
    EXPECT_EQ(0, lua_gettop(L));
    // And the same inside a tick: printed, and play goes on.
    std::string script = std::string("function planetTick(id) ") + GetParam().code + " end";
    ASSERT_EQ("", run(script));
    out = captureOutput([&] { callPlanetTick(L, 0); });
    EXPECT_EQ(0u, out.find("Lua event error, "));
    EXPECT_EQ(0, lua_gettop(L));
}

INSTANTIATE_TEST_SUITE_P(Calls, EngineBadArguments,
                         testing::Values(BadCall{"getPlanetData()"}, BadCall{"getPlanetData('abc')"},
                                         BadCall{"getPlanetData({})"}, BadCall{"setPlanetData(0)"},
                                         BadCall{"setPlanetData(0, 5)"}, BadCall{"setPlanetData('x', {})"},
                                         BadCall{"getDecodedPlanetName()"}, BadCall{"getPlanetTradeGoods({})"},
                                         BadCall{"getPlanetEquipment()"}, BadCall{"setVal('x')"},
                                         BadCall{"debugDisplay()"}, BadCall{"spawnShip('Raider', 1)"},
                                         BadCall{"spawnShip('Raider', 'x', {})"},
                                         BadCall{"spawnShip('Raider', 1, 5)"}));

TEST_F(Engine, PlanetTickErrorsArePrintedAndPlayGoesOn) {
    ASSERT_EQ("", run("count = 0\nfunction planetTick(id) count = count + id; if id == 2 then error('bad') end end"));
    std::string out = captureOutput([&] {
        callPlanetTick(L, 1);
        callPlanetTick(L, 2);
        callPlanetTick(L, 1);
    });
    EXPECT_EQ(0u, out.find("Lua event error, "));
    EXPECT_NE(std::string::npos, out.find("bad"));
    EXPECT_EQ(4, number("count"));
    EXPECT_EQ(0, lua_gettop(L));
    ASSERT_EQ("", run("planetTick = nil"));
    out = captureOutput([&] { callPlanetTick(L, 1); });
    EXPECT_EQ(0u, out.find("Lua event error, "));
    EXPECT_EQ(0, lua_gettop(L));
    captureOutput([&] { callPlanetTick(nullptr, 1); });
}

TEST_F(Engine, ErrorObjectsThatAreNotTextAreReported) {
    ASSERT_EQ("", run("function planetTick(id) error({}) end"));
    std::string out = captureOutput([&] { callPlanetTick(L, 0); });
    EXPECT_EQ("Lua event error, (error value of type table)\n", out);
}

struct AddUiAnswer {
    const char* script;
    const char* expected;
};

class InitLuaAnswers : public Engine, public testing::WithParamInterface<AddUiAnswer> {};

// initLua leaves the stack as it found it, whatever "addUI" answers.
TEST_P(InitLuaAnswers, StackStaysBalanced) {
    ASSERT_EQ("", run(GetParam().script));
    lua_pushstring(L, "below");
    std::string out = captureOutput([&] { initLua(*universe, L); });
    EXPECT_EQ(1, lua_gettop(L));
    EXPECT_STREQ("below", lua_tostring(L, 1));
    EXPECT_EQ(0u, out.find("Add:"));
    EXPECT_EQ(GetParam().expected, out.substr(out.find('\n') + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InitLuaAnswers,
    testing::Values(AddUiAnswer{"function addUI() end", ""}, AddUiAnswer{"function addUI() return 1 end", ""},
                    AddUiAnswer{"function addUI() return {}, {}, 'name' end", ""},
                    AddUiAnswer{"function addUI() error('no ui') end",
                                "Lua event error, [string \"function addUI() error('no ui') end\"]:1: no ui\n"},
                    AddUiAnswer{"addUI = nil", "Lua event error, attempt to call a nil value\n"}));

TEST_F(Engine, RegistryFollowsAReplacedPlayer) {
    universe->player = initializePlayer(*universe);
    universe->player->setLanded(2);
    captureOutput([&] { publishRegistry(*universe, L); });
    output("a = getIsPlayerLanded(); p = getPlayerLandedPlanetId()");
    EXPECT_EQ(1, number("a"));
    EXPECT_EQ(2, number("p"));
    EXPECT_EQ(0, lua_gettop(L));
}

TEST(LuaScriptFile, MissingOrBrokenScriptIsReported) {
    LuaState lua;
    TempDir dir;
    std::string out = captureOutput([&] { EXPECT_FALSE(loadScript(lua.get(), dir.path() + "ui.lua")); });
    EXPECT_EQ(0u, out.find("Error opening ui.lua\n"));
    dir.write("ui.lua", "function broken(");
    out = captureOutput([&] { EXPECT_FALSE(loadScript(lua.get(), dir.path() + "ui.lua")); });
    EXPECT_EQ(0u, out.find("Error opening ui.lua\n"));
    dir.write("ui.lua", "value = 3\nreturn 1, 2, 3");
    EXPECT_TRUE(loadScript(lua.get(), dir.path() + "ui.lua"));
    EXPECT_EQ(0, lua_gettop(lua.get()));
}

}  // namespace
