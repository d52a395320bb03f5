// Engine functions the game's own script uses beyond the original fifteen: the script's data
// about the player (credits, cargo), the ship and its equipment, and the names of factions,
// worlds and planets that its windows show.
#pragma once

struct lua_State;

// Largest player data the script may store: entries, and characters per key and per value.
// Everything stored goes into every save, so a runaway script must not bloat it.
constexpr int MAX_PLAYER_DATA_ENTRIES = 512;
constexpr int MAX_PLAYER_DATA_KEY = 64;
constexpr int MAX_PLAYER_DATA_VALUE = 4096;

// Registers "getPlayerData", "setPlayerData", "getPlayerShip", "installEquipment",
// "getEquipmentInfo", "getFactionNames", "getWorldNames", "getPlanetList" and "showHint" as script
// globals, and the way-finding functions of navLua.h.
void registerGameFunctions(lua_State* L);
