// A test fixture for the engine functions and hooks: the small game of minimalContent() with a
// script of the test's own in a real Lua state, and the means to run Lua and read it back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "startLua.h"
#include "testSupport.h"
#include "worldState.h"

// Three empty entry points: enough for the engine, silent for the test.
extern const char* const QUIET_SCRIPT;

class ScriptedUniverse : public testing::Test {
protected:
    // Builds the game, runs `script` and registers the engine functions, as the game's start-up does.
    void startWith(const char* script);
    // Runs a chunk; answers the Lua error text, or "" when it ran. What it printed lands in `out`.
    std::string run(const std::string& code);
    // A global as text, or "<type>" when it is not a string or number.
    std::string text(const char* global);
    // The player's data under `key`, or "<missing>".
    std::string data(const std::string& key) const;
    // Saves into slot 1 and loads it again; what they printed lands in `out`.
    bool saveAndLoad();
    // The first planet of that name in any world (a test failure when there is none).
    Planet& planetNamed(const std::string& name);

    TempDir dir;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
    std::string out;
};
