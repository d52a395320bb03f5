// Fuzz target: the tables a script hands to "setPlanetData".
//
// The input is a Lua expression (normally a table literal) that becomes the table; an input
// that is no expression runs as a chunk of its own with the engine functions available. The
// table is written to several planet ids (valid and not), read back with "getPlanetData", and
// the game must then save and load again with the planet's name intact.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../tests/testSupport.h"
#include "fuzzSupport.h"
#include "worldState.h"

namespace {

const char* const SCRIPT =
    "function addUI() end\n"
    "function updateUI() end\n"
    "function planetTick() end\n";

// Calls the global engine function `name` protected with `arguments` values from the top of the
// stack, dropping its results and any error.
void callEngine(lua_State* L, const char* name, int arguments) {
    int base = lua_gettop(L) - arguments;
    lua_getglobal(L, name);
    lua_insert(L, base + 1);
    lua_pcall(L, arguments, LUA_MULTRET, 0);
    lua_settop(L, base);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    minimalContentDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TempDir& content = minimalContentDirectory();
    std::unique_ptr<Universe> universe = buildFuzzUniverse(content);
    fuzzCheck(universe != nullptr, "the test content loads");
    LimitedLua lua;
    lua_State* L = lua.get();
    fuzzCheck(luaL_dostring(L, SCRIPT) == 0, "the helper script runs");
    initLua(*universe, L);

    std::string input(reinterpret_cast<const char*>(data), size);
    std::string expression = "return " + input;
    lua.refill();
    if (luaL_loadbuffer(L, expression.data(), expression.size(), "table") != 0) {
        lua_pop(L, 1);
        // Not an expression: a chunk that calls the engine itself.
        if (luaL_loadbuffer(L, input.data(), input.size(), "chunk") == 0) lua_pcall(L, 0, 0, 0);
        lua_settop(L, 0);
    } else if (lua_pcall(L, 0, 1, 0) == 0) {
        for (double id : {0.0, 1.0, 2.0, 3.0, -1.0, 1e300, 0.0 / 0.0}) {
            lua.refill();
            lua_pushnumber(L, id);
            lua_pushvalue(L, 1);
            callEngine(L, "setPlanetData", 2);
            fuzzCheck(lua_gettop(L) == 1, "setPlanetData leaves the stack as it was");
            lua_pushnumber(L, id);
            callEngine(L, "getPlanetData", 1);
            fuzzCheck(lua_gettop(L) == 1, "getPlanetData leaves the stack as it was");
        }
        lua_settop(L, 0);
    } else {
        lua_settop(L, 0);
    }

    std::string name = universe->getPlanetData(0).name;
    fuzzCheck(universe->saveGame("planets"), "the game saves after the script wrote planets");
    fuzzCheck(universe->loadGame("planets", L), "that save loads again");
    // Text after a NUL cannot be written into XML; everything before it must come back.
    fuzzCheck(universe->getPlanetData(0).name == std::string(name.c_str()), "the planet's name survives a save");
    return 0;
}
