// The ship the user flies: steering, weapons and the beam, the gravity tool, landing, warps,
// exhaust effects and the charge bar.
#include "player.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>

#include "basics.h"
#include "clampedNumber.h"
#include "effectLayer.h"
#include "glHeaders.h"
#include "planet.h"
#include "projectile.h"
#include "shaderList.h"
#include "ship.h"
#include "star.h"
#include "textures.h"
#include "worldEdge.h"
#include "worldState.h"

namespace {

// SDL's held-button mask: bit 0 is button 1 (left), bit 2 is button 3 (right).
constexpr unsigned char LEFT_BUTTON_MASK = 1;
constexpr unsigned char RIGHT_BUTTON_MASK = 4;

// The beam burns ships whose centre passes this close to its line.
constexpr float BEAM_HIT_RADIUS = 50.0f;
// Row of WEAPONDATA that is the beam, whatever the projectile file calls it.
constexpr unsigned BEAM_TYPE = 1;

constexpr int LANDED_TIMEOUT = 300;

// A capacity hint for a new gravity wall; the wall grows past it if it must.
constexpr int MAX_WELL_RESERVE = 4096;

unsigned truncatedUnsigned(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= static_cast<double>(UINT_MAX)) return UINT_MAX;
    return static_cast<unsigned>(v);
}

// Counters that only grow with time stop at the largest value instead of overflowing.
int saturatingAdd(int value, int dt) {
    long long sum = static_cast<long long>(value) + dt;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

unsigned saturatingAdd(unsigned value, int dt) {
    long long sum = static_cast<long long>(value) + dt;
    if (sum > UINT_MAX) return UINT_MAX;
    if (sum < 0) return 0;
    return static_cast<unsigned>(sum);
}

bool validWeaponType(unsigned type) { return type < WEAPONDATA.size(); }

}  // namespace

Player::Player(point position, float thrust, float revThrust, float turnSpeed, float hitpoints, float size,
               const ShaderList& shaders, std::vector<unsigned> armament, gravTool tool, std::string engineName,
               std::string hullName, Universe& universe)
    : position(position),
      engineName(std::move(engineName)),
      hullName(std::move(hullName)),
      tool(std::move(tool)),
      armament(std::move(armament)),
      thrust(thrust),
      revThrust(revThrust),
      turnSpeed(turnSpeed),
      hitpoints(hitpoints),
      size(size),
      input(&universe.input),
      owner(&universe) {
    gravCharge = this->tool.charge;
    buildEffects(shaders, universe, false);
    reportSoundError();
}

Player::Player(XmlNode* node, Universe& universe) : position{0.0f, 0.0f}, input(&universe.input), owner(&universe) {
    position.x = getValFND(node, "x");
    position.y = getValFND(node, "y");
    canWarp = getValFND(node, "canWarp") != 0.0f;
    isClear = getValFND(node, "isClear") != 0.0f;
    engineName = getValND(node, "engineName");
    hullName = getValND(node, "hullName");
    leftDelay = clampedInt(getValFND(node, "leftDelay"));
    rightDelay = clampedInt(getValFND(node, "rightDelay"));
    activeGravNum = clampedInt(getValFND(node, "activeGravNum"));
    gravCharge = getValFND(node, "gravCharge");
    std::string gravToolName = getValND(node, "gravToolName");
    activeWeaponIndex = truncatedUnsigned(getValFND(node, "activeWeaponIndex"));
    // A ship saved on a planet starts in flight: the landing is not restored.
    landed = false;
    landedTimeout = clampedInt(getValFND(node, "landedTimeout"));
    velocity.x = getValFND(node, "xSpd");
    velocity.y = getValFND(node, "ySpd");
    theta = getValFND(node, "theta");
    hitpoints = getValFND(node, "hitpoints");
    activeWorld = clampedInt(getValFND(node, "activeWorld"));
    planetId = clampedInt(getValFND(node, "planetId"));
    keysOn = getValFND(node, "keysOn") != 0.0f;
    for (double v : readIndexedList(node, "gunCooling")) gunCooling.push_back(truncatedUnsigned(v));
    for (double v : readIndexedList(node, "armament")) armament.push_back(truncatedUnsigned(v));
    // Saves from before the player had data of its own have none: an empty list.
    for (auto& pair : xmlAttributePairs(node->first_node("extraData")))
        extraData.push_back({std::move(pair.first), std::move(pair.second)});

    engineData engine = universe.getEngineData(engineName);
    thrust = engine.thrust;
    revThrust = engine.revThrust;
    turnSpeed = engine.turnSpeed;
    size = universe.getHullData(hullName).size;
    tool = universe.getGravToolData(gravToolName);
    launchCharge = 0;
    thrusting = 0.0f;
    buildEffects(universe.shaderList, universe, true);
}

