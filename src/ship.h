// A computer-flown ship: drift, chase, flee, ring or fighter behaviour, gravity and obstacles
// fed by the bodies, fire with lead, ramming, personal relations and death.
#pragma once

#include <string>
#include <vector>

#include "basics.h"
#include "glowTrail.h"
#include "xmlValues.h"

class Player;
class ShipPass;
class Universe;

struct collidableData {
    float gap;
    point direction;
};

// The steering arithmetic of the fighter and the shared speed limit, kept free of GL and of the
// world so that it can be checked on its own.
// Velocity scaled down to length 10 when it is longer.
point limitShipSpeed(point velocity);
// Wanted acceleration of a fighter: lean against the pull of the bodies, steer clear of the
// nearest one and spend what is left on keeping 1250 units from the player.
point fighterAcceleration(point toPlayer, float distance, float thrust, point gravity, point velocity,
                          const std::vector<collidableData>& collidables);
// Intercept point after five refinements of the lead; `relativeVelocity` is the target's
// velocity minus the shooter's.
point leadAimPoint(point target, point relativeVelocity, point shooter, float shotSpeed);

// A ship's sprite: the `texture` square of half-size `size` at `position`, turned by `theta`
// radians.
void drawShipSprite(unsigned texture, point position, float theta, float size);

// What a fighter shoots at: the player, or a nearer hostile ship within 2000 units.
struct shipTarget {
    point position;
    point velocity;
    long squaredDistance;  // truncated to a whole number
    int shipID;            // 0 for the player
};

// A ship of the player's world that was destroyed this frame, kept for the script's
// "shipDestroyed" hook, which the frame loop calls once the ships are updated.
struct ShipLoss {
    unsigned faction;
    std::string typeName;
    bool byPlayer;  // the player's shot or beam dealt the fatal damage
};

class Ship {
public:
    Ship(point position, const std::string& typeName, unsigned faction, Universe& universe);
    Ship(XmlNode* node, Universe& universe);
    void save(XmlDoc& doc, XmlNode* node) const;

    // False when the ship is gone (died or rammed the player). The trail is drawn at the end,
    // or handed to `pass` to be drawn with the other ships' trails.
    bool update(int dt, int now, Universe& universe, Player* player, ShipPass* pass = nullptr);
    void draw() const;
    // Damage from something that is nobody's shot (a shockwave).
    bool takeDamage(float d);
    bool takeDamage(float d, short shooterFaction, Universe& universe);
    // Damage from the player's beam.
    bool takePlayerDamage(float d);
    // Whether the latest damage came from the player's shot or beam.
    bool lastHitByPlayer() const { return hitByPlayer; }
    void registerCollidable(float gap, point direction) { collidables.push_back({gap, direction}); }
    void addGrav(point g) { gravity.x += g.x; gravity.y += g.y; }
    void addGravNonCollidable(point g) { velocity.x += g.x; velocity.y += g.y; }
    void calcTheta();
    void calcTheta(point p);
    void setAI(int type) { aiType = type; }
    void print() const;
    // The player, or the nearest ship within 2000 units that this ship's faction is hostile to.
    shipTarget chooseTarget(Universe& universe, const Player& player) const;

    unsigned getFaction() const { return faction; }
    int getID() const { return id; }
    float getTheta() const { return theta; }
    point getVelocity() const { return velocity; }
    void setVelocity(point v) { velocity = v; }
    point getPosition() const { return position; }
    void setPosition(point p) { position = p; }
    const std::string& getShipType() const { return shipType; }
    float getHitpoints() const { return hitpoints; }
    int getShipCode() const { return shipCode; }
    float getSize() const { return size; }
    unsigned getTexture() const { return texture; }
    int getAI() const { return aiType; }
    point getGravity() const { return gravity; }
    const std::vector<short>& getPersonalRelations() const { return personalRelations; }
    const std::vector<unsigned>& getGunCooling() const { return gunCooling; }
    const std::vector<unsigned>& getArmament() const { return armament; }
    const GlowTrail& getTrail() const { return glowTrail; }

    // Step 4 of update: the behaviour's change of velocity and heading towards or away from a
    // player at `toPlayer` (distance `distance`); safe when the distance is 0.
    void steer(int dt, point toPlayer, float distance);

private:
    // Copies the fixed values of the named type (or inert ones when no type has that name).
    void applyType(Universe& universe);
    // Keeps `faction` a valid row of the relations matrix.
    void checkFaction(const Universe& universe);
    void steerFighter(int dt, point toPlayer, float distance);
    void fire(Universe& universe, Player& player);

    point position;
    std::vector<short> personalRelations;
    std::vector<collidableData> collidables;
    int id = 0;
    float theta = 0.0f;
    int aiType = 0;
    point velocity{0.0f, 0.0f};
    float thrust = 0.0f;
    float hitpoints = 0.0f;
    GlowTrail glowTrail;
    point gravity{0.0f, 0.0f};
    unsigned faction = 0;
    std::vector<unsigned> armament;
    std::vector<unsigned> gunCooling;
    unsigned texture = 0;
    float size = 0.0f;
    int shipCode = -1;
    std::string shipType;
    bool hitByPlayer = false;
};
