// Engine functions about the player: the world and planet it is on, its input, the script's
// own data about it (credits, cargo, jobs), and what a script needs to recover a disabled ship.
#pragma once

struct lua_State;

// Largest player data the script may store: entries, and characters per key and per value.
// Everything stored goes into every save, so a runaway script must not bloat it.
constexpr int MAX_PLAYER_DATA_ENTRIES = 512;
constexpr int MAX_PLAYER_DATA_KEY = 64;
constexpr int MAX_PLAYER_DATA_VALUE = 4096;

namespace engineApi {

// getPlayerWorld() -> number: the player's current world number.
int getPlayerWorld(lua_State* L);

// getIsPlayerLanded() -> number 0 or 1 (not a boolean).
int getIsPlayerLanded(lua_State* L);

// getPlayerLandedPlanetId() -> number: the planet the player sits on, -1 when none.
int getPlayerLandedPlanetId(lua_State* L);

// disablePlayerInput(): the player's keyboard and mouse steering stops.
int disableKeys(lua_State* L);

// enablePlayerInput(): steering works again.
int enableKeys(lua_State* L);

// getPlayerData() -> table: the player's data, every key and value as text.
int getPlayerData(lua_State* L);

// setPlayerData(table) -> true, or nil and a reason: replaces the player's data with every
// key/value pair of the table, as text. Nothing changes when any pair is refused.
int setPlayerData(lua_State* L);

// landPlayerOn(planetId) -> true, or nil and a reason: the ship stands on that planet as after
// a touch-down, in its world, with the controls on.
int landPlayerOnPlanet(lua_State* L);

// setPlayerHitpoints(value) -> number: the hull's hit points become `value`, kept between 0
// and the hull's full hit points; answers what they are now.
int setPlayerHitpoints(lua_State* L);

}  // namespace engineApi
