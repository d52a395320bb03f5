#include "engineContext.h"

#include "clampedNumber.h"
#include "worldState.h"

const char* const UNIVERSE_KEY = "thisUniverse";
const char* const WORLD_KEY = "iPlayerWorld";
const char* const LANDED_KEY = "bIsPlayerLanded";
const char* const LANDED_PLANET_KEY = "bPlayerLandedPlanetId";
const char* const INPUT_KEY = "bPlayerInputMode";
const char* const DOCUMENT_KEY = "XMLUniverse";
const char* const TEST_VALUE_KEY = "testVal";

Universe* engineUniverse(lua_State* L) { return static_cast<Universe*>(registryGet(L, UNIVERSE_KEY)); }

Player* enginePlayer(lua_State* L) {
    Universe* universe = engineUniverse(L);
    return universe ? universe->player.get() : nullptr;
}

int lastArguments(lua_State* L, int count, const char* function) {
    int top = lua_gettop(L);
    if (top < count) luaL_error(L, "%s expects %d argument(s), got %d", function, count, top);
    return top - count + 1;
}

int planetIdArgument(lua_State* L, int index) { return clampedInt(luaL_checknumber(L, index), -1); }

void pushNameList(lua_State* L, const std::vector<std::string>& names) {
    lua_createtable(L, static_cast<int>(names.size()), 0);
    for (size_t i = 0; i < names.size(); ++i) {
        lua_pushlstring(L, names[i].data(), names[i].size());
        lua_rawseti(L, -2, static_cast<int>(i + 1));
    }
}
