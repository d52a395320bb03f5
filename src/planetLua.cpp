// Engine functions about planets (see planetLua.h for what each answers).
#include "planetLua.h"

#include <iostream>
#include <string>
#include <vector>

#include "basics.h"
#include "engineContext.h"
#include "worldState.h"
#include "xmlValues.h"

namespace {

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

// What tells getPlanetTradeGoods and getPlanetEquipment apart: the lines they print and the
// children of the planet element they list.
struct PriceList {
    const char* function;
    const char* gettingLine;
    const char* foundLine;
    const char* childName;
    const char* notFoundLine;  // null: nothing is printed when no planet has the id
};

const PriceList TRADE_GOODS{"getPlanetTradeGoods", "Getting trade goods", "Target found", "tradeGood",
                            "No pieces pushed"};
const PriceList EQUIPMENT{"getPlanetEquipment", "Getting equipment", "Planet found", "equipment", nullptr};

// The one walk behind both: the id from the top of the stack, the planet element with that
// document-order number, one {name, price} table per child of the list's kind.
int pushPriceList(lua_State* L, const PriceList& list) {
    int index = lastArguments(L, 1, list.function);
    int id = planetIdArgument(L, index);
    std::cout << list.gettingLine << std::endl;
    std::cout << "Target planet: " << id << std::endl;
    if (id == -1) {
        lua_pushvalue(L, index);
        return 1;
    }
    XmlNode* root = static_cast<XmlNode*>(registryGet(L, DOCUMENT_KEY));
    std::cout << "New add:" << static_cast<void*>(root) << std::endl;
    // The answers are the tables pushed last, so the argument below them may go; that leaves
    // one more slot for a long list.
    lua_settop(L, 0);
    XmlNode* planet = findPlanetNode(root, id);
    if (!planet) {
        if (list.notFoundLine) std::cout << list.notFoundLine << std::endl;
        return 0;
    }
    std::cout << list.foundLine;
    int pushed = pushPriceTables(L, planet, list.childName);
    std::cout << pushed << " pieces pushed" << std::endl;
    return pushed;
}

}  // namespace

namespace engineApi {

int decodePlanetName(lua_State* L) {
    int index = lastArguments(L, 1, "getDecodedPlanetName");
    int id = planetIdArgument(L, index);
    Universe* universe = engineUniverse(L);
    if (!universe) return luaL_error(L, "getDecodedPlanetName: the engine is not ready");
    lua_pop(L, 1);
    std::string name = universe->getPlanetData(static_cast<unsigned>(id)).name;
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

int getPlanetTradeGoods(lua_State* L) { return pushPriceList(L, TRADE_GOODS); }

int getPlanetEquipment(lua_State* L) { return pushPriceList(L, EQUIPMENT); }

int getPlanetData(lua_State* L) {
    int index = lastArguments(L, 1, "getPlanetData");
    int id = planetIdArgument(L, index);
    Universe* universe = engineUniverse(L);
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

// Its id from slot 1 and its table from the top of the stack, as the first scripts pass them.
int setPlanetData(lua_State* L) {
    lastArguments(L, 2, "setPlanetData");
    int id = planetIdArgument(L, 1);
    int tableIndex = lua_gettop(L);
    luaL_checktype(L, tableIndex, LUA_TTABLE);
    Universe* universe = engineUniverse(L);
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

}  // namespace engineApi
