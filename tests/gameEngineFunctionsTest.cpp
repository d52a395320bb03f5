// The engine functions beyond the original fifteen, driven by real Lua code: the player's own
// data, fitting equipment, the ship report and the name lists; with the bad arguments a modder
// will pass sooner or later.
#include <gtest/gtest.h>

#include "startLua.h"
#include "scriptedUniverse.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

class GameFunctions : public ScriptedUniverse {
protected:
    void SetUp() override { startWith(QUIET_SCRIPT); }
};

}  // namespace

TEST_F(GameFunctions, PlayerDataStartsFromTheContentAndIsReplacedAsText) {
    ASSERT_EQ("", run("d = getPlayerData(); credits = d.credits; kind = type(d.credits)"));
    EXPECT_EQ("500", text("credits"));
    EXPECT_EQ("string", text("kind"));

    ASSERT_EQ("", run("ok = tostring(setPlayerData({credits = 1234567, cargo_Ore = '3', [7] = true, "
                      "note = 'a \"quoted\" <b>'}))"));
    EXPECT_EQ("true", text("ok"));
    // Every value becomes text; numbers through the engine's formatter.
    EXPECT_EQ("1.23457e+06", data("credits"));
    EXPECT_EQ("3", data("cargo_Ore"));
    EXPECT_EQ("1", data("7"));
    EXPECT_EQ("a \"quoted\" <b>", data("note"));
    EXPECT_EQ(4u, universe->player->getExtraData().size());

    // It survives a save and a load, awkward characters and all.
    ASSERT_TRUE(saveAndLoad());
    EXPECT_EQ("a \"quoted\" <b>", data("note"));
    EXPECT_EQ("3", data("cargo_Ore"));
    // An empty table empties it.
    ASSERT_EQ("", run("setPlayerData({})"));
    EXPECT_TRUE(universe->player->getExtraData().empty());
}

TEST_F(GameFunctions, BadPlayerDataIsRefusedAndChangesNothing) {
    ASSERT_EQ("", run("setPlayerData({credits = '10'})"));
    // Wrong argument types are Lua errors at the call, naming the argument.
    EXPECT_NE(run("setPlayerData('credits')").find("table expected"), std::string::npos);
    EXPECT_NE(run("setPlayerData()").find("table expected"), std::string::npos);
    // Values that cannot be saved are refused with a reason, and nothing changes.
    struct Case {
        const char* code;
        const char* reason;
    };
    for (const Case& c : {Case{"{credits = 1, inner = {}}", "a value of type table"},
                          Case{"{credits = 1, [{}] = 2}", "a key of type table"},
                          Case{"{['two words'] = 1}", "cannot be saved"},
                          Case{"{['a=b'] = 1}", "cannot be saved"},
                          Case{"{[string.rep('k', 65)] = 1}", "longer than 64"},
                          Case{"{big = string.rep('v', 5000)}", "longer than 4096"},
                          Case{"(function() local t = {} for i = 1, 600 do t['k' .. i] = i end return t end)()",
                               "more than 512"}}) {
        ASSERT_EQ("", run(std::string("ok, why = setPlayerData(") + c.code + ")")) << c.code;
        EXPECT_EQ("<nil>", text("ok")) << c.code;
        EXPECT_NE(text("why").find(c.reason), std::string::npos) << c.code << ": " << text("why");
        EXPECT_EQ(out.rfind("Error, setPlayerData: ", 0), 0u) << out;
        ASSERT_EQ(1u, universe->player->getExtraData().size()) << c.code;
        EXPECT_EQ("10", data("credits"));
    }
}

