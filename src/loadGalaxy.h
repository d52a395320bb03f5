// Turns the parsed content documents into the model: factions, relations, projectile and ship
// types, worlds with their stars, planets, wormholes and saved entities, and the player.
#pragma once

#include <memory>
#include <string>

struct lua_State;
class Player;
class Universe;

// Builds everything from the universe's documents; false when the worlds cannot be built.
bool initializeStars(Universe& universe, lua_State* L);
std::unique_ptr<Player> initializePlayer(Universe& universe);
int decodeRelationship(const std::string& word);
// Index of the first projectile type called `name` in WEAPONDATA, or -1.
int projectileTypeNamed(const std::string& name);
// Diagnostic outline of universe.xml.
void testXML(const std::string& path = "universe.xml");