void Player::buildEffects(const ShaderList& shaders, Universe& universe, bool restored) {
    glowTrail = GlowTrail(200, position, 20, 10.0f, 0.0f, 1.0f, 1.0f, shaders);
    smokeTrail = SmokeTrail(70, position, 15, 10.0f, 0.0f, 1.0f, 1.0f, 50.0f, 23.0f, 0.0006f, textureSlot(21),
                            textureSlot(22), shaders);
    int program = 0;
    if (!shaders.getShader("flameExhaust", program)) {
        std::cout << "Error, can't access flame shader" << std::endl;
    } else {
        flameShader = program;
        const char* suffix = restored ? "" : " shader";
        int location = -1;
        if (shaders.getUniform(flameShader, "thrust", location))
            thrustUniform = location;
        else
            std::cout << "Error, can't access thrust uniform in flame shader" << suffix << std::endl;
        location = -1;
        if (shaders.getUniform(flameShader, "time", location))
            timeUniform = location;
        else
            std::cout << "Error, can't access time uniform in flame shader" << suffix << std::endl;
    }
    chargeBarTexture = universe.loadDynamicTexture("whiteLaser.png", 1);
}

void Player::save(XmlDoc& doc, XmlNode* node) const {
    addAttribValue(doc, node, "x", position.x);
    addAttribValue(doc, node, "y", position.y);
    addAttribValue(doc, node, "canWarp", canWarp ? 1.0f : 0.0f);
    addAttribValue(doc, node, "isClear", isClear ? 1.0f : 0.0f);
    addAttribValue(doc, node, "engineName", engineName);
    addAttribValue(doc, node, "hullName", hullName);
    addAttribValue(doc, node, "leftDelay", static_cast<float>(leftDelay));
    addAttribValue(doc, node, "rightDelay", static_cast<float>(rightDelay));
    addAttribValue(doc, node, "activeGravNum", static_cast<float>(activeGravNum));
    addAttribValue(doc, node, "gravCharge", gravCharge);
    addAttribValue(doc, node, "gravToolName", tool.name);
    addAttribValue(doc, node, "activeWeaponIndex", static_cast<float>(activeWeaponIndex));
    addAttribValue(doc, node, "landed", landed ? 1.0f : 0.0f);
    addAttribValue(doc, node, "landedTimeout", static_cast<float>(landedTimeout));
    addAttribValue(doc, node, "xSpd", velocity.x);
    addAttribValue(doc, node, "ySpd", velocity.y);
    addAttribValue(doc, node, "theta", theta);
    addAttribValue(doc, node, "hitpoints", hitpoints);
    addAttribValue(doc, node, "activeWorld", static_cast<float>(activeWorld));
    addAttribValue(doc, node, "planetId", static_cast<float>(planetId));
    addAttribValue(doc, node, "keysOn", keysOn ? 1.0f : 0.0f);
    writeIndexedList(doc, node, "gunCooling", gunCooling);
    writeIndexedList(doc, node, "armament", armament);
    if (extraData.empty()) return;
    XmlNode* extra = appendElement(doc, node, "extraData");
    for (const luaStringPair& pair : extraData) {
        // A key that is not a valid attribute name would make the whole save unreadable.
        if (!isAttributeName(pair.key)) {
            std::cout << "Error, player data key \"" << pair.key << "\" cannot be saved, left out" << std::endl;
            continue;
        }
        addAttribValue(doc, extra, pair.key.c_str(), pair.value);
    }
}

