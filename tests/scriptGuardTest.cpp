// The guard around every call into the script: runaway loops, recursion and allocation are
// stopped and reported, the memory cap never interrupts an engine function, a quit signal stops
// a stuck call, and errors are kept as one line for the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>

#include "quitSignals.h"
#include "scriptGuard.h"
#include "startLua.h"
#include "testSupport.h"

namespace {

const char* const PREFIX = "Test call error, ";

// A guarded state of our own, so a test can reach its guard.
class Guarded : public testing::Test {
protected:
    void SetUp() override {
        L = openGuardedState(guard);
        ASSERT_TRUE(L);
    }
    void TearDown() override {
        if (L) lua_close(L);
    }

    // Runs `code` as one call from the engine; answers whether it succeeded and keeps what it
    // printed and how long it took. The stack must come back as it was.
    bool call(const std::string& code, int results = 0) {
        const int base = lua_gettop(L);
        EXPECT_EQ(0, luaL_loadstring(L, code.c_str())) << code;
        bool ok = false;
        const auto start = std::chrono::steady_clock::now();
        printed = captureOutput([&] { ok = callScript(L, 0, results, PREFIX); });
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(base + (ok ? results : 0), lua_gettop(L)) << code;
        return ok;
    }

    ScriptGuard guard;
    lua_State* L = nullptr;
    std::string printed;
    double seconds = 0.0;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Scripts that never end by themselves, some trying to outlast the watchdog.
class RunawayLoop : public Guarded, public testing::WithParamInterface<const char*> {};

TEST_P(RunawayLoop, IsStoppedAndReportedAndTheStateGoesOn) {
    EXPECT_FALSE(call(GetParam()));
    EXPECT_EQ(0u, printed.find(PREFIX)) << printed;
    EXPECT_TRUE(contains(printed, "script call stopped: it ran longer than 250 ms\n")) << printed;
    EXPECT_EQ(1u, scriptErrorCount(L));
    // Stopped at the budget, not long after it (a generous bound: only a hang fails it).
    EXPECT_LT(seconds, 20.0 * SCRIPT_CALL_BUDGET_MS / 1000.0);
    EXPECT_GE(slowestScriptCall(L), SCRIPT_CALL_BUDGET_MS);
    // The next call runs normally, coroutines left over from the stopped one included.
    EXPECT_TRUE(call("done = 0 for i = 1, 100000 do done = done + 1 end")) << printed;
    EXPECT_TRUE(call("if leftover then coroutine.resume(leftover) end")) << printed;
    lua_getglobal(L, "done");
    EXPECT_EQ(100000, lua_tonumber(L, -1));
    lua_pop(L, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, RunawayLoop,
    testing::Values("while true do end",
                    // A proper tail call: an endless loop rather than a stack overflow.
                    "local function spin(...) return spin(...) end return spin(1)",
                    "local t = {} for i = 1, math.huge do t[i % 10] = i end",
                    "while true do pcall(function() while true do end end) end",
                    "while true do pcall(pcall, pcall, function() while true do end end) end",
                    "while true do xpcall(function() while true do end end, function() while true do end end) end",
                    "while true do coroutine.resume(coroutine.create(function() while true do end end)) end",
                    "leftover = coroutine.create(function() while true do coroutine.yield() end end)\n"
                    "while true do coroutine.resume(leftover) end",
                    "while true do pcall(coroutine.wrap(function() while true do end end)) end",
                    "while true do pcall(table.sort, {3, 2, 1}, function(a, b) while true do end end) end",
                    "while true do pcall(string.gsub, 'aaaa', 'a', function() while true do end end) end",
                    "pcall(debug.sethook) while true do end",
                    "local t = setmetatable({}, {__index = function(t, k) while true do end end}) return t.x"));

TEST_F(Guarded, EndlessRecursionIsAnError) {
    EXPECT_FALSE(call("local function deeper(n) return 1 + deeper(n + 1) end deeper(1)"));
    EXPECT_TRUE(contains(printed, "stack overflow")) << printed;
    EXPECT_FALSE(call("local t = setmetatable({}, {__index = function(t, k) return t[k] end}) return t.x"));
    EXPECT_TRUE(contains(printed, "stack overflow")) << printed;
    EXPECT_FALSE(call("local function again(s) return (string.gsub(s, '.', again)) end again('ab')"));
    EXPECT_TRUE(contains(printed, "stack overflow")) << printed;
    EXPECT_EQ(3u, scriptErrorCount(L));
    EXPECT_TRUE(call("x = 1"));
}

// Scripts that allocate without end run into the cap, and the memory comes back at once. Paging
// in 256 MB is slow on some machines, so most cases start with the state counted as nearly
// full (`headStart` bytes more than it holds).
struct Allocation {
    const char* code;
    size_t headStart;
};
class RunawayAllocation : public Guarded, public testing::WithParamInterface<Allocation> {};

TEST_P(RunawayAllocation, GetsTheMemoryErrorAndTheMemoryComesBack) {
    const size_t before = guard.used;
    guard.used += GetParam().headStart;
    EXPECT_FALSE(call(GetParam().code));
    guard.used -= GetParam().headStart;
    EXPECT_EQ(std::string(PREFIX) + "not enough memory\n", printed);
    EXPECT_LT(guard.used, before + (size_t{1} << 20));
    EXPECT_TRUE(call("local t = {} for i = 1, 1000 do t[i] = string.rep('x', 1000) end"));
}

const size_t NEARLY_FULL = SCRIPT_MEMORY_LIMIT - (size_t{16} << 20);

INSTANTIATE_TEST_SUITE_P(
    Scripts, RunawayAllocation,
    testing::Values(Allocation{"local s = 'x' while true do s = s .. s end", 0},
                    Allocation{"local t, s = {}, string.rep('x', 2^20) while true do t[#t + 1] = s .. #t end",
                               NEARLY_FULL},
                    Allocation{"local t = {string.rep('x', 2^20)} while true do t[#t + 1] = table.concat(t) end",
                               NEARLY_FULL},
                    Allocation{"local t = {} while true do t[#t + 1] = {} end", NEARLY_FULL},
                    Allocation{"local s = string.rep('x', 2^30)", NEARLY_FULL}));

TEST_F(Guarded, MemoryKeptFromCallToCallIsCappedToo) {
    guard.used += NEARLY_FULL;
    int refused = 0;
    for (int i = 0; i < 8; ++i)
        if (!call("hoard = hoard or {} hoard[#hoard + 1] = string.rep('x', 2^22) .. #hoard")) ++refused;
    guard.used -= NEARLY_FULL;
    EXPECT_GE(refused, 4) << printed;
    EXPECT_EQ(std::string(PREFIX) + "not enough memory\n", printed);
    EXPECT_LE(guard.used, size_t{17} << 20);
}

// Test engine functions. The guard is the allocator's user data of the state.
ScriptGuard& guardOfState(lua_State* L) {
    void* ud = nullptr;
    lua_getallocf(L, &ud);
    return *static_cast<ScriptGuard*>(ud);
}
// "fillUp"() / "release"(): the state counts as full (a pretended 256 MB more) / as it was.
int fillUp(lua_State* L) {
    guardOfState(L).used += SCRIPT_MEMORY_LIMIT;
    return 0;
}
int release(lua_State* L) {
    guardOfState(L).used -= SCRIPT_MEMORY_LIMIT;
    return 0;
}
// "engineString"() -> a 1 MB string pushed while a C++ string lives, as engine functions do.
int engineString(lua_State* L) {
    std::string text(size_t{1} << 20, 'e');
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}
// "engineCheck"(number): raises Lua's argument error for anything else.
int engineCheck(lua_State* L) {
    luaL_checknumber(L, 1);
    return 0;
}
// "askToQuit"(): SIGTERM, as if sent from outside while the script runs.
int askToQuit(lua_State*) {
    std::raise(SIGTERM);
    return 0;
}

class EngineFunctions : public Guarded {
protected:
    void SetUp() override {
        Guarded::SetUp();
        registerEngineFunction(L, "fillUp", fillUp);
        registerEngineFunction(L, "release", release);
        registerEngineFunction(L, "engineString", engineString);
        registerEngineFunction(L, "engineCheck", engineCheck);
        registerEngineFunction(L, "askToQuit", askToQuit);
    }
};

TEST_F(EngineFunctions, AreNeverRefusedMemoryWhileTheScriptIsAtItsCap) {
    ASSERT_TRUE(call("local s\n"
                     "fillUp()\n"
                     "local refused = not pcall(string.rep, 'z', 100000)\n"
                     "s = engineString()\n"
                     "release()\n"
                     "return refused, #s",
                     2));
    EXPECT_TRUE(lua_toboolean(L, -2)) << "the script itself is refused";
    EXPECT_EQ(1 << 20, lua_tonumber(L, -1)) << "the engine function is not";
    lua_pop(L, 2);
    // Argument checks still raise their errors with the function's name and the caller's line.
    EXPECT_FALSE(call("engineCheck('x')"));
    EXPECT_TRUE(contains(printed, "1:")) << printed;
    EXPECT_TRUE(contains(printed, "bad argument #1 to 'engineCheck'")) << printed;
}

// An engine function's error, caught inside the script, must not leave the cap lifted.
class CaughtEngineError : public EngineFunctions, public testing::WithParamInterface<const char*> {};

TEST_P(CaughtEngineError, LeavesTheCapInForce) {
    // Everything the catch needs is made before the state counts as full.
    ASSERT_TRUE(call(std::string("local co = coroutine.create(function(x) engineCheck(x) end)\n"
                                 "local f = function() engineCheck('x') end\n"
                                 "local handler = function(m) return string.rep('h', 100000) end\n"
                                 "local wrapped = coroutine.wrap(f)\n"
                                 "local ok, message\n"
                                 "fillUp()\n") +
                         GetParam() +
                         "\nlocal refused = not pcall(string.rep, 'z', 100000)\n"
                         "release()\n"
                         "return refused, message == 'not enough memory' or message == nil\n",
                     2))
        << printed;
    EXPECT_TRUE(lua_toboolean(L, -2)) << "allocation after the catch was allowed";
    EXPECT_TRUE(lua_toboolean(L, -1)) << "the message handler was allowed to allocate";
    lua_pop(L, 2);
}

INSTANTIATE_TEST_SUITE_P(Catchers, CaughtEngineError,
                         testing::Values("pcall(engineCheck, 'x')", "ok, message = xpcall(f, handler)",
                                         "coroutine.resume(co, 'x')", "pcall(wrapped)"));

TEST_F(EngineFunctions, AQuitSignalStopsAStuckCallAndNothingMoreIsCalled) {
    QuitSignals signals(0);
    EXPECT_FALSE(call("askToQuit() while true do end"));
    EXPECT_TRUE(contains(printed, "script call stopped: the game is quitting")) << printed;
    EXPECT_LT(slowestScriptCall(L), SCRIPT_CALL_BUDGET_MS) << "stopped by the signal, not the budget";
    EXPECT_TRUE(quitSignalled());
    EXPECT_FALSE(call("ran = true"));
    EXPECT_EQ("", printed);
    lua_getglobal(L, "ran");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

TEST(QuitSignal, IsOnlyHeardWhileInstalled) {
    EXPECT_FALSE(quitSignalled());
    {
        QuitSignals signals(0);
        std::raise(SIGINT);
        EXPECT_TRUE(quitSignalled());
    }
    EXPECT_FALSE(quitSignalled());
}

TEST_F(Guarded, ErrorsAreKeptAsOneLineForTheScreen) {
    EXPECT_EQ("", latestScriptError(L));
    EXPECT_FALSE(call("error('first')"));
    EXPECT_FALSE(call("error('two\\nlines')"));
    EXPECT_EQ(2u, scriptErrorCount(L));
    EXPECT_EQ(std::string(PREFIX) + "[string \"error('two\\nlines')\"]:1: two lines", latestScriptError(L));
    EXPECT_FALSE(call("error({})"));
    EXPECT_EQ(std::string(PREFIX) + "(error value of type table)", latestScriptError(L));
}

TEST(ScriptFile, ErrorsOfTheTopLevelAreReportedAsBeforeAndKeptForTheScreen) {
    LuaState lua;
    TempDir dir;
    dir.write("ui.lua", "function addUI() end\nwhile true do end\n");
    std::string out = captureOutput([&] { EXPECT_FALSE(loadScript(lua.get(), dir.path() + "ui.lua")); });
    EXPECT_EQ(0u, out.find("Error opening ui.lua\n")) << out;
    EXPECT_TRUE(contains(out, "ui.lua:2: script call stopped: it ran longer than 250 ms\n")) << out;
    EXPECT_EQ(0u, latestScriptError(lua.get()).find("Error opening ui.lua: ")) << latestScriptError(lua.get());
    // What the top level defined before it was stopped stays defined.
    lua_getglobal(lua.get(), "addUI");
    EXPECT_TRUE(lua_isfunction(lua.get(), -1));
    lua_pop(lua.get(), 1);

    dir.write("ui.lua", "function broken(");
    captureOutput([&] { loadScript(lua.get(), dir.path() + "ui.lua"); });
    EXPECT_EQ(2u, scriptErrorCount(lua.get()));
    EXPECT_TRUE(contains(latestScriptError(lua.get()), "expected")) << latestScriptError(lua.get());
}

}  // namespace
