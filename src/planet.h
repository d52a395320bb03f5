// A planet circling its star: orbit and spin, gravity, the periodic script tick, landing, and
// its economy record with free extra data.
#pragma once

#include <string>
#include <vector>

#include "basics.h"
#include "defaultVals.h"

class Player;
class WorldState;

// A planet's body, orbit and spin in the content file's units: density as written, angles in
// degrees, speeds in degrees per ms. Named fields, so that no two figures can change places.
struct PlanetFigures {
    int id = 0;
    float radius = 0.0f;
    float density = 0.0f;
    float orbitRadius = 0.0f;
    float orbitSpeed = 0.0f;
    float initLoc = 0.0f;
    float rotationalSpeed = 0.0f;
    float initRot = 0.0f;
    int texture = 0;
};

// Keeps density x GRAVITYMULTIPLIER and the orbit in radians.
class Planet {
public:
    Planet(const PlanetFigures& figures, std::string name, planetData data, std::vector<luaStringPair> extraData);

    void update(WorldState& world, Player* player, int dt, point starLoc);
    // Moves the planet to where `t` ms of orbit and spin put it (used after loading a game).
    void skipTime(long t, point starLoc);
    void draw() const;

    const std::string& getName() const { return name; }
    float getRadius() const { return radius; }
    int getID() const { return id; }
    point getLoc() const { return loc; }
    point getVelocity() const { return velocity; }
    float getRotation() const { return rotation; }
    float getLandingAngle() const { return landingAngle; }
    // Where around the centre a ship put down by the engine (not by touching down) stands.
    void setLandingAngle(float angle) { landingAngle = angle; }
    int getTickTime() const { return tickTime; }
    planetData getPlanetData() const { return data; }
    void setPlanetData(const planetData& newData) { data = newData; }
    std::vector<luaStringPair> getExtraData() const { return extraData; }
    void setExtraData(const std::vector<luaStringPair>& newExtraData) { extraData = newExtraData; }

private:
    point loc{0.0f, 0.0f};
    int id;
    float landingAngle = 0.0f;
    float radius;
    float density;
    float orbitRadius;
    float orbitSpeed;
    float orbitAngle;
    float rotationalSpeed;
    float rotation;
    int texture;
    point velocity{0.0f, 0.0f};
    std::string name;
    float volume;
    int tickTime = 0;
    planetData data;
    std::vector<luaStringPair> extraData;
};
