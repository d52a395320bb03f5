// Engine functions about ships (see shipLua.h for what each answers).
#include "shipLua.h"

#include <iostream>
#include <string>
#include <vector>

#include "clampedNumber.h"
#include "engineContext.h"
#include "loadGalaxy.h"
#include "ship.h"
#include "worldState.h"

namespace engineApi {

int getPlayerShip(lua_State* L) {
    Universe* universe = engineUniverse(L);
    Player* player = enginePlayer(L);
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

int installEquipment(lua_State* L) {
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    Universe* universe = engineUniverse(L);
    Player* player = enginePlayer(L);
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

int spawnShip(lua_State* L) {
    int first = lastArguments(L, 3, "spawnShip");
    luaL_checktype(L, first + 2, LUA_TTABLE);
    double factionValue = luaL_checknumber(L, first + 1);
    Universe* universe = engineUniverse(L);
    if (!universe) return luaL_error(L, "spawnShip: the engine is not ready");

    point position{getLuaTableFloat(L, "x", first + 2), getLuaTableFloat(L, "y", first + 2)};
    int faction = clampedInt(factionValue, -1);
    int nameType = lua_type(L, first);
    bool hasName = nameType == LUA_TSTRING || nameType == LUA_TNUMBER;
    std::string name;
    if (hasName) {
        lua_pushvalue(L, first);
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        name.assign(text, length);
        lua_pop(L, 1);
    }
    lua_settop(L, first - 1);

    const shipDataStruct* type = nullptr;
    if (hasName)
        for (const shipDataStruct& candidate : universe->shipTypes)
            if (candidate.name == name) {
                type = &candidate;
                break;
            }
    if (!type) {
        std::cout << "Error, bad ship name sent to spawnShip by Lua, " << name << std::endl;
        return 0;
    }
    if (!universe->player || universe->player->getWorld() < 0 ||
        static_cast<size_t>(universe->player->getWorld()) >= universe->worlds.size())
        return 0;
    // A faction outside the relations table becomes faction 0 in the ship, with its message.
    universe->currentWorld().ships.push_front(Ship(position, name, static_cast<unsigned>(faction), *universe));
    return 0;
}

}  // namespace engineApi
