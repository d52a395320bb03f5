// Engine functions for finding faults in a script, not for playing: they print, or answer fixed
// test values. Scripts may call them, so they stay registered under their first names.
#pragma once

struct lua_State;

namespace engineApi {

// getVal() -> number: the float published under "testVal" (0 while none is).
int testRetrieve(lua_State* L);

// setVal(number): prints "Setting to" and the number.
int testSet(lua_State* L);

// debugDisplay(value): prints a string or number, or the type of anything else.
int debugDisplay(lua_State* L);

// testPass() -> {name = "This is my name", price = 70}: a table of fixed values.
int testPass(lua_State* L);

}  // namespace engineApi
