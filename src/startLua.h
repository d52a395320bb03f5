// The Lua state of the game and the engine functions offered to "ui.lua".
#pragma once

#include <memory>
#include <string>

#include "engineContext.h"
#include "luaTables.h"

class Universe;
struct ScriptGuard;

// Owns the one Lua state with the standard libraries, and the guard that caps its memory and
// watches every call into it (scriptGuard.h); closes the state when destroyed.
class LuaState {
public:
    LuaState();
    ~LuaState();
    LuaState(const LuaState&) = delete;
    LuaState& operator=(const LuaState&) = delete;
    lua_State* get() const { return state; }

private:
    std::unique_ptr<ScriptGuard> guard;  // outlives the state, whose allocator refers to it
    lua_State* state;
};

// Loads and runs a script file; prints "Error opening ui.lua" style failure and returns false.
bool loadScript(lua_State* L, const std::string& path);
// Publishes the registry entries, registers the engine functions and calls "addUI" once.
void initLua(Universe& universe, lua_State* L);
// Publishes the registry entries again (after a load replaced the player and the document).
void publishRegistry(Universe& universe, lua_State* L);
// Calls the script's optional global "gameLoaded" after a load has closed every window.
void callGameLoaded(lua_State* L);
// Calls the script's optional global "shipDestroyed"(faction, typeName, byPlayer), byPlayer 1 or 0.
void callShipDestroyed(lua_State* L, unsigned faction, const std::string& typeName, bool byPlayer);
// Calls the global "planetTick" with a planet id; prints the error and goes on on failure.
void callPlanetTick(lua_State* L, int planetId);