void Player::installEngine(const engineData& engine) {
    engineName = engine.name;
    thrust = engine.thrust;
    revThrust = engine.revThrust;
    turnSpeed = engine.turnSpeed;
}

void Player::installHull(const hullData& hull) {
    hullName = hull.name;
    size = hull.size;
    hitpoints = static_cast<float>(hull.hitpoints);
}

void Player::installGravTool(const gravTool& newTool) {
    tool = newTool;
    gravCharge = tool.charge;
}

unsigned Player::installWeapon(unsigned type) {
    unsigned slot = static_cast<unsigned>(armament.size());
    if (armament.size() < WEAPON_SLOTS) {
        armament.push_back(type);
    } else {
        slot = std::min(activeWeaponIndex, slot - 1);
        armament[slot] = type;
    }
    // The new gun starts ready to fire, as every gun does.
    if (slot < gunCooling.size() && validWeaponType(type) && WEAPONDATA[type].cooldown > 0)
        gunCooling[slot] = static_cast<unsigned>(WEAPONDATA[type].cooldown);
    return slot;
}

void Player::update(int dt, point mouse, unsigned char buttons, WorldState& world) {
    // A wormhole clears isClear while the ship overlaps it, so canWarp needs one clear frame.
    if (isClear) canWarp = true;
    isClear = true;

    for (unsigned& cooling : gunCooling) cooling = saturatingAdd(cooling, dt);

    if (keysOn && input) {
        if (input->keyHeld(SDLK_d)) turnCW(dt);
        if (input->keyHeld(SDLK_a)) turnCCW(dt);
        if (input->keyHeld(SDLK_w)) {
            thrusting = 1.0f;
            forwardThrust(dt);
        } else if (input->keyHeld(SDLK_s)) {
            thrusting = 0.0f;
            reverseThrust(dt);
        } else {
            thrusting = 0.0f;
        }
    }

    bool leftHeld = (buttons & LEFT_BUTTON_MASK) != 0;
    bool rightHeld = (buttons & RIGHT_BUTTON_MASK) != 0;
    if (keysOn && !(leftHeld && rightHeld)) {
        if (leftHeld) useGravityTool(true, mouse, world, dt);
        if (rightHeld) useGravityTool(false, mouse, world, dt);
    }
    if (!leftHeld && !rightHeld) {
        leftDelay = saturatingAdd(leftDelay, dt);
        rightDelay = saturatingAdd(rightDelay, dt);
        gravCharge += dt * tool.rechargeSpeed;
        if (gravCharge > tool.charge) gravCharge = tool.charge;
    }

    if (landedTimeout > 0) landedTimeout -= dt;

    if (landed) {
        glowTrail.update(position, dt);
        smokeTrail.update(position, dt, velocity, 0);
        return;
    }

    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    keepInsideWorld(position, velocity, EdgeStop::wholeComponent);

    glowTrail.update(position, dt);

    // The smoke leaves from behind the ship; harder and thicker while thrusting.
    float a = theta + 1.57f;
    bool burning = thrusting == 1.0f;
    float offset = burning ? 60.0f : 50.0f;
    float push = burning ? 300.0f * 1.3f : 300.0f;
    unsigned particles = burning ? 20 : 10;
    point emitter{position.x - std::sin(a) * offset, position.y + std::cos(a) * offset};
    point emitterVelocity{velocity.x - std::sin(a) * thrust * push, velocity.y + std::cos(a) * thrust * push};
    smokeTrail.update(emitter, dt, emitterVelocity, particles);

    if (theta < 0.0f)
        theta += 6.28318f;
    else if (theta > 6.29318f)
        theta -= 6.28318f;
}

