// Engine functions about the player (see playerLua.h for what each answers).
#include "playerLua.h"

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "engineContext.h"
#include "landing.h"
#include "worldState.h"
#include "xmlValues.h"

namespace {

// Why a key/value pair cannot be player data, or "" when it can.
std::string badPair(lua_State* L, int keyIndex, int valueIndex, std::string& key, std::string& value) {
    int keyType = lua_type(L, keyIndex);
    int valueType = lua_type(L, valueIndex);
    if (keyType != LUA_TSTRING && keyType != LUA_TNUMBER)
        return std::string("a key of type ") + lua_typename(L, keyType) + " cannot be player data";
    if (valueType != LUA_TSTRING && valueType != LUA_TNUMBER && valueType != LUA_TBOOLEAN)
        return std::string("a value of type ") + lua_typename(L, valueType) + " cannot be player data";
    key = luaAnyToString(L, keyIndex);
    if (key.size() > static_cast<size_t>(MAX_PLAYER_DATA_KEY))
        return "player data key longer than " + std::to_string(MAX_PLAYER_DATA_KEY) + " characters";
    if (!isAttributeName(key)) return "player data key \"" + key + "\" cannot be saved";
    value = luaAnyToString(L, valueIndex);
    if (value.size() > static_cast<size_t>(MAX_PLAYER_DATA_VALUE))
        return "player data value of " + key + " longer than " + std::to_string(MAX_PLAYER_DATA_VALUE) +
               " characters";
    return "";
}

}  // namespace

namespace engineApi {

int getPlayerWorld(lua_State* L) {
    const int* world = static_cast<const int*>(registryGet(L, WORLD_KEY));
    lua_pushnumber(L, world ? *world : 0);
    return 1;
}

int getIsPlayerLanded(lua_State* L) {
    const bool* landed = static_cast<const bool*>(registryGet(L, LANDED_KEY));
    lua_pushnumber(L, landed && *landed ? 1 : 0);
    return 1;
}

int getPlayerLandedPlanetId(lua_State* L) {
    const int* planet = static_cast<const int*>(registryGet(L, LANDED_PLANET_KEY));
    lua_pushnumber(L, planet ? *planet : -1);
    return 1;
}

int disableKeys(lua_State* L) {
    bool* keysOn = static_cast<bool*>(registryGet(L, INPUT_KEY));
    if (keysOn) *keysOn = false;
    return 0;
}

int enableKeys(lua_State* L) {
    bool* keysOn = static_cast<bool*>(registryGet(L, INPUT_KEY));
    if (keysOn) *keysOn = true;
    return 0;
}

int getPlayerData(lua_State* L) {
    Player* player = enginePlayer(L);
    lua_newtable(L);
    if (!player) return 1;
    for (const luaStringPair& pair : player->getExtraData()) pushStringOnTable(L, pair.key.c_str(), pair.value);
    return 1;
}

int setPlayerData(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    Player* player = enginePlayer(L);
    if (!player) return refuseCall(L, "setPlayerData: there is no player yet");
    std::vector<luaStringPair> data;
    std::string problem;
    lua_pushnil(L);
    while (lua_next(L, 1) != 0) {
        luaStringPair pair;
        problem = badPair(L, -2, -1, pair.key, pair.value);
        lua_pop(L, 1);
        if (problem.empty() && data.size() >= static_cast<size_t>(MAX_PLAYER_DATA_ENTRIES))
            problem = "more than " + std::to_string(MAX_PLAYER_DATA_ENTRIES) + " entries of player data";
        if (!problem.empty()) {
            lua_pop(L, 1);  // the key: the walk stops here
            break;
        }
        data.push_back(std::move(pair));
    }
    if (!problem.empty()) return refuseCall(L, "setPlayerData: " + problem + "; nothing changed");
    player->setExtraData(std::move(data));
    lua_pushboolean(L, 1);
    return 1;
}

int landPlayerOnPlanet(lua_State* L) {
    const double id = luaL_checknumber(L, 1);
    Universe* universe = engineUniverse(L);
    if (!universe) return refuseCall(L, "landPlayerOn: there is no game");
    if (!(std::floor(id) == id) || id < 0 || id > 1e6)
        return refuseCall(L, "landPlayerOn: " + toString(static_cast<float>(id)) + " is not a planet id");
    std::string reason;
    if (!landPlayerOn(*universe, static_cast<int>(id), reason)) return refuseCall(L, "landPlayerOn: " + reason);
    lua_pushboolean(L, 1);
    return 1;
}

int setPlayerHitpoints(lua_State* L) {
    const double value = luaL_checknumber(L, 1);
    Universe* universe = engineUniverse(L);
    if (!universe || !universe->player) return refuseCall(L, "setPlayerHitpoints: there is no ship");
    if (std::isnan(value)) return refuseCall(L, "setPlayerHitpoints: the hit points are not a number");
    const double full = universe->getHullData(universe->player->getHullName()).hitpoints;
    const double clamped = value < 0.0 ? 0.0 : (value > full ? full : value);
    universe->player->setHealth(static_cast<float>(clamped));
    lua_pushnumber(L, universe->player->getHealth());
    return 1;
}

}  // namespace engineApi
