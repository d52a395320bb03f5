// The script reload: a shallow copy of the globals is kept while the new top level runs, and
// written back if it fails, so a half-run script cannot leave some functions new and some old.
#include "scriptReload.h"

#include <iostream>

#include "luaTables.h"
#include "scriptGuard.h"
#include "startLua.h"

namespace {
// The registry key of the kept copy: the address of this byte.
const char SNAPSHOT_KEY = 0;

// These run under lua_cpcall: a memory error while copying tables must not escape into the game.
// No C++ object lives in them.
int snapshotGlobals(lua_State* L) {
    lua_pushlightuserdata(L, const_cast<char*>(&SNAPSHOT_KEY));
    lua_newtable(L);
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
        lua_pushvalue(L, -2);
        lua_insert(L, -2);
        lua_rawset(L, -4);
    }
    lua_rawset(L, LUA_REGISTRYINDEX);
    return 0;
}

int restoreGlobals(lua_State* L) {
    lua_pushlightuserdata(L, const_cast<char*>(&SNAPSHOT_KEY));
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (!lua_istable(L, -1)) return 0;
    const int snapshot = lua_gettop(L);
    // Every global now present takes its old value, or goes if it is new (Lua allows assigning
    // existing fields during a traversal).
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
        lua_pop(L, 1);
        lua_pushvalue(L, -1);
        lua_pushvalue(L, -1);
        lua_rawget(L, snapshot);
        lua_rawset(L, LUA_GLOBALSINDEX);
    }
    // And every old one is back, including those the failed script removed.
    lua_pushnil(L);
    while (lua_next(L, snapshot) != 0) {
        lua_pushvalue(L, -2);
        lua_insert(L, -2);
        lua_rawset(L, LUA_GLOBALSINDEX);
    }
    lua_settop(L, snapshot - 1);
    return 0;
}

int dropSnapshot(lua_State* L) {
    lua_pushlightuserdata(L, const_cast<char*>(&SNAPSHOT_KEY));
    lua_pushnil(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
    return 0;
}

std::string fileName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

bool reloadScript(lua_State* L, const std::string& path, std::string& message) {
    const std::string name = fileName(path);
    if (!L) {
        message = "Error, " + name + " not reloaded: there is no script state";
        return false;
    }
    if (lua_cpcall(L, snapshotGlobals, nullptr) != 0) {
        lua_pop(L, 1);
        message = "Error, " + name + " not reloaded: not enough memory to keep the running one";
        return false;
    }
    const unsigned errorsBefore = scriptErrorCount(L);
    const bool ran = loadScript(L, path);
    if (!ran) {
        if (lua_cpcall(L, restoreGlobals, nullptr) != 0) lua_pop(L, 1);
        std::string reason = scriptErrorCount(L) != errorsBefore ? latestScriptError(L) : "it did not run";
        // The screen line is short: the file and line of the fault matter, not the usual prefix.
        const std::string prefix = "Error opening " + name + ": ";
        if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
        message = "Error, not reloaded (old script kept): " + reason;
    } else {
        message = "Reloaded " + name;
    }
    if (lua_cpcall(L, dropSnapshot, nullptr) != 0) lua_pop(L, 1);
    return ran;
}