void Player::useGravityTool(bool left, point mouse, WorldState& world, int dt) {
    const gravToolPart& part = left ? tool.left : tool.right;
    int& delay = left ? leftDelay : rightDelay;
    if (!(gravCharge >= part.cost)) return;
    gravCharge -= part.cost * dt;

    bool found = false;
    for (GravityWall& wall : world.gravityWalls) {
        if (wall.getID() != activeGravNum) continue;
        found = true;
        if (delay >= part.spacing) {
            delay = 0;
            wall.addWell(mouse);
            break;
        }
        delay = saturatingAdd(delay, dt);
    }
    if (found) return;

    delay = 0;
    std::cout << (left ? "ML" : "MR") << toString(part.mass) << std::endl;
    // Room for as many wells as the remaining charge could pay for; a free part gets a token hint.
    int reserve = 1;
    if (part.cost > 0.0f) {
        float wells = gravCharge / part.cost + 1.0f;
        // Written so that a charge that is not a number (infinite charge less infinite cost)
        // takes the cap instead of reaching the conversion.
        reserve = !(wells < MAX_WELL_RESERVE) ? MAX_WELL_RESERVE : (wells < 1.0f ? 1 : static_cast<int>(wells));
    }
    world.gravityWalls.push_back(GravityWall(activeGravNum, mouse, part, reserve));
}

void Player::turnCW(int dt) {
    if (!landed) theta -= turnSpeed * dt;
}

void Player::turnCCW(int dt) {
    if (!landed) theta += turnSpeed * dt;
}

void Player::forwardThrust(int dt) {
    if (landedTimeout > 0) return;
    if (landed) {
        // Take off, spending the reverse thrust charged on the ground in this one step.
        landed = false;
        glowTrail.setVisibility(true);
        smokeTrail.setVisibility(true);
        planetId = -1;
        dt += launchCharge;
        launchCharge = 0;
    }
    velocity.x += std::cos(theta) * thrust * dt;
    velocity.y += std::sin(theta) * thrust * dt;
}

void Player::reverseThrust(int dt) {
    if (landed) {
        launchCharge = saturatingAdd(launchCharge, dt);
        return;
    }
    velocity.x -= std::cos(theta) * revThrust * dt;
    velocity.y -= std::sin(theta) * revThrust * dt;
}

void Player::cycleWeaponUp() {
    if (armament.empty()) return;
    activeWeaponIndex = (activeWeaponIndex + 1) % armament.size();
}

void Player::cycleWeaponDown() {
    if (armament.empty()) return;
    if (activeWeaponIndex == 0)
        activeWeaponIndex = static_cast<unsigned>(armament.size() - 1);
    else
        activeWeaponIndex -= 1;
}

void Player::setWeapon(unsigned index) {
    if (index < armament.size()) activeWeaponIndex = index;
}

void Player::setLanded(int planet) {
    planetId = planet;
    landed = true;
    glowTrail.setVisibility(false);
    smokeTrail.setVisibility(false);
    landedTimeout = LANDED_TIMEOUT;
}

bool Player::warpWorld(int worldNumber) {
    if (owner && (worldNumber < 0 || static_cast<size_t>(worldNumber) >= owner->worlds.size())) {
        std::cout << "Error, cannot warp to world " << worldNumber << ", it does not exist" << std::endl;
        return false;
    }
    glowTrail.clear(position);
    smokeTrail.clear(position);
    activeWorld = worldNumber;
    return true;
}

bool Player::inFiringArc(float bearing, unsigned type) const {
    if (!validWeaponType(type)) return false;
    float rel = bearing - (1.5708f - theta);
    if (rel >= 6.28318f) rel -= 6.28318f;
    if (rel < 0.0f) rel += 6.28318f;
    float minAngle = WEAPONDATA[type].minAngle;
    float maxAngle = WEAPONDATA[type].maxAngle;
    if (minAngle == -1.0f || maxAngle == -1.0f) return true;
    if (minAngle > maxAngle) return rel >= minAngle || rel <= maxAngle;
    return minAngle <= rel && rel <= maxAngle;
}

