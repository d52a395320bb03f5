// The Lua state of the game, the calls from the engine into "ui.lua", and the table of every
// engine function the script may call (each group in its own file, with its Lua signature).
#include "startLua.h"

#include <iostream>
#include <string>

#include "diagnosticsLua.h"
#include "engineContext.h"
#include "planetLua.h"
#include "playerLua.h"
#include "scriptGuard.h"
#include "screenLua.h"
#include "shipLua.h"
#include "soundLua.h"
#include "worldLua.h"
#include "worldState.h"

namespace {

// The first fifteen, in the order the first scripts were given them.
const luaL_Reg FIRST_ENGINE_FUNCTIONS[] = {
    {"getPlayerWorld", engineApi::getPlayerWorld},
    {"getIsPlayerLanded", engineApi::getIsPlayerLanded},
    {"getPlayerLandedPlanetId", engineApi::getPlayerLandedPlanetId},
    {"getDecodedPlanetName", engineApi::decodePlanetName},
    {"getVal", engineApi::testRetrieve},
    {"setVal", engineApi::testSet},
    {"getPlanetTradeGoods", engineApi::getPlanetTradeGoods},
    {"getPlanetEquipment", engineApi::getPlanetEquipment},
    {"disablePlayerInput", engineApi::disableKeys},
    {"enablePlayerInput", engineApi::enableKeys},
    {"debugDisplay", engineApi::debugDisplay},
    {"testPass", engineApi::testPass},
    {"getPlanetData", engineApi::getPlanetData},
    {"setPlanetData", engineApi::setPlanetData},
    {"spawnShip", engineApi::spawnShip},
};

// Every function added since, group by group.
const luaL_Reg GAME_ENGINE_FUNCTIONS[] = {
    // planets (planetLua.h)
    {"getPlanetList", engineApi::getPlanetList},
    // the player (playerLua.h)
    {"getPlayerData", engineApi::getPlayerData},
    {"setPlayerData", engineApi::setPlayerData},
    {"landPlayerOn", engineApi::landPlayerOnPlanet},
    {"setPlayerHitpoints", engineApi::setPlayerHitpoints},
    // the ship and its equipment (shipLua.h)
    {"getPlayerShip", engineApi::getPlayerShip},
    {"installEquipment", engineApi::installEquipment},
    {"getEquipmentInfo", engineApi::getEquipmentInfo},
    // the worlds and the way between them (worldLua.h)
    {"getFactionNames", engineApi::getFactionNames},
    {"getWorldNames", engineApi::getWorldNames},
    {"getWormholes", engineApi::getWormholes},
    {"setNavTarget", engineApi::setNavTarget},
    {"getNavTarget", engineApi::getNavTarget},
    // the screen and sound (screenLua.h, soundLua.h)
    {"showHint", engineApi::showHint},
    {"playSound", engineApi::playSound},
};

}  // namespace

LuaState::LuaState() : guard(std::make_unique<ScriptGuard>()), state(openGuardedState(*guard)) {}

LuaState::~LuaState() {
    if (state) lua_close(state);
}

bool loadScript(lua_State* L, const std::string& path) {
    if (!L) return false;
    int base = lua_gettop(L);
    std::string::size_type slash = path.find_last_of('/');
    // The message goes on a line of its own.
    const std::string errorPrefix =
        "Error opening " + (slash == std::string::npos ? path : path.substr(slash + 1)) + "\n";
    bool loaded = luaL_loadfile(L, path.c_str()) == 0;
    if (!loaded) reportScriptError(L, errorPrefix.c_str());
    if (!loaded || !callScript(L, 0, LUA_MULTRET, errorPrefix.c_str())) {
        lua_settop(L, base);
        return false;
    }
    // Whatever the top level returned would otherwise be taken for script answers later.
    lua_settop(L, base);
    return true;
}

void publishRegistry(Universe& universe, lua_State* L) {
    if (!L) return;
    registryInsertPointer(L, &universe, UNIVERSE_KEY);
    if (universe.player) {
        registryInsert(L, universe.player->getWorldPointer(), WORLD_KEY);
        registryInsert(L, universe.player->getLandedPointer(), LANDED_KEY);
        registryInsert(L, universe.player->getPlanetIdPointer(), LANDED_PLANET_KEY);
        registryInsert(L, universe.player->getInputPointer(), INPUT_KEY);
    }
    XmlNode* root = universe.universeDoc.root();
    registryInsertPointer(L, root, DOCUMENT_KEY);
    std::cout << "Add:" << static_cast<void*>(root) << std::endl;
}

void initLua(Universe& universe, lua_State* L) {
    if (!L) return;
    publishRegistry(universe, L);
    // Through the guard's wrapper, so that the script's memory cap never interrupts them.
    for (const luaL_Reg& function : FIRST_ENGINE_FUNCTIONS) registerEngineFunction(L, function.name, function.func);
    for (const luaL_Reg& function : GAME_ENGINE_FUNCTIONS) registerEngineFunction(L, function.name, function.func);

    int base = lua_gettop(L);
    lua_getglobal(L, "addUI");
    callScript(L, 0, LUA_MULTRET, "Lua event error, ");
    // Whatever "addUI" answered here builds nothing; leave the stack as it was.
    lua_settop(L, base);
}

void callPlanetTick(lua_State* L, int planetId) {
    if (!L) return;
    int base = lua_gettop(L);
    lua_getglobal(L, "planetTick");
    lua_pushnumber(L, planetId);
    callScript(L, 1, 0, "Lua event error, ");
    lua_settop(L, base);
}

void callGameLoaded(lua_State* L) {
    if (!L) return;
    int base = lua_gettop(L);
    lua_getglobal(L, "gameLoaded");
    // The hook is optional: a script without it simply is not told.
    if (lua_isfunction(L, -1)) callScript(L, 0, 0, "Lua event error, ");
    lua_settop(L, base);
}

void callShipDestroyed(lua_State* L, unsigned faction, const std::string& typeName, bool byPlayer) {
    if (!L) return;
    int base = lua_gettop(L);
    lua_getglobal(L, "shipDestroyed");
    // Optional like gameLoaded: a script without it is not told.
    if (lua_isfunction(L, -1)) {
        lua_pushnumber(L, faction);
        lua_pushlstring(L, typeName.data(), typeName.size());
        lua_pushnumber(L, byPlayer ? 1 : 0);
        callScript(L, 3, 0, "Lua event error, ");
    }
    lua_settop(L, base);
}
