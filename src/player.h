// The ship the user flies: steering, weapons and the beam, the gravity tool, landing and the
// charged launch, warp flags, exhaust trails and the charge bar.
#pragma once

#include <string>
#include <vector>

#include "basics.h"
#include "defaultVals.h"
#include "glowTrail.h"
#include "smokeTrail.h"
#include "xmlValues.h"

class EffectLayer;
class InputState;
class ShaderList;
class Ship;
class Universe;
class WorldState;

// Where a beam shot ends this frame and the ship it burns, if any.
struct BeamTrace {
    point end;          // the world edge point, or the ship's centre when a ship is hit
    point edge;         // where the ray through the target leaves the world
    Ship* ship;         // the nearest ship on the line that nothing blocks, or null
    bool blocked;       // a star or planet is nearer than every ship on the line (or there is none)
};

class Player {
public:
    Player(point position, float thrust, float revThrust, float turnSpeed, float hitpoints, float size,
           const ShaderList& shaders, std::vector<unsigned> armament, gravTool tool, std::string engineName,
           std::string hullName, Universe& universe);
    Player(XmlNode* node, Universe& universe);
    void save(XmlDoc& doc, XmlNode* node) const;

    void update(int dt, point mouse, unsigned char buttons, WorldState& world);
    void shoot(unsigned now, WorldState& world, point target, int dt);
    // The smoke and the flame; with a layer, the smoke goes through it (effectLayer.h).
    void drawTrail(int now, Universe& universe, EffectLayer* layer = nullptr);
    void draw() const;
    void drawUI() const;

    void turnCW(int dt);
    void turnCCW(int dt);
    void forwardThrust(int dt);
    void reverseThrust(int dt);
    void cycleWeaponUp();
    void cycleWeaponDown();
    void setWeapon(unsigned index);
    void buttonUp() { activeGravNum += 1; }
    void setInput(bool on) { keysOn = on; }
    void setLanded(int planet);
    bool isLanded() const { return landed; }
    // Switches worlds; false (with a message) for a world number that does not exist.
    bool warpWorld(int worldNumber);
    int getWorld() const { return activeWorld; }
    void takeDamage(float d) { hitpoints -= d; }
    float getHealth() const { return hitpoints; }
    void setHealth(float value) { hitpoints = value; }
    float getRadius() const { return size; }
    float getSize() const { return size; }
    float getAngle() const { return 90.0f - theta * 57.2958f; }
    void setAngle(float angle) { theta = angle; }
    float getTheta() const { return theta; }
    point getVelocity() const { return velocity; }
    void setVelocity(point v) { velocity = v; }
    void addVelocity(point v) { velocity.x += v.x; velocity.y += v.y; }
    point getPosition() const { return position; }
    void setPosition(point p) { position = p; }
    bool* getInputPointer() { return &keysOn; }
    int* getPlanetIdPointer() { return &planetId; }
    int* getWorldPointer() { return &activeWorld; }
    bool* getLandedPointer() { return &landed; }

    // Warp flags (the wormhole side of the handshake).
    bool getCanWarp() const { return canWarp; }
    void setCanWarp(bool on) { canWarp = on; }
    bool getIsClear() const { return isClear; }
    void setIsClear(bool on) { isClear = on; }

    float getGravCharge() const { return gravCharge; }
    void setGravCharge(float charge) { gravCharge = charge; }
    int getActiveGravNum() const { return activeGravNum; }
    const gravTool& getTool() const { return tool; }
    const std::vector<unsigned>& getArmament() const { return armament; }
    unsigned getActiveWeaponIndex() const { return activeWeaponIndex; }
    int getLandedTimeout() const { return landedTimeout; }
    int getLaunchCharge() const { return launchCharge; }
    float getThrusting() const { return thrusting; }
    bool getKeysOn() const { return keysOn; }
    const std::string& getEngineName() const { return engineName; }
    float getThrust() const { return thrust; }
    float getRevThrust() const { return revThrust; }
    float getTurnSpeed() const { return turnSpeed; }
    const std::string& getHullName() const { return hullName; }
    const SmokeTrail& getSmokeTrail() const { return smokeTrail; }

    // Free key/value text the script keeps for the player (credits, cargo); saved with the ship.
    const std::vector<luaStringPair>& getExtraData() const { return extraData; }
    void setExtraData(std::vector<luaStringPair> data) { extraData = std::move(data); }

    // Equipment fitted at a shipyard. A new hull brings its full hit points; a new gravity tool
    // arrives charged.
    void installEngine(const engineData& engine);
    void installHull(const hullData& hull);
    void installGravTool(const gravTool& newTool);
    // Puts a projectile type into a free weapon slot, or over the selected one when all
    // WEAPON_SLOTS are taken; the slot used.
    unsigned installWeapon(unsigned type);
    // World units across the finest detail of the flame (its tip, flameExhaust.vs): the scale
    // its look keeps when drawn at reduced resolution.
    static constexpr float FLAME_DETAIL = 6.0f;
    // The world box the flame can cover now, from its shape in flameExhaust.vs at the present
    // thrust and heading.
    void flameBounds(point& low, point& high) const;
    // Weapon slots a ship can hold: the keys 1 to 7 select them.
    static constexpr unsigned WEAPON_SLOTS = 7;
    const GlowTrail& getGlowTrail() const { return glowTrail; }

    // Where the ray from the ship through `target` leaves the world.
    point beamEdgePoint(point target) const;
    // Whether a target at bearing `bearing` (clockwise from +y) lies in the firing arc of `type`.
    bool inFiringArc(float bearing, unsigned type) const;
    // The beam's line this frame: its end, the ship it burns and whether a body blocks it.
    BeamTrace traceBeam(WorldState& world, point target) const;
    const std::vector<unsigned>& getGunCooling() const { return gunCooling; }
    int getLeftDelay() const { return leftDelay; }
    int getRightDelay() const { return rightDelay; }
    int getPlanetId() const { return planetId; }

private:
    void buildEffects(const ShaderList& shaders, Universe& universe, bool restored);
    void fireBeam(WorldState& world, point target, int dt);
    void drawBeam(point target, point end) const;
    void useGravityTool(bool left, point mouse, WorldState& world, int dt);

    point position;
    bool canWarp = true;
    bool isClear = true;
    std::string engineName;
    std::string hullName;
    int leftDelay = 0;
    int rightDelay = 0;
    gravTool tool;
    int activeGravNum = 0;
    float gravCharge = 0.0f;
    std::vector<unsigned> armament;
    unsigned activeWeaponIndex = 0;
    bool landed = false;
    int landedTimeout = 0;
    point velocity{0.0f, 0.0f};
    float thrust = 0.0f;
    float revThrust = 0.0f;
    float turnSpeed = 0.0f;
    float theta = 0.0f;
    float hitpoints = 0.0f;
    float size = 0.0f;
    std::vector<unsigned> gunCooling;
    int launchCharge = 0;
    float thrusting = 0.0f;
    int activeWorld = 0;
    GlowTrail glowTrail;
    SmokeTrail smokeTrail;
    int planetId = -1;
    bool keysOn = true;
    std::vector<luaStringPair> extraData;
    int flameShader = 0;
    int thrustUniform = -1;
    int timeUniform = -1;
    unsigned chargeBarTexture = 0;
    const InputState* input = nullptr;  // the universe's input layer; held keys are read from it
    const Universe* owner = nullptr;    // the universe holding this ship; warps are checked against its worlds
};
