// Keeps a runaway script from freezing or killing the game: every call from the engine into the
// script runs protected, under a time budget and a memory cap, and its errors are reported on
// standard output and kept for the screen.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "luaTables.h"

// Processor time of the game's thread that one call from the engine into the script may take
// before it is stopped with a Lua error. Processor time rather than wall time: a busy machine
// must not stop a call that is merely waiting for its turn. Normal play stays far below it
// (the scripted play prints its slowest call).
constexpr int SCRIPT_CALL_BUDGET_MS = 250;
// Memory the script's Lua state may hold; past it the script gets Lua's memory error.
constexpr size_t SCRIPT_MEMORY_LIMIT = size_t{256} << 20;

// What is watched of one Lua state. Its allocator and its hook find it through the allocator's
// user data, so it must outlive the state (LuaState owns both).
struct ScriptGuard {
    size_t used = 0;             // bytes the state holds
    int scriptDepth = 0;         // calls from the engine into the script in progress
    int engineDepth = 0;         // engine functions in progress inside the innermost such call
    std::chrono::nanoseconds callStart{0};  // thread processor time when the outermost call began
    // The processor time cannot reach the budget before this wall time (it grows no faster).
    std::chrono::steady_clock::time_point nextBudgetCheck;
    bool stopping = false;       // the call in progress ran out of time or the game is quitting
    double slowestCallMs = 0.0;  // the longest call so far, in processor time
    unsigned errorCount = 0;     // script errors reported so far
    std::string errorLine;       // the latest of them, as one line
};

// A new Lua state with the standard libraries that allocates through and is watched by `guard`.
lua_State* openGuardedState(ScriptGuard& guard);

// Calls the function that lies below its `arguments` arguments on top of the stack, protected,
// under the time budget and the memory cap; `results` as for lua_pcall. On failure prints
// `errorPrefix` followed by the error message, keeps that for the screen, removes the message
// and answers false. The function and its arguments are taken off the stack in every case.
// Once the game has been asked to quit nothing more is called (false, nothing printed).
bool callScript(lua_State* L, int arguments, int results, const char* errorPrefix);
// Reports the error message on top of the stack as callScript does, and removes it.
void reportScriptError(lua_State* L, const char* errorPrefix);

// Registers `function` as the script global `name`. Engine functions are registered this way so
// that the memory cap never interrupts them (see scriptGuard.cpp).
void registerEngineFunction(lua_State* L, const char* name, lua_CFunction function);

// How many script errors were reported so far, and the latest as one line ("" before the first).
unsigned scriptErrorCount(lua_State* L);
std::string latestScriptError(lua_State* L);
// The longest call from the engine into the script so far, in milliseconds of processor time.
double slowestScriptCall(lua_State* L);
