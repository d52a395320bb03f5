// Protected, time-boxed and memory-capped calls into the script (see scriptGuard.h).
//
// Memory cap. Lua 5.1 is built as C: an allocation the allocator refuses raises Lua's memory
// error, which longjmps to the nearest protected call and skips the destructors of every C++
// frame in between. Engine code holds std::string and containers while it pushes values (the
// engine functions, the table helpers, the UI exchange), so a refusal must never reach it. The
// allocator therefore refuses only while the script's own code runs:
// - scriptDepth counts the calls that callScript has in progress; outside them (start-up, the
//   engine's own work between calls) nothing is refused;
// - every engine function is registered through a trampoline that raises engineDepth while it
//   runs, and nothing is refused while engineDepth is above 0;
// - an engine function that raises a Lua error (a bad argument) never lowers engineDepth, so
//   every place that catches errors puts it back: callScript itself, and the script's pcall,
//   xpcall (before its handler runs) and coroutine.resume, which are replaced by versions that
//   do so.
// A refusal thus only ever unwinds Lua itself and its C libraries.
//
// Finalizers would break this: a __gc function runs inside the collector, at whatever
// allocation triggers it (engine code included), with hooks switched off. The script's only way
// to make one, the base library's newproxy, is removed.
//
// Watchdog. A count hook, installed on the state once (coroutines inherit it) and again at the
// start of every call, looks at the clock every HOOK_INTERVAL instructions; debug.sethook,
// which would replace or remove it, is refused. Reading the thread's processor time costs a
// system call, so the hook reads the cheap wall clock and asks for the processor time only
// once the wall clock says the budget could be used up. Past the budget, or once the game is
// asked to quit, it raises an error and from then on fails every instruction until the call
// returns, so a pcall inside the loop cannot keep the script going. Only C code that runs no
// Lua instruction escapes it (a pattern match that backtracks for ever); the quit signal's
// fallback still ends such a game.
#include "scriptGuard.h"

#include <time.h>

#include <cstdlib>
#include <iostream>

#include "quitSignals.h"

namespace {

// Instructions between two looks at the clock: a few microseconds of script.
const int HOOK_INTERVAL = 1000;
const std::chrono::milliseconds BUDGET(SCRIPT_CALL_BUDGET_MS);

// Processor time of the calling thread.
std::chrono::nanoseconds threadTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Whether the call in progress has used up its budget.
bool overBudget(ScriptGuard& guard) {
    const auto now = std::chrono::steady_clock::now();
    if (now < guard.nextBudgetCheck) return false;
    const std::chrono::nanoseconds used = threadTime() - guard.callStart;
    if (used >= BUDGET) return true;
    guard.nextBudgetCheck = now + (BUDGET - used);
    return false;
}

void* guardedAlloc(void* ud, void* block, size_t oldSize, size_t newSize) {
    ScriptGuard* guard = static_cast<ScriptGuard*>(ud);
    const size_t oldBytes = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        guard->used -= oldBytes;
        return nullptr;
    }
    // Lua relies on shrinking never failing; only growth is refused, and only in script code.
    const bool scriptRunning = guard->scriptDepth > 0 && guard->engineDepth == 0;
    if (scriptRunning && newSize > oldBytes && guard->used - oldBytes + newSize > SCRIPT_MEMORY_LIMIT)
        return nullptr;
    void* moved = std::realloc(block, newSize);
    if (moved) guard->used = guard->used - oldBytes + newSize;
    return moved;
}

// The guard of a state, or null for a state that is not watched (the fuzz targets replace the
// allocator with their own).
ScriptGuard* guardOf(lua_State* L) {
    void* ud = nullptr;
    if (!L || lua_getallocf(L, &ud) != guardedAlloc) return nullptr;
    return static_cast<ScriptGuard*>(ud);
}

