// A disabled ship: the "playerDisabled" hook's once-per-disablement rule, and the engine
// functions that recover the ship ("landPlayerOn", "setPlayerHitpoints") with the bad arguments
// a modder will pass sooner or later.
#include <gtest/gtest.h>

#include <cmath>

#include "disabledShip.h"
#include "startLua.h"
#include "scriptedUniverse.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

const char* const HOOK_SCRIPT =
    "function addUI(...) end\nfunction updateUI(...) end\nfunction planetTick(id) end\n"
    "calls = 0\nfunction playerDisabled() calls = calls + 1 end\n";

class DisabledShip : public ScriptedUniverse {
protected:
    void SetUp() override { startWith(HOOK_SCRIPT); }
};

struct HitpointCase {
    const char* argument;
    const char* answer;  // what the call answers, as text
    float hitpoints;     // what the ship then holds (-1: unchanged)
};

}  // namespace

TEST_F(DisabledShip, setPlayerHitpointsKeepsToTheHull) {
    const float full = static_cast<float>(universe->getHullData(universe->player->getHullName()).hitpoints);
    ASSERT_GT(full, 0.0f);
    universe->player->setHealth(123.0f);
    const HitpointCase cases[] = {
        {"300", "300", 300.0f},        {"-5", "0", 0.0f},       {"1e9", nullptr, full},
        {"'250'", "250", 250.0f},      {"0/0", "nil", -1.0f},
    };
    for (const HitpointCase& c : cases) {
        float before = universe->player->getHealth();
        ASSERT_EQ("", run(std::string("answer = tostring(setPlayerHitpoints(") + c.argument + "))")) << c.argument;
        if (c.answer) {
            EXPECT_EQ(c.answer, text("answer")) << c.argument;
        }
        EXPECT_FLOAT_EQ(universe->player->getHealth(), c.hitpoints < 0.0f ? before : c.hitpoints) << c.argument;
    }
    // Not a number at all: the argument check raises the error before anything changes.
    universe->player->setHealth(42.0f);
    for (const char* bad : {"setPlayerHitpoints()", "setPlayerHitpoints('lots')", "setPlayerHitpoints({})"})
        EXPECT_NE("", run(bad)) << bad;
    EXPECT_FLOAT_EQ(universe->player->getHealth(), 42.0f);
}

TEST_F(DisabledShip, landPlayerOnStandsTheShipOnThePlanetInItsWorld) {
    Planet& rock = planetNamed("Rock");
    ASSERT_EQ(0, universe->player->getWorld());
    universe->player->setVelocity({3.0f, -4.0f});
    ASSERT_EQ("", run("disablePlayerInput(); ok = tostring(landPlayerOn(" + std::to_string(rock.getID()) + "))"));
    EXPECT_EQ("true", text("ok"));
    Player& player = *universe->player;
    EXPECT_TRUE(player.isLanded());
    EXPECT_EQ(player.getPlanetId(), rock.getID());
    EXPECT_EQ(player.getWorld(), 1);
    EXPECT_TRUE(*player.getInputPointer());
    EXPECT_NEAR(pointDistance(player.getPosition(), rock.getLoc()), rock.getRadius() + player.getRadius(), 0.01f);
    EXPECT_FLOAT_EQ(player.getVelocity().x, rock.getVelocity().x);
    EXPECT_FLOAT_EQ(player.getVelocity().y, rock.getVelocity().y);
    // The ship stays put as the planet turns, as after a touch-down.
    captureOutput([&] { universe->worlds[1].stars[0].update(universe->worlds[1], &player, 16); });
    EXPECT_TRUE(player.isLanded());
    EXPECT_NEAR(pointDistance(player.getPosition(), rock.getLoc()), rock.getRadius() + player.getRadius(), 0.01f);

    // Ids that name no planet are refused with a reason and change nothing.
    for (const char* bad : {"-1", "99", "1.5", "0/0", "1e300"}) {
        ASSERT_EQ("", run(std::string("ok, why = landPlayerOn(") + bad + ")")) << bad;
        EXPECT_EQ("<nil>", text("ok")) << bad;
        EXPECT_NE("<nil>", text("why")) << bad;
        EXPECT_EQ(player.getPlanetId(), rock.getID()) << bad;
    }
    EXPECT_NE("", run("landPlayerOn('Rock')"));
    EXPECT_NE("", run("landPlayerOn()"));
}

TEST_F(DisabledShip, theHookIsCalledOncePerDisablement) {
    DisabledWatch watch;
    Player& player = *universe->player;
    // hit points each frame, and the hook's count after it
    const std::pair<float, int> frames[] = {{100.0f, 0}, {0.0f, 1},  {-50.0f, 1}, {-80.0f, 1},
                                            {10.0f, 1},  {-1.0f, 2}, {-1.0f, 2}};
    for (const auto& frame : frames) {
        player.setHealth(frame.first);
        captureOutput([&] { watch.afterFrame(*universe, L); });
        lua_getglobal(L, "calls");
        EXPECT_EQ(frame.second, static_cast<int>(lua_tonumber(L, -1))) << "at " << frame.first;
        lua_pop(L, 1);
    }
}

TEST_F(DisabledShip, aScriptWithoutTheHookOrWithAFaultyOneFliesOn) {
    DisabledWatch watch;
    universe->player->setHealth(-10.0f);
    ASSERT_EQ("", run("playerDisabled = nil"));
    std::string printed = captureOutput([&] { EXPECT_TRUE(watch.afterFrame(*universe, L)); });
    EXPECT_EQ(printed.find("Error"), std::string::npos) << printed;

    DisabledWatch second;
    ASSERT_EQ("", run("function playerDisabled() error('tow truck broke down') end"));
    printed = captureOutput([&] { EXPECT_TRUE(second.afterFrame(*universe, L)); });
    EXPECT_NE(printed.find("Lua event error, "), std::string::npos) << printed;
    EXPECT_NE(printed.find("tow truck broke down"), std::string::npos) << printed;
    EXPECT_EQ(lua_gettop(L), 0);
}