void Player::shoot(unsigned now, WorldState& world, point target, int dt) {
    if (!keysOn) return;
    if (activeWeaponIndex >= armament.size()) {
        std::cout << "Bad weapon selection " << activeWeaponIndex << std::endl;
        return;
    }
    unsigned type = armament[activeWeaponIndex];
    if (!validWeaponType(type)) {
        std::cout << "Error, weapon slot " << activeWeaponIndex << " holds unknown projectile type " << type
                  << std::endl;
        return;
    }
    point d{target.x - position.x, target.y - position.y};
    float bearing = 1.5708f - std::atan2(d.y, d.x);
    if (!inFiringArc(bearing, type)) return;

    if (type == BEAM_TYPE) {
        world.soundCues.push_back({SoundKind::Beam, position});
        fireBeam(world, target, dt);
        return;
    }
    // New entries start at their slot's cooldown, so a slot is ready the first time.
    while (gunCooling.size() <= activeWeaponIndex) {
        unsigned slotType = armament[gunCooling.size()];
        int cooldown = validWeaponType(slotType) ? WEAPONDATA[slotType].cooldown : 0;
        gunCooling.push_back(cooldown > 0 ? static_cast<unsigned>(cooldown) : 0u);
    }
    if (static_cast<long long>(gunCooling[activeWeaponIndex]) < WEAPONDATA[type].cooldown) return;
    gunCooling[activeWeaponIndex] = 0;
    projectileSpawn(static_cast<int>(type), velocity, position, bearing, world, 0);
    world.soundCues.push_back({shotSound(static_cast<int>(type)), position});
}

point Player::beamEdgePoint(point target) const {
    point d{target.x - position.x, target.y - position.y};
    float tX = 0.0f;
    if (d.x > 0.0f)
        tX = (XBOUND - position.x) / d.x;
    else if (d.x < 0.0f)
        tX = (-XBOUND - position.x) / d.x;
    float tY = 0.0f;
    if (d.y > 0.0f)
        tY = (YBOUND - position.y) / d.y;
    else if (d.y < 0.0f)
        tY = (-YBOUND - position.y) / d.y;
    float t = ((tY > tX && tX != 0.0f) || tY == 0.0f) ? tX : tY;
    return {position.x + d.x * t, position.y + d.y * t};
}

BeamTrace Player::traceBeam(WorldState& world, point target) const {
    BeamTrace trace{};
    trace.edge = beamEdgePoint(target);
    trace.end = trace.edge;
    trace.ship = nullptr;

    float shipDistance = 0.0f;
    for (Ship& ship : world.ships) {
        if (!intersectCircleLine(position, trace.edge, ship.getPosition(), BEAM_HIT_RADIUS)) continue;
        float distance = pointDistance(position, ship.getPosition());
        if (!trace.ship || distance < shipDistance) {
            trace.ship = &ship;
            shipDistance = distance;
        }
    }

    bool bodyNearer = false;
    for (const Star& star : world.stars) {
        if (intersectCircleLine(position, trace.edge, star.getLoc(), star.getRadius()) &&
            (!trace.ship || pointDistance(position, star.getLoc()) < shipDistance))
            bodyNearer = true;
        for (const Planet& planet : star.getPlanets()) {
            if (intersectCircleLine(position, trace.edge, planet.getLoc(), planet.getRadius()) &&
                (!trace.ship || pointDistance(position, planet.getLoc()) < shipDistance))
                bodyNearer = true;
        }
    }
    trace.blocked = bodyNearer || !trace.ship;
    if (trace.blocked) {
        trace.ship = nullptr;
    } else {
        trace.end = trace.ship->getPosition();
    }
    return trace;
}