void watchdogHook(lua_State* L, lua_Debug*) {
    ScriptGuard* guard = guardOf(L);
    if (!guard || guard->scriptDepth == 0) return;
    const bool quitting = quitSignalled();
    if (!guard->stopping && !quitting && !overBudget(*guard)) {
        // A coroutine that was stopped in an earlier call goes back to the usual pace.
        if (lua_gethookcount(L) != HOOK_INTERVAL) lua_sethook(L, watchdogHook, LUA_MASKCOUNT, HOOK_INTERVAL);
        return;
    }
    guard->stopping = true;
    lua_sethook(L, watchdogHook, LUA_MASKCOUNT, 1);
    // No C++ object lives in this function: the error below longjmps out of it.
    lua_Debug here;
    if (lua_getstack(L, 0, &here) && lua_getinfo(L, "Sl", &here) && here.currentline > 0)
        lua_pushfstring(L, "%s:%d: ", here.short_src, here.currentline);
    else
        lua_pushliteral(L, "");
    if (quitting)
        lua_pushliteral(L, "script call stopped: the game is quitting");
    else
        lua_pushfstring(L, "script call stopped: it ran longer than %d ms", SCRIPT_CALL_BUDGET_MS);
    lua_concat(L, 2);
    lua_error(L);
}

// Calls the engine function kept as upvalue 1 with the memory cap lifted.
int engineTrampoline(lua_State* L) {
    lua_CFunction function = lua_tocfunction(L, lua_upvalueindex(1));
    if (!function) return luaL_error(L, "engine function missing");
    ScriptGuard* guard = guardOf(L);
    if (guard) ++guard->engineDepth;
    const int results = function(L);
    if (guard) --guard->engineDepth;
    return results;
}

// The script's pcall, xpcall and coroutine.resume behave as the standard ones and afterwards put
// back the engine depth they found: an engine function whose error they caught is over.

int guardedPcall(lua_State* L) {
    luaL_checkany(L, 1);
    ScriptGuard* guard = guardOf(L);
    const int depth = guard ? guard->engineDepth : 0;
    const int status = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
    if (guard) guard->engineDepth = depth;
    lua_pushboolean(L, status == 0);
    lua_insert(L, 1);
    return lua_gettop(L);
}

// xpcall's message handler runs before the error unwinds: the depth is put back first.
// Upvalues: the script's handler, the depth.
int guardedMessageHandler(lua_State* L) {
    if (ScriptGuard* guard = guardOf(L)) {
        guard->engineDepth = static_cast<int>(lua_tointeger(L, lua_upvalueindex(2)));
        // An error of the watchdog is raised from inside the hook, where Lua has switched hooks
        // off: a handler of the script's would run unwatched, so it is skipped.
        if (guard->stopping) return 1;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

int guardedXpcall(lua_State* L) {
    luaL_checkany(L, 2);
    lua_settop(L, 2);
    ScriptGuard* guard = guardOf(L);
    const int depth = guard ? guard->engineDepth : 0;
    // The few bytes of the wrapper are the engine's: xpcall works as long as the standard one.
    if (guard) ++guard->engineDepth;
    lua_pushinteger(L, depth);
    lua_pushcclosure(L, guardedMessageHandler, 2);
    if (guard) guard->engineDepth = depth;
    lua_insert(L, 1);
    const int status = lua_pcall(L, 0, LUA_MULTRET, 1);
    if (guard) guard->engineDepth = depth;
    lua_pushboolean(L, status == 0);
    lua_replace(L, 1);
    return lua_gettop(L);
}

// Upvalue: the standard coroutine.resume.
int guardedResume(lua_State* L) {
    luaL_argcheck(L, lua_tothread(L, 1) != nullptr, 1, "coroutine expected");
    ScriptGuard* guard = guardOf(L);
    const int depth = guard ? guard->engineDepth : 0;
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    if (guard) guard->engineDepth = depth;
    return lua_gettop(L);
}

// After a memory error the script's garbage goes at once, so the calls that follow are not
// refused for it. Lua halves its concatenation buffer once per collection: collect until
// nothing more comes back.
void reclaim(lua_State* L, const ScriptGuard& guard) {
    for (int round = 0; round < 64; ++round) {
        const size_t before = guard.used;
        lua_gc(L, LUA_GCCOLLECT, 0);
        if (guard.used >= before) break;
    }
}

int refusedSethook(lua_State* L) {
    return luaL_error(L, "debug.sethook is not available: the game watches the script through the hook");
}

// The error as one line for the screen; "Error opening ui.lua" puts the message on a line of
// its own on standard output.
std::string oneLine(const std::string& prefix, const std::string& message) {
    std::string line = prefix;
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        line += ": ";
    }
    line += message;
    for (char& c : line)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return line;
}

}  // namespace

