// Engine functions beyond the original fifteen: the player's free data (credits, cargo), its
// ship and equipment, and the faction, world and planet names a window shows.
#include "gameLua.h"

#include <iostream>
#include <string>
#include <vector>

#include "loadGalaxy.h"
#include "luaTables.h"
#include "navLua.h"
#include "scriptGuard.h"
#include "startLua.h"
#include "worldState.h"

// Like the other engine functions: arguments are checked (luaL_check*, which may raise a Lua
// error) before any C++ object with a destructor exists, and no Lua error is raised after.

namespace {

// The player, or null before the game has one.
Player* playerOf(lua_State* L) {
    Universe* universe = engineUniverse(L);
    return universe ? universe->player.get() : nullptr;
}

// A list table {names[1], names[2], ...} on top of the stack.
void pushNameList(lua_State* L, const std::vector<std::string>& names) {
    lua_createtable(L, static_cast<int>(names.size()), 0);
    for (size_t i = 0; i < names.size(); ++i) {
        lua_pushlstring(L, names[i].data(), names[i].size());
        lua_rawseti(L, -2, static_cast<int>(i + 1));
    }
}

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

// "getPlayerData"() -> table: the player's data, every key and value as text.
int getPlayerData(lua_State* L) {
    Player* player = playerOf(L);
    lua_newtable(L);
    if (!player) return 1;
    for (const luaStringPair& pair : player->getExtraData()) pushStringOnTable(L, pair.key.c_str(), pair.value);
    return 1;
}

// "setPlayerData"(table) -> true, or nil and a reason: replaces the player's data with every
// key/value pair of the table, as text. Nothing changes when any pair is refused.
int setPlayerData(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    Player* player = playerOf(L);
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

// "getPlayerShip"() -> table: the fitted equipment, hit points, charge, weapons and where the
// ship is.
int getPlayerShip(lua_State* L) {
    Universe* universe = engineUniverse(L);
    Player* player = playerOf(L);
    lua_newtable(L);
    if (!universe || !player) return 1;
    hullData hull = universe->getHullData(player->getHullName());
    pushStringOnTable(L, "engine", player->getEngineName());
    pushFloatOnTable(L, "thrust", player->getThrust());
    pushFloatOnTable(L, "revThrust", player->getRevThrust());
    pushFloatOnTable(L, "turnSpeed", player->getTurnSpeed());
    pushStringOnTable(L, "hull", player->getHullName());
    pushFloatOnTable(L, "hitpoints", player->getHealth());
    pushFloatOnTable(L, "maxHitpoints", static_cast<float>(hull.hitpoints));
    pushFloatOnTable(L, "cargo", static_cast<float>(hull.cargo));
    pushStringOnTable(L, "gravTool", player->getTool().name);
    pushFloatOnTable(L, "charge", player->getGravCharge());
    pushFloatOnTable(L, "maxCharge", player->getTool().charge);

    std::vector<std::string> weapons;
    for (unsigned type : player->getArmament())
        weapons.push_back(type < WEAPONDATA.size() ? WEAPONDATA[type].name : std::string());
    lua_pushstring(L, "weapons");
    pushNameList(L, weapons);
    lua_settable(L, -3);
    pushFloatOnTable(L, "activeWeapon", static_cast<float>(player->getActiveWeaponIndex() + 1));

    int world = player->getWorld();
    pushFloatOnTable(L, "world", static_cast<float>(world));
    bool knownWorld = world >= 0 && static_cast<size_t>(world) < universe->worlds.size();
    pushStringOnTable(L, "worldName", knownWorld ? universe->worlds[world].name : std::string());
    pushBoolOnTable(L, "landed", player->isLanded());
    pushFloatOnTable(L, "planet", static_cast<float>(player->getPlanetId()));
    pushFloatOnTable(L, "x", player->getPosition().x);
    pushFloatOnTable(L, "y", player->getPosition().y);
    pushFloatOnTable(L, "vx", player->getVelocity().x);
    pushFloatOnTable(L, "vy", player->getVelocity().y);
    return 1;
}

// "installEquipment"(name) -> kind, name[, weapon slot] or nil, reason: fits the engine, hull or
// gravity tool of that catalogue name, or the projectile type of that name as a weapon.
int installEquipment(lua_State* L) {
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    Universe* universe = engineUniverse(L);
    Player* player = playerOf(L);
    if (!universe || !player) return refuseCall(L, "installEquipment: there is no player yet");
    std::string name(text, length);
    std::string kind = universe->equipmentKind(name);
    if (kind == "engine") {
        player->installEngine(universe->getEngineData(name));
    } else if (kind == "hull") {
        player->installHull(universe->getHullData(name));
    } else if (kind == "gravTool") {
        player->installGravTool(universe->getGravToolData(name));
    } else {
        int type = projectileTypeNamed(name);
        if (type < 0) return refuseCall(L, "installEquipment: no equipment named \"" + name + "\"");
        unsigned slot = player->installWeapon(static_cast<unsigned>(type));
        std::cout << "Installed weapon " << name << " in slot " << slot + 1 << std::endl;
        lua_pushstring(L, "weapon");
        lua_pushlstring(L, name.data(), name.size());
        lua_pushnumber(L, slot + 1);
        return 3;
    }
    std::cout << "Installed " << kind << " " << name << std::endl;
    lua_pushlstring(L, kind.data(), kind.size());
    lua_pushlstring(L, name.data(), name.size());
    return 2;
}

// "getEquipmentInfo"(name) -> table or nil, reason: what a catalogue item or weapon is and does.
int getEquipmentInfo(lua_State* L) {
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    Universe* universe = engineUniverse(L);
    if (!universe) return refuseCall(L, "getEquipmentInfo: the engine is not ready");
    std::string name(text, length);
    std::string kind = universe->equipmentKind(name);
    int type = kind.empty() ? projectileTypeNamed(name) : -1;
    if (kind.empty() && type < 0) return refuseCall(L, "getEquipmentInfo: no equipment named \"" + name + "\"");
    lua_newtable(L);
    pushStringOnTable(L, "name", name);
    pushStringOnTable(L, "kind", kind.empty() ? std::string("weapon") : kind);
    if (kind == "engine") {
        engineData engine = universe->getEngineData(name);
        pushFloatOnTable(L, "thrust", engine.thrust);
        pushFloatOnTable(L, "revThrust", engine.revThrust);
        pushFloatOnTable(L, "turnSpeed", engine.turnSpeed);
    } else if (kind == "hull") {
        hullData hull = universe->getHullData(name);
        pushFloatOnTable(L, "hitpoints", static_cast<float>(hull.hitpoints));
        pushFloatOnTable(L, "mass", hull.mass);
        pushFloatOnTable(L, "size", hull.size);
        pushFloatOnTable(L, "cargo", static_cast<float>(hull.cargo));
    } else if (kind == "gravTool") {
        gravTool tool = universe->getGravToolData(name);
        pushFloatOnTable(L, "charge", tool.charge);
        pushFloatOnTable(L, "rechargeSpeed", tool.rechargeSpeed);
        pushFloatOnTable(L, "pull", tool.left.mass);
        pushFloatOnTable(L, "push", tool.right.mass);
    } else {
        const projectileData& weapon = WEAPONDATA[static_cast<size_t>(type)];
        pushFloatOnTable(L, "damage", weapon.damage);
        pushFloatOnTable(L, "cooldown", static_cast<float>(weapon.cooldown));
        pushFloatOnTable(L, "speed", weapon.speed);
        pushFloatOnTable(L, "shots", static_cast<float>(weapon.numProjectiles));
        pushBoolOnTable(L, "homing", weapon.homingRange != 0.0f);
    }
    return 1;
}

// "getFactionNames"() -> {name of faction 0, name of faction 1, ...}: faction n at index n + 1.
int getFactionNames(lua_State* L) {
    Universe* universe = engineUniverse(L);
    pushNameList(L, universe ? universe->factionNames : std::vector<std::string>());
    return 1;
}

// "getWorldNames"() -> {name of world 0, ...}: world n at index n + 1.
int getWorldNames(lua_State* L) {
    Universe* universe = engineUniverse(L);
    std::vector<std::string> names;
    if (universe)
        for (const WorldState& world : universe->worlds) names.push_back(world.name);
    pushNameList(L, names);
    return 1;
}

// "getPlanetList"() -> {{id, name, world, worldName, star}, ...}: every planet, in id order.
int getPlanetList(lua_State* L) {
    Universe* universe = engineUniverse(L);
    lua_newtable(L);
    if (!universe) return 1;
    int index = 0;
    for (size_t w = 0; w < universe->worlds.size(); ++w) {
        const WorldState& world = universe->worlds[w];
        for (const Star& star : world.stars)
            for (const Planet& planet : star.getPlanets()) {
                lua_newtable(L);
                pushFloatOnTable(L, "id", static_cast<float>(planet.getID()));
                pushStringOnTable(L, "name", planet.getName());
                pushFloatOnTable(L, "world", static_cast<float>(w));
                pushStringOnTable(L, "worldName", world.name);
                pushStringOnTable(L, "star", star.getName());
                lua_rawseti(L, -2, ++index);
            }
    }
    return 1;
}

// Longer than this is no longer one line on any screen, and most likely a script's mistake.
constexpr size_t MAX_HINT_LENGTH = 400;

// "showHint"(text) -> true, or nil and a reason: the line of guidance shown on screen until the
// next call; "" clears it.
int showHint(lua_State* L) {
    const int type = lua_type(L, 1);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return refuseCall(L, std::string("showHint: a hint is text, not ") + lua_typename(L, type));
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    if (length > MAX_HINT_LENGTH)
        return refuseCall(L, "showHint: a hint of " + std::to_string(length) + " characters is longer than " +
                             std::to_string(MAX_HINT_LENGTH));
    Universe* universe = engineUniverse(L);
    if (universe) universe->hint.show(std::string(text, length));
    lua_pushboolean(L, 1);
    return 1;
}

const luaL_Reg GAME_FUNCTIONS[] = {
    {"getPlayerData", getPlayerData},
    {"setPlayerData", setPlayerData},
    {"getPlayerShip", getPlayerShip},
    {"installEquipment", installEquipment},
    {"getEquipmentInfo", getEquipmentInfo},
    {"getFactionNames", getFactionNames},
    {"getWorldNames", getWorldNames},
    {"getPlanetList", getPlanetList},
    {"showHint", showHint},
};

}  // namespace

void registerGameFunctions(lua_State* L) {
    // Through the guard's wrapper, like every engine function: the memory cap never interrupts them.
    for (const luaL_Reg& function : GAME_FUNCTIONS) registerEngineFunction(L, function.name, function.func);
    registerNavFunctions(L);
}
