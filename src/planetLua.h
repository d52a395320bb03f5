// Engine functions about planets: their names, economy records, extra data, goods and equipment.
#pragma once

struct lua_State;

namespace engineApi {

// getDecodedPlanetName(id) -> string: the name in the planet's economy record.
int decodePlanetName(lua_State* L);

// getPlanetData(id) -> planet data table, extra data table (all strings).
int getPlanetData(lua_State* L);

// setPlanetData(id, table): writes the record (fields the table lacks keep their value) and
// replaces the extra data with every key/value pair of the table, as text.
int setPlanetData(lua_State* L);

// getPlanetTradeGoods(id) -> one {name, price} table per trade good; -1 answers -1.
int getPlanetTradeGoods(lua_State* L);

// getPlanetEquipment(id) -> one {name, price} table per equipment entry; -1 answers -1.
int getPlanetEquipment(lua_State* L);

// getPlanetList() -> {{id, name, world, worldName, star}, ...}: every planet, in id order.
int getPlanetList(lua_State* L);

}  // namespace engineApi
