// What every engine function reads before it acts: the universe and the player the engine
// published in the Lua registry, and the arguments the script passed.
//
// The rules every engine function keeps:
// - Arguments are checked (luaL_check*, which may raise a Lua error and longjmp out) before any
//   C++ object with a destructor exists, and no Lua error is raised once one does.
// - The first fifteen functions (planetLua, playerLua, shipLua, diagnosticsLua) read their
//   arguments where the first scripts pass them: from the top of the stack (`lastArguments`),
//   and setPlanetData its id from slot 1. Scripts rely on that, so it stays.
// - Every function added since reads its arguments by position from 1, as Lua functions do,
//   and turns a bad argument down with `refuseCall` (nil and a reason, and an error line)
//   instead of raising.
#pragma once

#include <string>
#include <vector>

#include "luaTables.h"

class Player;
class Universe;

// The registry keys under which initLua publishes the engine's state.
extern const char* const UNIVERSE_KEY;
extern const char* const WORLD_KEY;
extern const char* const LANDED_KEY;
extern const char* const LANDED_PLANET_KEY;
extern const char* const INPUT_KEY;
extern const char* const DOCUMENT_KEY;
extern const char* const TEST_VALUE_KEY;

// The universe published to the script by initLua, or null before that.
Universe* engineUniverse(lua_State* L);

// The player, or null before the game has one.
Player* enginePlayer(lua_State* L);

// Raises a Lua error unless at least `count` arguments were passed; returns the absolute index
// of the first of the last `count` arguments.
int lastArguments(lua_State* L, int count, const char* function);

// A planet id from a checked number argument (-1 for a value that is not a number).
int planetIdArgument(lua_State* L, int index);

// A list table {names[1], names[2], ...} on top of the stack.
void pushNameList(lua_State* L, const std::vector<std::string>& names);
