// The script's "shipDestroyed" hook: who dealt the fatal damage, what is not a loss, and a hook
// that is missing, fails or runs away.
#include <gtest/gtest.h>

#include "gameMain.h"
#include "startLua.h"
#include "scriptedUniverse.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

const char* const RECORDING_SCRIPT = R"(
function addUI(...) end
function updateUI(...) end
function planetTick(id) end
losses = {}
function shipDestroyed(faction, typeName, byPlayer)
    losses[#losses + 1] = faction .. ' ' .. typeName .. ' ' .. byPlayer
    if typeName == 'Hauler' and failHauler then error('hauler hook broke') end
    if typeName == 'Hauler' and stickHauler then while true do end end
end
)";

class ShipLosses : public ScriptedUniverse {
protected:
    void SetUp() override {
        startWith(RECORDING_SCRIPT);
        if (HasFatalFailure()) return;
        universe->currentWorld().ships.clear();
    }
    // A ship far from the player and from every body.
    Ship& addShip(const char* type, unsigned faction) {
        WorldState& world = universe->currentWorld();
        world.ships.push_back(Ship({-40000.0f + 500.0f * world.ships.size(), 40000.0f}, type, faction, *universe));
        return world.ships.back();
    }
    // One frame of the ships, then the report to the script; answers what the script recorded.
    std::string frame() {
        out = captureOutput([&] {
            processShips(*universe, universe->player.get(), 16, 1000);
            reportShipLosses(universe->currentWorld(), L);
        });
        EXPECT_EQ(0, luaL_dostring(L, "recorded = table.concat(losses, '|'); losses = {}"));
        lua_getglobal(L, "recorded");
        std::string recorded = lua_tostring(L, -1);
        lua_pop(L, 1);
        return recorded;
    }
};

}  // namespace

TEST_F(ShipLosses, TheFatalBlowDecidesWhetherThePlayerMadeTheKill) {
    addShip("Drone", 1).takeDamage(1e6f, 0, *universe);       // the player's shot
    addShip("Drone", 2).takeDamage(1e6f, 1, *universe);       // another faction's shot
    addShip("Hauler", 2).takePlayerDamage(1e6f);              // the player's beam
    Ship& finished = addShip("Drone", 1);
    finished.takeDamage(10.0f, 0, *universe);                 // hit by the player first...
    finished.takeDamage(1e6f);                                // ...but a shockwave finished it
    Ship& survivor = addShip("Drone", 1);
    survivor.takeDamage(1.0f, 0, *universe);                  // hurt, not destroyed
    EXPECT_EQ("1 Drone 1|2 Drone 0|2 Hauler 1|1 Drone 0", frame());
    EXPECT_EQ(1u, universe->currentWorld().ships.size());
    // Told once: the next frame has nothing new.
    EXPECT_EQ("", frame());
}

TEST_F(ShipLosses, AShipThatRamsThePlayerOrIsClearedIsNoLoss) {
    const point p = universe->player->getPosition();
    universe->currentWorld().ships.push_back(Ship({p.x + 10.0f, p.y}, "Drone", 1, *universe));
    EXPECT_EQ("", frame());
    EXPECT_TRUE(universe->currentWorld().ships.empty());
}

TEST_F(ShipLosses, AShipThatFallsIntoAStarIsLostToNobody) {
    WorldState& world = universe->currentWorld();
    Ship& ship = addShip("Hauler", 2);
    ship.takeDamage(1.0f, 0, *universe);
    ship.setPosition(world.stars[0].getLoc());
    captureOutput([&] { processStars(world, universe->player.get(), 16); });
    EXPECT_EQ("2 Hauler 0", frame());
}

TEST_F(ShipLosses, AHookThatFailsOrRunsAwayIsReportedAndTheGameGoesOn) {
    ASSERT_EQ(0, luaL_dostring(L, "failHauler = true"));
    addShip("Hauler", 2).takeDamage(1e6f, 0, *universe);
    addShip("Drone", 1).takeDamage(1e6f, 0, *universe);
    // The failing call is reported; the loss after it is still told.
    EXPECT_EQ("2 Hauler 1|1 Drone 1", frame());
    EXPECT_NE(std::string::npos, out.find("Lua event error, ")) << out;
    EXPECT_NE(std::string::npos, out.find("hauler hook broke")) << out;

    ASSERT_EQ(0, luaL_dostring(L, "failHauler = false; stickHauler = true"));
    addShip("Hauler", 2).takeDamage(1e6f, 0, *universe);
    addShip("Drone", 1).takeDamage(1e6f, 0, *universe);
    EXPECT_EQ("2 Hauler 1|1 Drone 1", frame());
    EXPECT_NE(std::string::npos, out.find("script call stopped: it ran longer than 250 ms")) << out;
}

TEST_F(ShipLosses, AScriptWithoutTheHookIsNotTold) {
    ASSERT_EQ(0, luaL_dostring(L, "shipDestroyed = nil"));
    addShip("Drone", 1).takeDamage(1e6f, 0, *universe);
    EXPECT_EQ("", frame());
    EXPECT_EQ(std::string::npos, out.find("Error")) << out;
    EXPECT_EQ(std::string::npos, out.find("error")) << out;
    EXPECT_TRUE(universe->currentWorld().losses.empty());
}