TEST_F(GameFunctions, OlderSavesWithoutPlayerDataLoadWithNone) {
    ASSERT_TRUE(saveAndLoad());
    std::string player = dir.read("saves/1/PlayerDataSAV.xml");
    size_t start = player.find("<extraData");
    ASSERT_NE(start, std::string::npos);
    player.erase(start, player.find("/>", start) + 2 - start);
    dir.write("saves/1/PlayerDataSAV.xml", player);
    captureOutput([&] { ASSERT_TRUE(universe->loadGame("1", L)); });
    EXPECT_TRUE(universe->player->getExtraData().empty());
    ASSERT_EQ("", run("n = 0 for k in pairs(getPlayerData()) do n = n + 1 end"));
    EXPECT_EQ("0", text("n"));
}

TEST_F(GameFunctions, EquipmentIsFittedByNameAndSurvivesASave) {
    Player& before = *universe->player;
    before.takeDamage(300.0f);
    ASSERT_EQ("", run("k1, n1 = installEquipment('Fast Engine')"));
    EXPECT_EQ("engine", text("k1"));
    EXPECT_EQ("Fast Engine", text("n1"));
    ASSERT_EQ("", run("k2 = installEquipment('Heavy Hull'); k3 = installEquipment('Big Grav Tool')"));
    EXPECT_EQ("hull", text("k2"));
    EXPECT_EQ("gravTool", text("k3"));
    Player& player = *universe->player;
    EXPECT_EQ("Fast Engine", player.getEngineName());
    EXPECT_EQ("Heavy Hull", player.getHullName());
    // A new hull comes with its full hit points, whatever the old one had left.
    EXPECT_FLOAT_EQ(900.0f, player.getHealth());
    EXPECT_FLOAT_EQ(50.0f, player.getSize());
    EXPECT_EQ("Big Grav Tool", player.getTool().name);
    EXPECT_FLOAT_EQ(900.0f, player.getGravCharge());

    // Weapons fill free slots up to seven, then replace the selected one.
    ASSERT_EQ(3u, player.getArmament().size());
    ASSERT_EQ("", run("k, n, slot = installEquipment('Shard')"));
    EXPECT_EQ("weapon", text("k"));
    EXPECT_EQ("4", text("slot"));
    for (int i = 0; i < 3; ++i) ASSERT_EQ("", run("installEquipment('Blast')"));
    EXPECT_EQ(7u, player.getArmament().size());
    player.setWeapon(1);
    ASSERT_EQ("", run("k, n, slot = installEquipment('Pellet')"));
    EXPECT_EQ("2", text("slot"));
    EXPECT_EQ(7u, player.getArmament().size());
    EXPECT_EQ(0u, player.getArmament()[1]);

    std::vector<unsigned> armament = player.getArmament();
    ASSERT_TRUE(saveAndLoad());
    Player& loaded = *universe->player;
    EXPECT_EQ("Fast Engine", loaded.getEngineName());
    EXPECT_EQ("Heavy Hull", loaded.getHullName());
    EXPECT_EQ("Big Grav Tool", loaded.getTool().name);
    EXPECT_FLOAT_EQ(900.0f, loaded.getHealth());
    EXPECT_FLOAT_EQ(50.0f, loaded.getSize());
    EXPECT_EQ(armament, loaded.getArmament());
}

TEST_F(GameFunctions, UnknownOrBadEquipmentChangesNothing) {
    ASSERT_EQ("", run("k, why = installEquipment('Warp Drive')"));
    EXPECT_EQ("<nil>", text("k"));
    EXPECT_EQ("installEquipment: no equipment named \"Warp Drive\"", text("why"));
    EXPECT_EQ(out, "Error, installEquipment: no equipment named \"Warp Drive\"\n");
    // Names are exact.
    ASSERT_EQ("", run("k = installEquipment('fast engine'); i = getEquipmentInfo('')"));
    EXPECT_EQ("<nil>", text("k"));
    EXPECT_EQ("<nil>", text("i"));
    EXPECT_NE(run("installEquipment({})").find("string expected"), std::string::npos);
    EXPECT_NE(run("getEquipmentInfo()").find("string expected"), std::string::npos);
    ASSERT_EQ("", run("k = installEquipment(string.rep('x', 100000))"));
    EXPECT_EQ("<nil>", text("k"));
    const Player& player = *universe->player;
    EXPECT_EQ("Basic Engine", player.getEngineName());
    EXPECT_EQ("Light Hull", player.getHullName());
    EXPECT_EQ(3u, player.getArmament().size());
}

