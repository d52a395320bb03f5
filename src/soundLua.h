// The engine function that lets the script play a sound effect (a sale, a job done).
#pragma once

struct lua_State;

// Registers "playSound" as a script global.
void registerSoundFunctions(lua_State* L);
