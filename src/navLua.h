// Engine functions for finding the way: the worlds' wormholes and the course the HUD marker shows.
#pragma once

struct lua_State;

// Registers "getWormholes", "setNavTarget" and "getNavTarget" as script globals.
void registerNavFunctions(lua_State* L);
