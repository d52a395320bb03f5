// Screen furniture around the simulation: background layers, world border, in-world cursor,
// radar, map and the mouse-over label. Each draws in the projection its caller set up.
#pragma once

#include <string>

#include "basics.h"

class Font;
class Player;
class Universe;
class WorldState;

constexpr float RADAR_RANGE = 10000.0f;
constexpr float MAP_RANGE = 100000.0f;

void drawBackground();
void drawBoundary();
void drawMouse(point p);
void drawRadarBlip(point centre, int textureSlot, float halfSize);
void topLeftUI(WorldState& world, Player* player);
void topRightUI(WorldState& world, Player* player);
void mouseover(Universe& universe, point m, Font* font, int dt);

// Whether an object at `distance` from the player shows on the radar / map.
inline bool onRadar(float distance) { return distance < RADAR_RANGE; }
inline bool onMap(float distance) { return distance < MAP_RANGE; }
// Label of a planet owner: the faction's name, or "Unclaimed" for -1 or an unknown faction.
std::string ownerLabel(const Universe& universe, int factionOwner);
