// Engine functions about ships: the player's ship and its equipment, and new AI ships.
#pragma once

struct lua_State;

namespace engineApi {

// getPlayerShip() -> table: the fitted equipment (engine, thrust, revThrust, turnSpeed, hull,
// hitpoints, maxHitpoints, cargo, gravTool, charge, maxCharge, weapons, activeWeapon) and where
// the ship is (world, worldName, landed, planet, x, y, vx, vy).
int getPlayerShip(lua_State* L);

// installEquipment(name) -> kind, name[, weapon slot], or nil and a reason: fits the engine,
// hull or gravity tool of that catalogue name, or the projectile type of that name as a weapon.
int installEquipment(lua_State* L);

// getEquipmentInfo(name) -> table, or nil and a reason: what a catalogue item or weapon is
// and does (name, kind and the figures of its kind).
int getEquipmentInfo(lua_State* L);

// spawnShip(type name, faction, {x = ..., y = ...}): a new ship in the player's world; the
// arguments are read from the top of the stack, as the first scripts pass them.
int spawnShip(lua_State* L);

}  // namespace engineApi
