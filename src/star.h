// A fixed star: pulls and destroys what comes near, owns and updates its planets.
#pragma once

#include <string>
#include <vector>

#include "basics.h"
#include "planet.h"

class Player;
class WorldState;

// Gravity of a star or planet: reach and pull as every body computes them.
struct GravityBody {
    point loc;
    float radius;
    float density;  // already multiplied by GRAVITYMULTIPLIER
    float volume;
    float reach() const;
    // Velocity change this update for an object at distance d.
    float pull(float d, int dt) const;
};

// Removes (with an explosion) the world's projectiles and ships that touch the body and pulls
// the ones within its reach; shared by stars and planets.
void applyBodyToWorld(const GravityBody& body, WorldState& world, int dt);

// Constructed with the content file's values; keeps density x GRAVITYMULTIPLIER.
class Star {
public:
    Star(point loc, float radius, float density, int texture, std::string name);

    void update(WorldState& world, Player* player, int dt);
    void skipTime(long t);
    void draw() const;
    // Appends a copy, already placed on its orbit so its position and velocity mean something
    // before its first update.
    void addPlanet(const Planet& planet);
    const std::string& getName() const { return name; }
    float getRadius() const { return radius; }
    point getLoc() const { return loc; }
    std::vector<Planet>& getPlanets() { return planets; }
    const std::vector<Planet>& getPlanets() const { return planets; }
    GravityBody body() const { return {loc, radius, density, volume}; }

private:
    point loc;
    std::vector<Planet> planets;
    float radius;
    float density;
    int texture;
    std::string name;
    float volume;
};
