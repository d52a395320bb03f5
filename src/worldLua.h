// Engine functions about the worlds: the names of factions and worlds, the wormholes between
// the worlds, and the course the HUD marker points along.
#pragma once

struct lua_State;

namespace engineApi {

// getFactionNames() -> {name of faction 0, name of faction 1, ...}: faction n at index n + 1.
int getFactionNames(lua_State* L);

// getWorldNames() -> {name of world 0, ...}: world n at index n + 1.
int getWorldNames(lua_State* L);

// getWormholes() -> {{world, x, y, radius, targetWorld, targetX, targetY}, ...}: every wormhole
// of every world, world by world; worlds numbered as getPlayerWorld numbers them.
int getWormholes(lua_State* L);

// setNavTarget(planetId) -> true, or nil and a reason: the planet the HUD marker leads to;
// -1 clears the course. A refused id leaves the course as it was.
int setNavTarget(lua_State* L);

// getNavTarget() -> the planet id of the course, or -1 when none is set.
int getNavTarget(lua_State* L);

}  // namespace engineApi
