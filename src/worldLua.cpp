// Engine functions about the worlds (see worldLua.h for what each answers).
#include "worldLua.h"

#include <cmath>
#include <string>
#include <vector>

#include "engineContext.h"
#include "navCourse.h"
#include "worldState.h"

namespace engineApi {

int getFactionNames(lua_State* L) {
    Universe* universe = engineUniverse(L);
    pushNameList(L, universe ? universe->factionNames : std::vector<std::string>());
    return 1;
}

int getWorldNames(lua_State* L) {
    Universe* universe = engineUniverse(L);
    std::vector<std::string> names;
    if (universe)
        for (const WorldState& world : universe->worlds) names.push_back(world.name);
    pushNameList(L, names);
    return 1;
}

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

int getNavTarget(lua_State* L) {
    Universe* universe = engineUniverse(L);
    lua_pushnumber(L, universe ? universe->course.target() : NO_COURSE);
    return 1;
}

}  // namespace engineApi
