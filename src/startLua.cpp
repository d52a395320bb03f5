// The Lua state of the game, the calls from the engine into "ui.lua", and the engine functions
// that the script may call.
#include "startLua.h"

#include <iostream>
#include <string>
#include <vector>

#include "basics.h"
#include "clampedNumber.h"
#include "disabledShip.h"
#include "gameLua.h"
#include "scriptGuard.h"
#include "ship.h"
#include "soundLua.h"
#include "worldState.h"
#include "xmlValues.h"

// Engine functions follow one rule: every argument is checked (luaL_check*, which may raise a
// Lua error and longjmp out) before any C++ object with a destructor is created, and nothing
// raises a Lua error once such an object exists.

namespace {

const char* const UNIVERSE_KEY = "thisUniverse";
const char* const WORLD_KEY = "iPlayerWorld";
const char* const LANDED_KEY = "bIsPlayerLanded";
const char* const LANDED_PLANET_KEY = "bPlayerLandedPlanetId";
const char* const INPUT_KEY = "bPlayerInputMode";
const char* const DOCUMENT_KEY = "XMLUniverse";
const char* const TEST_VALUE_KEY = "testVal";

Universe* universeOf(lua_State* L) { return static_cast<Universe*>(registryGet(L, UNIVERSE_KEY)); }

// Raises a Lua error unless at least `count` arguments were passed; returns the absolute index
// of the first of the last `count` arguments (engine functions read their arguments from the
// top of the stack).
int requireArguments(lua_State* L, int count, const char* function) {
    int top = lua_gettop(L);
    if (top < count) luaL_error(L, "%s expects %d argument(s), got %d", function, count, top);
    return top - count + 1;
}

// A planet id from a checked number argument.
int planetIdArgument(lua_State* L, int index) { return clampedInt(luaL_checknumber(L, index), -1); }

// "getPlayerWorld"() -> number: the player's current world number.
int getPlayerWorld(lua_State* L) {
    const int* world = static_cast<const int*>(registryGet(L, WORLD_KEY));
    lua_pushnumber(L, world ? *world : 0);
    return 1;
}

// "getIsPlayerLanded"() -> number 0 or 1 (not a boolean).
int getIsPlayerLanded(lua_State* L) {
    const bool* landed = static_cast<const bool*>(registryGet(L, LANDED_KEY));
    lua_pushnumber(L, landed && *landed ? 1 : 0);
    return 1;
}

// "getPlayerLandedPlanetId"() -> number: the planet the player sits on, -1 when none.
int getPlayerLandedPlanetId(lua_State* L) {
    const int* planet = static_cast<const int*>(registryGet(L, LANDED_PLANET_KEY));
    lua_pushnumber(L, planet ? *planet : -1);
    return 1;
}

// "getDecodedPlanetName"(id) -> string: the name in the planet's economy record.
int decodePlanetName(lua_State* L) {
    int index = requireArguments(L, 1, "getDecodedPlanetName");
    int id = planetIdArgument(L, index);
    Universe* universe = universeOf(L);
    if (!universe) return luaL_error(L, "getDecodedPlanetName: the engine is not ready");
    lua_pop(L, 1);
    std::string name = universe->getPlanetData(static_cast<unsigned>(id)).name;
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

// "getVal"() -> number: the float published under "testVal" (0 while none is).
int testRetrieve(lua_State* L) {
    lua_pushnumber(L, getLuaFloat(L, TEST_VALUE_KEY));
    return 1;
}

// "setVal"(number): prints it (test hook).
int testSet(lua_State* L) {
    int index = requireArguments(L, 1, "setVal");
    float value = static_cast<float>(luaL_checknumber(L, index));
    std::cout << "Setting to" << value << std::endl;
    return 0;
}

// The planet element with document-order number `id` in universe.xml, or null.
XmlNode* findPlanetNode(XmlNode* root, int id) {
    if (!root || id < 0) return nullptr;
    int count = 0;
    for (XmlNode* world = root->first_node("world"); world; world = world->next_sibling("world"))
        for (XmlNode* star = world->first_node("star"); star; star = star->next_sibling("star"))
            for (XmlNode* planet = star->first_node("planet"); planet; planet = planet->next_sibling("planet")) {
                if (count == id) return planet;
                ++count;
            }
    return nullptr;
}

// Pushes one {name, price} table per child `childName` of the planet; returns how many.
int pushPriceTables(lua_State* L, XmlNode* planet, const char* childName) {
    int pushed = 0;
    for (XmlNode* child = planet->first_node(childName); child; child = child->next_sibling(childName)) {
        // A long list must not overflow the stack: stop where Lua has no more room.
        if (!lua_checkstack(L, 4)) break;
        std::string name = getVal(child, "name");
        float price = getValF(child, "price");
        std::cout << "Pushing: " << name << " x " << toString(price) << std::endl;
        lua_newtable(L);
        pushStringOnTable(L, "name", name);
        pushFloatOnTable(L, "price", price);
        ++pushed;
    }
    return pushed;
}

// "getPlanetTradeGoods"(id) -> one {name, price} table per trade good; -1 answers -1.
int getPlanetTradeGoods(lua_State* L) {
    int index = requireArguments(L, 1, "getPlanetTradeGoods");
    int id = planetIdArgument(L, index);
    std::cout << "Getting trade goods" << std::endl;
    std::cout << "Target planet: " << id << std::endl;
    if (id == -1) {
        lua_pushvalue(L, index);
        return 1;
    }
    XmlNode* root = static_cast<XmlNode*>(registryGet(L, DOCUMENT_KEY));
    std::cout << "New add:" << static_cast<void*>(root) << std::endl;
    XmlNode* planet = findPlanetNode(root, id);
    if (!planet) {
        std::cout << "No pieces pushed" << std::endl;
        return 0;
    }
    std::cout << "Target found";
    int pushed = pushPriceTables(L, planet, "tradeGood");
    std::cout << pushed << " pieces pushed" << std::endl;
    return pushed;
}

// "getPlanetEquipment"(id) -> one {name, price} table per equipment entry; -1 answers -1.
int getPlanetEquipment(lua_State* L) {
    int index = requireArguments(L, 1, "getPlanetEquipment");
    int id = planetIdArgument(L, index);
    std::cout << "Getting equipment" << std::endl;
    std::cout << "Target planet: " << id << std::endl;
    if (id == -1) {
        lua_pushvalue(L, index);
        return 1;
    }
    XmlNode* root = static_cast<XmlNode*>(registryGet(L, DOCUMENT_KEY));
    std::cout << "New add:" << static_cast<void*>(root) << std::endl;
    lua_pop(L, 1);
    XmlNode* planet = findPlanetNode(root, id);
    if (!planet) return 0;
    std::cout << "Planet found";
    int pushed = pushPriceTables(L, planet, "equipment");
    std::cout << pushed << " pieces pushed" << std::endl;
    return pushed;
}

// "disablePlayerInput"(): the player's keyboard and mouse steering stops.
int disableKeys(lua_State* L) {
    bool* keysOn = static_cast<bool*>(registryGet(L, INPUT_KEY));
    if (keysOn) *keysOn = false;
    return 0;
}

// "enablePlayerInput"(): steering works again.
int enableKeys(lua_State* L) {
    bool* keysOn = static_cast<bool*>(registryGet(L, INPUT_KEY));
    if (keysOn) *keysOn = true;
    return 0;
}

// "debugDisplay"(value): prints a string or number, or the type of anything else.
int debugDisplay(lua_State* L) {
    int index = requireArguments(L, 1, "debugDisplay");
    int type = lua_type(L, index);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) {
        lua_pushvalue(L, index);
        std::cout << "Lua debug:" << lua_tostring(L, -1) << ":" << std::endl;
        lua_pop(L, 1);
    } else {
        std::cout << "Lua display debug called, but non-string passed.  Type: " << lua_typename(L, type)
                  << std::endl;
    }
    return 0;
}

// "testPass"() -> {name = "This is my name", price = 70} (test hook).
int testPass(lua_State* L) {
    lua_newtable(L);
    pushStringOnTable(L, "name", "This is my name");
    pushFloatOnTable(L, "price", 70.0f);
    return 1;
}

// "getPlanetData"(id) -> planet data table, extra data table (all strings).
int getPlanetData(lua_State* L) {
    int index = requireArguments(L, 1, "getPlanetData");
    int id = planetIdArgument(L, index);
    Universe* universe = universeOf(L);
    if (!universe) return luaL_error(L, "getPlanetData: the engine is not ready");
    lua_settop(L, 0);

    planetData data = universe->getPlanetData(static_cast<unsigned>(id));
    // An unknown planet has no place or size: it answers 0 for them.
    point loc{0.0f, 0.0f};
    float radius = 0.0f;
    if (id >= 0 && static_cast<size_t>(id) < universe->planetIndex.size()) {
        if (Planet* planet = universe->getPlanet(static_cast<unsigned>(id))) {
            loc = planet->getLoc();
            radius = planet->getRadius();
        }
    }
    lua_newtable(L);
    pushStringOnTable(L, "name", data.name);
    for (const PlanetIntField& field : planetIntFields())
        pushFloatOnTable(L, field.key, static_cast<float>(data.*field.member));
    for (const PlanetFloatField& field : planetFloatFields()) pushFloatOnTable(L, field.key, data.*field.member);
    pushFloatOnTable(L, "x", loc.x);
    pushFloatOnTable(L, "y", loc.y);
    pushFloatOnTable(L, "radius", radius);

    lua_newtable(L);
    for (const luaStringPair& pair : universe->getExtraPlanetData(static_cast<unsigned>(id)))
        pushStringOnTable(L, pair.key.c_str(), pair.value);
    return 2;
}

// "setPlanetData"(id, table): writes the record (fields the table lacks keep their value) and
// replaces the extra data with every key/value pair of the table, as text.
int setPlanetData(lua_State* L) {
    requireArguments(L, 2, "setPlanetData");
    int id = planetIdArgument(L, 1);
    int tableIndex = lua_gettop(L);
    luaL_checktype(L, tableIndex, LUA_TTABLE);
    Universe* universe = universeOf(L);
    if (!universe) return luaL_error(L, "setPlanetData: the engine is not ready");
    lua_settop(L, tableIndex);  // the table on top, as the readers expect

    if (id < 0 || static_cast<size_t>(id) >= universe->planetIndex.size()) {
        std::cout << "Bad index given for planet index" << std::endl;
        return 0;
    }
    Planet* planet = universe->getPlanet(static_cast<unsigned>(id));
    if (!planet) {
        std::cout << "Error, planet not found, but index is good" << std::endl;
        return 0;
    }
    planetData data = planet->getPlanetData();
    pullLuaTable(L, "name", data.name);
    for (const PlanetIntField& field : planetIntFields()) pullLuaTable(L, field.key, data.*field.member);
    for (const PlanetFloatField& field : planetFloatFields()) pullLuaTable(L, field.key, data.*field.member);
    planet->setPlanetData(data);

    std::vector<luaStringPair> extra;
    lua_pushnil(L);
    while (lua_next(L, tableIndex) != 0) {
        luaStringPair pair;
        pair.key = luaAnyToString(L, -2);
        pair.value = luaAnyToString(L, -1);
        extra.push_back(pair);
        lua_pop(L, 1);
    }
    planet->setExtraData(extra);
    return 0;
}

// "spawnShip"(type name, faction, {x = ..., y = ...}): a new ship in the player's world.
int spawnShip(lua_State* L) {
    int first = requireArguments(L, 3, "spawnShip");
    luaL_checktype(L, first + 2, LUA_TTABLE);
    double factionValue = luaL_checknumber(L, first + 1);
    Universe* universe = universeOf(L);
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

// The engine functions in the order they are registered (through registerEngineFunction, so the
// script's memory cap never interrupts them).
const luaL_Reg ENGINE_FUNCTIONS[] = {
    {"getPlayerWorld", getPlayerWorld},
    {"getIsPlayerLanded", getIsPlayerLanded},
    {"getPlayerLandedPlanetId", getPlayerLandedPlanetId},
    {"getDecodedPlanetName", decodePlanetName},
    {"getVal", testRetrieve},
    {"setVal", testSet},
    {"getPlanetTradeGoods", getPlanetTradeGoods},
    {"getPlanetEquipment", getPlanetEquipment},
    {"disablePlayerInput", disableKeys},
    {"enablePlayerInput", enableKeys},
    {"debugDisplay", debugDisplay},
    {"testPass", testPass},
    {"getPlanetData", getPlanetData},
    {"setPlanetData", setPlanetData},
    {"spawnShip", spawnShip},
};

}  // namespace

Universe* engineUniverse(lua_State* L) { return universeOf(L); }

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
    for (const luaL_Reg& function : ENGINE_FUNCTIONS) registerEngineFunction(L, function.name, function.func);
    registerGameFunctions(L);
    registerSoundFunctions(L);
    registerDisabledShipFunctions(L);

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
