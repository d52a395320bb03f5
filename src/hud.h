// Screen furniture around the simulation: background layers, world border, in-world cursor,
// radar, map and the mouse-over label. Each draws in the projection its caller set up.
#pragma once

#include <string>
#include <vector>

#include "basics.h"

class Font;
class Planet;
class Player;
class Ship;
class Star;
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
// One line of text (a script error) on a dark strip along the top edge, between the radar and
// the map and above the windows and the mouse-over label; cut short with "..." when too long.
// Draws in the pixel projection (origin bottom left) and leaves colours untinted.
void drawScriptError(const std::string& line, Font* font, const float* textColour = nullptr);
// The script's hint on a dark strip between the radar and the map, above the windows and below
// the mouse-over label; same projection and leavings as drawScriptError.
void drawHint(const std::string& line, Font* font);

// Whether an object at `distance` from the player shows on the radar / map.
inline bool onRadar(float distance) { return distance < RADAR_RANGE; }
inline bool onMap(float distance) { return distance < MAP_RANGE; }
// Label of a planet owner: the faction's name, or "Unclaimed" for -1 or an unknown faction.
std::string ownerLabel(const Universe& universe, int factionOwner);
// Label of a ship's faction: its name, or the empty text for a faction without one.
std::string factionLabel(const Universe& universe, int faction);
// A ship's hit points over its type's full hit points; false (no bar) when the ship's type code
// is not a valid type or the type has no positive hit points.
bool healthRatio(const Universe& universe, const Ship& ship, float& ratio);

// A star or a planet on the radar, in drawing order (exactly one of the two is set).
struct RadarBody {
    const Star* star;
    const Planet* planet;
};
// What the radar shows around `centre`: ships in range, and each star in range followed by
// those of its planets in range (a planet counts on its own, whatever its star's distance).
struct RadarView {
    std::vector<const Ship*> ships;
    std::vector<RadarBody> bodies;
};
RadarView radarView(const WorldState& world, point centre);

// What the cursor at `m` is over in the player's world: the first star, else the first planet
// (stars and planets in order), else the first ship; at most one is set.
struct MouseoverTarget {
    const Star* star = nullptr;
    const Planet* planet = nullptr;
    const Ship* ship = nullptr;
};
MouseoverTarget mouseoverTarget(Universe& universe, point m);
