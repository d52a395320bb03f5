// One shot in flight: movement, end of life, swept hit test, homing, fragments and events.
#pragma once

#include <vector>

#include "basics.h"
#include "xmlValues.h"

class Universe;
class WorldState;

class ShipIndex;
class SpriteBatch;

class Projectile {
public:
    Projectile(point position, float bearing, WorldState& world, int type, float vx, float vy, short faction,
               std::vector<short> relations);
    Projectile(XmlNode* node, Universe& universe);
    void save(XmlDoc& doc, XmlNode* node) const;

    void calcTheta();
    void addVelocity(point v) { velocity.x += v.x; velocity.y += v.y; }
    bool affectedByGrav() const;
    // False when the shot is finished. With a batch the shot's square goes into it instead of
    // being drawn at once (the additive pass draws the batch after the last shot).
    // `ships`, when given, is the world's ships indexed for this pass; without it each hit test
    // builds its own.
    bool update(int dt, WorldState& world, Universe& universe, int now, SpriteBatch* batch = nullptr,
                const ShipIndex* ships = nullptr);
    // True when the shot hit something; `previous` is its position before this frame's move.
    bool handleCollision(point previous, WorldState& world, Universe& universe, int now,
                         const ShipIndex* ships = nullptr);
    // Leaves its texture bound; processProjectiles unbinds once after the whole pass.
    void draw() const;
    // The same square, gathered into `batch`.
    void draw(SpriteBatch& batch) const;

    point getPosition() const { return position; }
    void setPosition(point p) { position = p; }
    point getVelocity() const { return velocity; }
    float getTheta() const { return theta; }
    int getShotType() const { return shotType; }
    int getLifetimeRemaining() const { return lifetimeRemaining; }
    int getTargetedShipID() const { return targetedShipID; }
    short getFaction() const { return faction; }

private:
    // Steers toward the nearest ship within range and applies the homing drag.
    void home(int dt, WorldState& world);
    void drawHomingLine(point target) const;

    point position;
    int shotType;
    float theta = 0.0f;
    int lifetimeRemaining;
    point velocity;
    int targetedShipID = 0;
    std::vector<short> personalRelations;
    short faction;
};

// Creates the type's spread of shots at the front of the world's projectile list.
void projectileSpawn(int type, point velocity, point position, float bearing, WorldState& world, short faction);
void projectileSpawn(int type, point velocity, point position, point target, WorldState& world, short faction);
// Event 0 nothing, 1 a shockwave; always false.
bool projectileEvent(WorldState& world, point where, int eventNum, int now);