TEST_F(GameFunctions, ReportsTheShipEquipmentAndNames) {
    universe->player->setLanded(1);
    ASSERT_EQ("", run(R"(
        s = getPlayerShip()
        ship = s.engine .. '|' .. s.hull .. '|' .. s.hitpoints .. '/' .. s.maxHitpoints .. '|' .. s.cargo .. '|' ..
               s.gravTool .. '|' .. s.charge .. '/' .. s.maxCharge .. '|' .. table.concat(s.weapons, ',') .. '|' ..
               s.activeWeapon .. '|' .. s.worldName .. '|' .. tostring(s.landed) .. '|' .. s.planet
        e = getEquipmentInfo('Fast Engine'); h = getEquipmentInfo('Heavy Hull')
        g = getEquipmentInfo('Big Grav Tool'); w = getEquipmentInfo('Cluster')
        info = e.kind .. ' ' .. string.format('%g', e.thrust) .. '|' .. h.kind .. ' ' .. h.hitpoints .. ' ' .. h.cargo .. '|' ..
               g.kind .. ' ' .. g.charge .. '|' .. w.kind .. ' ' .. w.damage .. ' ' .. tostring(w.homing)
        factions = table.concat(getFactionNames(), ',')
        worlds = table.concat(getWorldNames(), ',')
        local names = {}
        for _, p in ipairs(getPlanetList()) do names[#names + 1] = p.id .. ':' .. p.name .. '@' .. p.worldName end
        planets = table.concat(names, ',')
    )"));
    EXPECT_EQ("Basic Engine|Light Hull|500/500|10|Basic Grav Tool|400/400|Pellet,Beam,Cluster|1|Alpha|true|1",
              text("ship"));
    EXPECT_EQ("engine 0.001|hull 900 4|gravTool 900|weapon 20 false", text("info"));
    EXPECT_EQ("Player,Pirates,Traders", text("factions"));
    EXPECT_EQ("Alpha,Beta", text("worlds"));
    EXPECT_EQ("0:Terra@Alpha,1:Luna@Alpha,2:Rock@Beta", text("planets"));
}

TEST_F(GameFunctions, HintsAreLoggedOnceAndBadOnesChangeNothing) {
    ASSERT_EQ("", run("ok = tostring(showHint('Press E to open the market'))"));
    EXPECT_EQ("true", text("ok"));
    EXPECT_EQ("Hint: Press E to open the market\n", out);
    EXPECT_EQ("Press E to open the market", universe->hint.text());

    // The same text again is no news; a line break would split the line on screen and in the log.
    ASSERT_EQ("", run("showHint('Press E to open the market')"));
    EXPECT_EQ("", out);
    ASSERT_EQ("", run("showHint('two\\nlines')"));
    EXPECT_EQ("Hint: two lines\n", out);

    struct Bad {
        const char* call;
        const char* message;
    };
    const Bad bad[] = {
        {"showHint({})", "Error, showHint: a hint is text, not table\n"},
        {"showHint()", "Error, showHint: a hint is text, not no value\n"},
        {"showHint(string.rep('x', 401))", "Error, showHint: a hint of 401 characters is longer than 400\n"},
    };
    for (const Bad& b : bad) {
        ASSERT_EQ("", run(std::string("a, b = ") + b.call)) << b.call;
        EXPECT_EQ(b.message, out) << b.call;
        EXPECT_EQ("nil", std::string(text("a") == "<nil>" ? "nil" : text("a"))) << b.call;
        EXPECT_EQ("two lines", universe->hint.text()) << b.call;
    }

    ASSERT_EQ("", run("showHint('')"));
    EXPECT_EQ("", out);
    EXPECT_EQ("", universe->hint.text());
}
