// Engine functions for finding faults in a script (see diagnosticsLua.h).
#include "diagnosticsLua.h"

#include <iostream>

#include "engineContext.h"

namespace engineApi {

int testRetrieve(lua_State* L) {
    lua_pushnumber(L, getLuaFloat(L, TEST_VALUE_KEY));
    return 1;
}

int testSet(lua_State* L) {
    int index = lastArguments(L, 1, "setVal");
    float value = static_cast<float>(luaL_checknumber(L, index));
    std::cout << "Setting to" << value << std::endl;
    return 0;
}

int debugDisplay(lua_State* L) {
    int index = lastArguments(L, 1, "debugDisplay");
    int type = lua_type(L, index);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) {
        lua_pushvalue(L, index);
        std::cout << "Lua debug:" << lua_tostring(L, -1) << ":" << std::endl;
        lua_pop(L, 1);
    } else {
        std::cout << "Lua display debug called, but non-string passed.  Type: " << lua_typename(L, type)
                  << std::endl;
    }
    return 0;
}

int testPass(lua_State* L) {
    lua_newtable(L);
    pushStringOnTable(L, "name", "This is my name");
    pushFloatOnTable(L, "price", 70.0f);
    return 1;
}

}  // namespace engineApi
