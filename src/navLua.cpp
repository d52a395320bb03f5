// Engine functions for finding the way: every wormhole with where it leads, and the course the
// HUD marker points along ("setNavTarget", "getNavTarget").
#include "navLua.h"

#include <cmath>
#include <iostream>
#include <string>

#include "luaTables.h"
#include "navCourse.h"
#include "scriptGuard.h"
#include "startLua.h"
#include "worldState.h"

// Like the other engine functions: arguments are read before any C++ object with a destructor
// exists, and no Lua error is raised after; bad arguments answer nil and a reason instead.

namespace {

// "getWormholes"() -> {{world, x, y, radius, targetWorld, targetX, targetY}, ...}: every wormhole
// of every world, world by world; worlds numbered as getPlayerWorld numbers them.
int getWormholes(lua_State* L) {
    Universe* universe = engineUniverse(L);
    lua_newtable(L);
    if (!universe) return 1;
    int index = 0;
    for (size_t w = 0; w < universe->worlds.size(); ++w)
        for (const Wormhole& wormhole : universe->worlds[w].wormholes) {
            lua_newtable(L);
            pushFloatOnTable(L, "world", static_cast<float>(w));
            pushFloatOnTable(L, "x", wormhole.getLoc().x);
            pushFloatOnTable(L, "y", wormhole.getLoc().y);
            pushFloatOnTable(L, "radius", wormhole.getRadius());
            pushFloatOnTable(L, "targetWorld", static_cast<float>(wormhole.getTargetWorld()));
            pushFloatOnTable(L, "targetX", wormhole.getTargetLoc().x);
            pushFloatOnTable(L, "targetY", wormhole.getTargetLoc().y);
            lua_rawseti(L, -2, ++index);
        }
    return 1;
}

// "setNavTarget"(planetId) -> true, or nil and a reason: the planet the HUD marker leads to;
// -1 clears the course. A refused id leaves the course as it was.
int setNavTarget(lua_State* L) {
    const int type = lua_type(L, 1);
    if (type != LUA_TNUMBER)
        return refuseCall(L, std::string("setNavTarget: a planet id is a number, not ") + lua_typename(L, type));
    const double id = lua_tonumber(L, 1);
    Universe* universe = engineUniverse(L);
    if (!universe) return refuseCall(L, "setNavTarget: the engine is not ready");
    if (id != id) return refuseCall(L, "setNavTarget: a planet id is a whole number, not NaN");
    if (id == NO_COURSE) {
        universe->course.set(NO_COURSE);
        lua_pushboolean(L, 1);
        return 1;
    }
    if (!(id >= 0.0) || id != std::floor(id) || id >= static_cast<double>(universe->planetIndex.size()))
        return refuseCall(L, "setNavTarget: there is no planet " + toString(static_cast<float>(id)) +
                             " (planets are 0 to " + std::to_string(universe->planetIndex.size()) +
                             " less one, -1 clears the course)");
    universe->course.set(static_cast<int>(id));
    lua_pushboolean(L, 1);
    return 1;
}

// "getNavTarget"() -> the planet id of the course, or -1 when none is set.
int getNavTarget(lua_State* L) {
    Universe* universe = engineUniverse(L);
    lua_pushnumber(L, universe ? universe->course.target() : NO_COURSE);
    return 1;
}

const luaL_Reg NAV_FUNCTIONS[] = {
    {"getWormholes", getWormholes},
    {"setNavTarget", setNavTarget},
    {"getNavTarget", getNavTarget},
};

}  // namespace

void registerNavFunctions(lua_State* L) {
    for (const luaL_Reg& function : NAV_FUNCTIONS) registerEngineFunction(L, function.name, function.func);
}
