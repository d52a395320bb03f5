// The engine-function fixture shared by the tests of the script's view of the game.
#include "scriptedUniverse.h"

#include "luaTables.h"

const char* const QUIET_SCRIPT = "function addUI(...) end\nfunction updateUI(...) end\nfunction planetTick(id) end\n";

void ScriptedUniverse::startWith(const char* script) {
    writeContent(dir);
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    ASSERT_EQ(0, luaL_dostring(L, script));
    captureOutput([&] { initLua(*universe, L); });
}

std::string ScriptedUniverse::run(const std::string& code) {
    std::string error;
    out = captureOutput([&] {
        if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) error = luaErrorText(L, -1);
    });
    lua_settop(L, 0);
    return error;
}

std::string ScriptedUniverse::text(const char* global) {
    lua_getglobal(L, global);
    std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "<" + std::string(luaL_typename(L, -1)) + ">";
    lua_pop(L, 1);
    return value;
}

std::string ScriptedUniverse::data(const std::string& key) const {
    for (const luaStringPair& pair : universe->player->getExtraData())
        if (pair.key == key) return pair.value;
    return "<missing>";
}

bool ScriptedUniverse::saveAndLoad() {
    bool ok = false;
    out = captureOutput([&] { ok = universe->saveGame("1") && universe->loadGame("1", L); });
    return ok;
}

Planet& ScriptedUniverse::planetNamed(const std::string& name) {
    for (WorldState& world : universe->worlds)
        for (Star& star : world.stars)
            for (Planet& planet : star.getPlanets())
                if (planet.getName() == name) return planet;
    ADD_FAILURE() << "no planet " << name;
    return universe->worlds[0].stars[0].getPlanets()[0];
}
