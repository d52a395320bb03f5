// A ship whose hull is gone: the script's "playerDisabled" hook, and the engine functions a
// script needs to recover it ("landPlayerOn", "setPlayerHitpoints").
#include "disabledShip.h"

#include <cmath>
#include <iostream>
#include <string>

#include "landing.h"
#include "luaTables.h"
#include "scriptGuard.h"
#include "startLua.h"
#include "worldState.h"

// Like the other engine functions: arguments are checked (luaL_check*, which may raise a Lua
// error) before any C++ object with a destructor exists, and no Lua error is raised after.

namespace {

// "landPlayerOn"(planetId) -> true, or nil and a reason: the ship stands on that planet as after
// a touch-down, in its world, with the controls on.
int landPlayerOnPlanet(lua_State* L) {
    const double id = luaL_checknumber(L, 1);
    Universe* universe = engineUniverse(L);
    if (!universe) return refuseCall(L, "landPlayerOn: there is no game");
    if (!(std::floor(id) == id) || id < 0 || id > 1e6)
        return refuseCall(L, "landPlayerOn: " + toString(static_cast<float>(id)) + " is not a planet id");
    std::string reason;
    if (!landPlayerOn(*universe, static_cast<int>(id), reason)) return refuseCall(L, "landPlayerOn: " + reason);
    lua_pushboolean(L, 1);
    return 1;
}

// "setPlayerHitpoints"(value) -> number: the hull's hit points become `value`, kept between 0
// and the hull's full hit points; answers what they are now.
int setPlayerHitpoints(lua_State* L) {
    const double value = luaL_checknumber(L, 1);
    Universe* universe = engineUniverse(L);
    if (!universe || !universe->player) return refuseCall(L, "setPlayerHitpoints: there is no ship");
    if (std::isnan(value)) return refuseCall(L, "setPlayerHitpoints: the hit points are not a number");
    const double full = universe->getHullData(universe->player->getHullName()).hitpoints;
    const double clamped = value < 0.0 ? 0.0 : (value > full ? full : value);
    universe->player->setHealth(static_cast<float>(clamped));
    lua_pushnumber(L, universe->player->getHealth());
    return 1;
}

}  // namespace

void registerDisabledShipFunctions(lua_State* L) {
    registerEngineFunction(L, "landPlayerOn", landPlayerOnPlanet);
    registerEngineFunction(L, "setPlayerHitpoints", setPlayerHitpoints);
}

bool DisabledWatch::afterFrame(Universe& universe, lua_State* L) {
    if (!universe.player) return false;
    if (universe.player->getHealth() > 0.0f) {
        reported = false;
        return false;
    }
    if (reported) return false;
    reported = true;
    std::cout << "The ship is disabled" << std::endl;
    if (!L) return true;
    int base = lua_gettop(L);
    lua_getglobal(L, "playerDisabled");
    // The hook is optional: without it the ship flies on as it always did.
    if (lua_isfunction(L, -1)) callScript(L, 0, 0, "Lua event error, ");
    lua_settop(L, base);
    return true;
}