void Player::fireBeam(WorldState& world, point target, int dt) {
    BeamTrace trace = traceBeam(world, target);
    if (trace.ship) trace.ship->takePlayerDamage(WEAPONDATA[BEAM_TYPE].damage * dt);
    drawBeam(target, trace.end);
}

void Player::drawBeam(point target, point end) const {
    point d{target.x - position.x, target.y - position.y};
    float length = pointDistance(end, position);
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef((std::atan2(d.y, d.x) - 1.57f) * 57.2958f, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, textureSlot(4));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(-20.0f, 0.0f);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(-20.0f, length);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(20.0f, length);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(20.0f, 0.0f);
    glEnd();
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Player::draw() const {
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef(getAngle(), 0.0f, 0.0f, -1.0f);
    reportError();
    glBindTexture(GL_TEXTURE_2D, textureSlot(0));
    reportError();
    drawTexturedSquare(size);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

void Player::drawUI() const {
    // A tool without capacity shows an empty bar rather than dividing by zero.
    float fraction = tool.charge > 0.0f ? gravCharge / tool.charge : 0.0f;
    float top = 2.02f + 16.73f * fraction;
    glBindTexture(GL_TEXTURE_2D, chargeBarTexture);
    glColor3f(1.0f, 0.2f, 0.2f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(95.8f, 2.02f);
    glTexCoord2f(0.0f, 0.5f);
    glVertex2f(95.8f, top);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(98.2f, top);
    glTexCoord2f(1.0f, 0.5f);
    glVertex2f(98.2f, 2.02f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Player::flameBounds(point& low, point& high) const {
    // In the flame's own frame (behind the ship along +y, 20 units out): the widest slice, the
    // full length at the strongest flicker, and the sideways waver.
    const float thrust = std::max(thrusting, 0.0f);
    const float halfWidth = 13.0f * (0.75f + 0.25f * thrust) + 1.5f;
    const float nearEnd = 20.0f - halfWidth;
    const float farEnd = 20.0f + 24.0f + 90.0f * thrust + halfWidth;
    // As drawTrail turns it: by the ship's angle plus a half turn, clockwise.
    const float turn = -(getAngle() + 180.0f) * static_cast<float>(M_PI) / 180.0f;
    const float c = std::cos(turn), s = std::sin(turn);
    low = {1e30f, 1e30f};
    high = {-1e30f, -1e30f};
    for (float x : {-halfWidth, halfWidth})
        for (float y : {nearEnd, farEnd}) {
            const point corner{position.x + x * c - y * s, position.y + x * s + y * c};
            low = {std::min(low.x, corner.x), std::min(low.y, corner.y)};
            high = {std::max(high.x, corner.x), std::max(high.y, corner.y)};
        }
}

void Player::drawTrail(int now, Universe& universe, EffectLayer* layer) {
    smokeTrail.draw(position, layer);
    // Without GLSL (GLEW failed to start) the entry points are null: draw fixed-function.
    bool glsl = glUseProgram != nullptr;
    if (glsl) glUseProgram(flameShader);
    glBindTexture(GL_TEXTURE_2D, textureSlot(17));
    if (glsl && flameShader != 0) {
        glUniform1f(timeUniform, now / 1000.0f);
        glUniform1f(thrustUniform, thrusting);
    }
    // The flame's 100 slices are soft and additive: summed in a reduced layer they look the same.
    const bool layered = glsl && layer && layer->begin(layer->factorFor(FLAME_DETAIL), EffectLayer::Additive);
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef(getAngle() + 180.0f, 0.0f, 0.0f, -1.0f);
    glTranslatef(0.0f, 20.0f, 0.0f);
    drawUnitSlices();
    glPopMatrix();
    if (glsl) glUseProgram(0);
    if (layered) {
        // Laid only where the flame can be, a small part of the view even close in.
        point low, high;
        flameBounds(low, high);
        layer->end(low, high);
    }
    reportError();
}