lua_State* openGuardedState(ScriptGuard& guard) {
    lua_State* L = lua_newstate(guardedAlloc, &guard);
    if (!L) return nullptr;
    luaL_openlibs(L);
    lua_pushnil(L);
    lua_setglobal(L, "newproxy");
    lua_register(L, "pcall", guardedPcall);
    lua_register(L, "xpcall", guardedXpcall);
    lua_getglobal(L, "coroutine");
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "resume");
        lua_pushcclosure(L, guardedResume, 1);
        lua_setfield(L, -2, "resume");
    }
    lua_pop(L, 1);
    lua_getglobal(L, "debug");
    if (lua_istable(L, -1)) {
        lua_pushcfunction(L, refusedSethook);
        lua_setfield(L, -2, "sethook");
    }
    lua_pop(L, 1);
    lua_sethook(L, watchdogHook, LUA_MASKCOUNT, HOOK_INTERVAL);
    return L;
}

bool callScript(lua_State* L, int arguments, int results, const char* errorPrefix) {
    if (quitSignalled()) {
        lua_pop(L, arguments + 1);
        return false;
    }
    ScriptGuard* guard = guardOf(L);
    if (!guard) {
        if (lua_pcall(L, arguments, results, 0) == 0) return true;
        reportScriptError(L, errorPrefix);
        return false;
    }
    // A call made from inside an engine function shares the budget of the call around it.
    const bool outermost = guard->scriptDepth == 0;
    if (outermost) {
        guard->callStart = threadTime();
        guard->nextBudgetCheck = std::chrono::steady_clock::now() + BUDGET;
        guard->stopping = false;
        // Again, in case the script took the hook away with debug.sethook.
        lua_sethook(L, watchdogHook, LUA_MASKCOUNT, HOOK_INTERVAL);
    }
    const int outerEngineDepth = guard->engineDepth;
    guard->engineDepth = 0;
    ++guard->scriptDepth;
    const int status = lua_pcall(L, arguments, results, 0);
    --guard->scriptDepth;
    guard->engineDepth = outerEngineDepth;
    if (outermost) {
        guard->stopping = false;
        lua_sethook(L, watchdogHook, LUA_MASKCOUNT, HOOK_INTERVAL);
        const double ms = std::chrono::duration<double, std::milli>(threadTime() - guard->callStart).count();
        if (ms > guard->slowestCallMs) guard->slowestCallMs = ms;
    }
    if (status == 0) return true;
    if (status == LUA_ERRMEM && outermost) reclaim(L, *guard);
    reportScriptError(L, errorPrefix);
    return false;
}

void reportScriptError(lua_State* L, const char* errorPrefix) {
    const std::string message = luaErrorText(L, -1);
    lua_pop(L, 1);
    std::cout << errorPrefix << message << std::endl;
    if (ScriptGuard* guard = guardOf(L)) {
        guard->errorLine = oneLine(errorPrefix, message);
        ++guard->errorCount;
    }
}

void registerEngineFunction(lua_State* L, const char* name, lua_CFunction function) {
    lua_pushcfunction(L, function);
    lua_pushcclosure(L, engineTrampoline, 1);
    lua_setglobal(L, name);
}

unsigned scriptErrorCount(lua_State* L) {
    const ScriptGuard* guard = guardOf(L);
    return guard ? guard->errorCount : 0;
}

std::string latestScriptError(lua_State* L) {
    const ScriptGuard* guard = guardOf(L);
    return guard ? guard->errorLine : std::string();
}

double slowestScriptCall(lua_State* L) {
    const ScriptGuard* guard = guardOf(L);
    return guard ? guard->slowestCallMs : 0.0;
}
