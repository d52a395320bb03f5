// Computer-flown ships: construction from a ship type or a save, the five behaviours, fire
// with lead, ramming, personal relations, death and drawing.
#include "ship.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "clampedNumber.h"
#include "defaultVals.h"
#include "basics.h"
#include "glHeaders.h"
#include "player.h"
#include "projectile.h"
#include "shipPass.h"
#include "timerClasses.h"
#include "worldEdge.h"
#include "worldState.h"

namespace {
const float RADIANS_TO_DEGREES = 57.32f;
const float QUARTER_TURN = 1.57f;
const float RAM_DISTANCE = 50.0f;
// The faction the player's shots carry.
const short PLAYER_FACTION = 0;
const float SPEED_LIMIT = 10.0f;
const float RING_RADIUS = 500.0f;
const float RING_BAND = RING_RADIUS * 0.2f;
const float RING_DAMPING = 0.98f;
const float FIGHTER_DISTANCE = 1250.0f;
const float OBSTACLE_RANGE = 1000.0f;
const float FALL_BRAKE = 0.0003f;
const float FIGHTER_DRAG = 0.0005f;
const float TARGET_RANGE_SQUARED = 4000000.0f;
const int LEAD_STEPS = 5;
const int16_t HOSTILE = -100;
const int TRAIL_SAMPLE_DIVISOR = 20;
const int TRAIL_INTERVAL = 20;
const float TRAIL_WIDTH = 10.0f;
const char* GLOW_TRAIL_NAME = "glowTrail";

enum aiBehaviour { AI_DRIFT = 0, AI_CHASE = 1, AI_FLEE = 2, AI_RING = 3, AI_FIGHTER = 4 };

point scaled(point p, float k) { return {p.x * k, p.y * k}; }

// Unit vector of p, or (0, 0) for a zero vector (whose direction is undefined).
point safeNormalize(point p) {
    if (p.x == 0.0f && p.y == 0.0f) return {0.0f, 0.0f};
    return normalize(p);
}

// A float narrowed to a 16-bit attitude, truncated towards zero and kept in range.
short toAttitude(double v) {
    v = std::max(-32768.0, std::min(32767.0, v));
    return static_cast<short>(v);
}

// Whether row `a`, column `b` exists in the matrix.
bool hasRelation(const std::vector<std::vector<int16_t>>& relations, long a, long b) {
    return a >= 0 && b >= 0 && static_cast<size_t>(a) < relations.size() &&
           static_cast<size_t>(b) < relations[a].size();
}
}  // namespace

point limitShipSpeed(point velocity) {
    float s = std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y);
    if (s > SPEED_LIMIT) velocity = scaled(velocity, 1.0f / (s / SPEED_LIMIT));
    return velocity;
}

point fighterAcceleration(point toPlayer, float distance, float thrust, point gravity, point velocity,
                          const std::vector<collidableData>& collidables) {
    point a{0.0f, 0.0f};
    // A ship without thrust cannot accelerate; the budget arithmetic would divide by it.
    if (!(thrust > 0.0f)) return a;
    point u = distance > 0.0f ? scaled(toPlayer, 1.0f / distance) : point{0.0f, 0.0f};
    if (gravity.x != 0.0f || gravity.y != 0.0f) {
        point e = scaled(gravity, -1.0f);
        const collidableData* nearest = nullptr;
        for (const collidableData& c : collidables)
            if (c.gap > 0.0f && c.gap < OBSTACLE_RANGE && (!nearest || c.gap < nearest->gap)) nearest = &c;
        float c = 0.0f;
        if (nearest) {
            c = (OBSTACLE_RANGE - nearest->gap) / OBSTACLE_RANGE;
            a = scaled(nearest->direction, -c * thrust);
        }
        // Falling towards the body: brake against the part of the velocity along the pull.
        float k = std::cos(std::atan2(velocity.y, -velocity.x) - std::atan2(gravity.y, -gravity.x));
        if (k > 0.0f) {
            e.x -= k * velocity.x * FALL_BRAKE;
            e.y -= k * velocity.y * FALL_BRAKE;
        }
        float p = std::pow(magnitude(e) / thrust * 5.0f, 5.0f);
        point lean = scaled(safeNormalize(e), p * thrust);
        a.x += lean.x;
        a.y += lean.y;
        float n = magnitude(a);
        if (n > thrust) a = scaled(a, thrust / n);
        if (1.0f - p - c > 0.0f) {
            point rest = scaled(u, thrust - n);
            if (distance > FIGHTER_DISTANCE) {
                a.x += rest.x;
                a.y += rest.y;
            } else {
                a.x -= rest.x;
                a.y -= rest.y;
            }
        }
    } else if (distance > FIGHTER_DISTANCE) {
        a = scaled(u, thrust);
    } else {
        a = scaled(u, -thrust);
    }
    return a;
}

point leadAimPoint(point target, point relativeVelocity, point shooter, float shotSpeed) {
    point aim = target;
    for (int l = 1; l <= LEAD_STEPS; ++l) {
        float t = pointDistance(aim, shooter) / shotSpeed;
        float share = static_cast<float>(l) / LEAD_STEPS;
        aim.x = target.x + relativeVelocity.x * share * t;
        aim.y = target.y + relativeVelocity.y * share * t;
    }
    return aim;
}

Ship::Ship(point where, const std::string& typeName, unsigned shipFaction, Universe& universe)
    : position(where), id(universe.getNewShipID()), faction(shipFaction), shipType(typeName) {
    checkFaction(universe);
    applyType(universe);
    if (shipCode >= 0) {
        const shipDataStruct& type = universe.shipTypes[shipCode];
        aiType = type.aiType;
        hitpoints = type.hitpoints;
    }
}

Ship::Ship(XmlNode* node, Universe& universe) : id(universe.getNewShipID()) {
    position.x = getValFND(node, "x");
    position.y = getValFND(node, "y");
    velocity.x = getValFND(node, "xSpd");
    velocity.y = getValFND(node, "ySpd");
    theta = getValFND(node, "theta");
    aiType = clampedInt(getValFND(node, "aiType"));
    long savedFaction = clampedInt(getValFND(node, "faction"));
    hitpoints = getValFND(node, "hitpoints");
    shipType = getValND(node, "shiptype");
    // A negative number would wrap to a huge one; checkFaction then turns it into faction 0.
    faction = savedFaction < 0 ? static_cast<unsigned>(-1) : static_cast<unsigned>(savedFaction);
    checkFaction(universe);
    for (double v : readIndexedList(node, "gunCooling"))
        gunCooling.push_back(v > 0.0 ? static_cast<unsigned>(std::min(v, 4294967295.0)) : 0u);
    for (double v : readIndexedList(node, "personalRelations")) personalRelations.push_back(toAttitude(v));
    applyType(universe);
    if (shipCode < 0) aiType = AI_DRIFT;
}

void Ship::checkFaction(const Universe& universe) {
    if (static_cast<size_t>(faction) + 1 > universe.relations.size()) {
        std::cout << "Bad faction " << 0 << std::endl;
        faction = 0;
    }
}

void Ship::applyType(Universe& universe) {
    shipCode = -1;
    for (size_t i = 0; i < universe.shipTypes.size(); ++i)
        if (universe.shipTypes[i].name == shipType) {
            shipCode = static_cast<int>(i);
            break;
        }
    if (shipCode < 0) {
        std::cout << "Error, bad ship name passed to ship constructor: " << shipType << std::endl;
        // An unknown type gives an inert ship: no behaviour, weapons, thrust, size or trail.
        aiType = AI_DRIFT;
        texture = 0;
        thrust = 0.0f;
        armament.clear();
        size = 0.0f;
        glowTrail = GlowTrail();
        return;
    }
    const shipDataStruct& type = universe.shipTypes[shipCode];
    texture = type.texture;
    thrust = type.thrust;
    armament = type.weapons;
    size = type.size;
    int samples = type.length / TRAIL_SAMPLE_DIVISOR;
    if (type.trailName == GLOW_TRAIL_NAME && samples > 0)
        glowTrail = GlowTrail(samples, position, TRAIL_INTERVAL, TRAIL_WIDTH, type.red, type.green, type.blue,
                              universe.shaderList);
    else
        glowTrail = GlowTrail();
}

void Ship::save(XmlDoc& doc, XmlNode* node) const {
    addAttribValue(doc, node, "x", position.x);
    addAttribValue(doc, node, "y", position.y);
    addAttribValue(doc, node, "xSpd", velocity.x);
    addAttribValue(doc, node, "ySpd", velocity.y);
    addAttribValue(doc, node, "theta", theta);
    addAttribValue(doc, node, "aiType", static_cast<float>(aiType));
    addAttribValue(doc, node, "faction", static_cast<float>(faction));
    addAttribValue(doc, node, "hitpoints", hitpoints);
    addAttribValue(doc, node, "shiptype", shipType);
    writeIndexedList(doc, node, "gunCooling", gunCooling);
    writeIndexedList(doc, node, "personalRelations", personalRelations);
}

bool Ship::update(int dt, int now, Universe& universe, Player* player, ShipPass* pass) {
    for (unsigned& cooling : gunCooling) cooling += dt;

    if (hitpoints <= 0.0f) {
        standardExplosion(position, universe.currentWorld());
        universe.currentWorld().soundCues.push_back({SoundKind::Explosion, position});
        universe.currentWorld().losses.push_back({faction, shipType, hitByPlayer});
        return false;
    }

    if (player) {
        point playerPosition = player->getPosition();
        float distance = pointDistance(playerPosition, position);
        if (distance < RAM_DISTANCE) {
            player->takeDamage(hitpoints / 2.0f);
            return false;
        }
        point toPlayer{playerPosition.x - position.x, playerPosition.y - position.y};
        steer(dt, toPlayer, distance);
        if (aiType == AI_FIGHTER && !armament.empty()) fire(universe, *player);
    }

    velocity.x += gravity.x;
    velocity.y += gravity.y;
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    keepInsideWorld(position, velocity, EdgeStop::outwardOnly);

    glowTrail.update(position, dt);
    if (pass)
        pass->addTrail(glowTrail, position);
    else
        glowTrail.draw(position);

    gravity = {0.0f, 0.0f};
    collidables.clear();
    return true;
}

void Ship::steer(int dt, point toPlayer, float distance) {
    // On top of the player there is no direction to steer in; the ship is rammed anyway.
    bool hasDirection = distance > 0.0f;
    switch (aiType) {
    case AI_CHASE:
    case AI_FLEE: {
        if (hasDirection) {
            float k = (aiType == AI_CHASE ? thrust : -thrust) / distance;
            velocity.x += toPlayer.x * k;
            velocity.y += toPlayer.y * k;
        }
        velocity = limitShipSpeed(velocity);
        calcTheta();
        break;
    }
    case AI_RING: {
        calcTheta();
        if (hasDirection) {
            float g = thrust / distance;
            if (distance < RING_RADIUS) g = -g;
            float offset = std::fabs(distance - RING_RADIUS);
            if (offset < RING_BAND) {
                g *= offset / RING_BAND;
                velocity.x += toPlayer.x * g * dt;
                velocity.y += toPlayer.y * g * dt;
                for (int i = 0; i < dt; ++i) velocity = scaled(velocity, RING_DAMPING);
                theta = std::atan2(toPlayer.y, toPlayer.x) - QUARTER_TURN;
            } else {
                velocity.x += toPlayer.x * g;
                velocity.y += toPlayer.y * g;
            }
        }
        velocity = limitShipSpeed(velocity);
        break;
    }
    case AI_FIGHTER:
        steerFighter(dt, toPlayer, distance);
        break;
    default:
        break;
    }
}

void Ship::steerFighter(int dt, point toPlayer, float distance) {
    point a = fighterAcceleration(toPlayer, distance, thrust, gravity, velocity, collidables);
    velocity = scaled(velocity, 1.0f - dt * FIGHTER_DRAG);
    velocity.x += a.x * dt;
    velocity.y += a.y * dt;
    if (a.x != 0.0f || a.y != 0.0f) calcTheta(a);
}

shipTarget Ship::chooseTarget(Universe& universe, const Player& player) const {
    shipTarget target{player.getPosition(), player.getVelocity(), 0, 0};
    target.squaredDistance = static_cast<long>(sqPointDistance(player.getPosition(), position));
    for (const Ship& other : universe.currentWorld().ships) {
        if (other.id == id) continue;
        float s = sqPointDistance(other.position, position);
        if (s >= TARGET_RANGE_SQUARED) continue;
        if (!hasRelation(universe.relations, faction, other.faction)) continue;
        if (universe.relations[faction][other.faction] == HOSTILE && s < target.squaredDistance) {
            target = {other.position, other.velocity, static_cast<long>(s), other.id};
        }
    }
    return target;
}

void Ship::fire(Universe& universe, Player& player) {
    shipTarget target = chooseTarget(universe, player);
    long range = static_cast<long>(std::sqrt(static_cast<double>(target.squaredDistance)));
    point relativeVelocity{target.velocity.x - velocity.x, target.velocity.y - velocity.y};
    for (size_t i = 0; i < armament.size(); ++i) {
        // Slots start ready: a new entry holds its type's cooldown.
        while (gunCooling.size() <= i) {
            unsigned slotType = armament[gunCooling.size()];
            int cooldown = slotType < WEAPONDATA.size() ? WEAPONDATA[slotType].cooldown : 0;
            gunCooling.push_back(static_cast<unsigned>(std::max(cooldown, 0)));
        }
        if (armament[i] >= WEAPONDATA.size()) continue;
        const projectileData& type = WEAPONDATA[armament[i]];
        if (static_cast<long long>(gunCooling[i]) < static_cast<long long>(type.cooldown)) continue;
        if (!(type.speed * type.lifetime > static_cast<float>(range))) continue;
        point aim = leadAimPoint(target.position, relativeVelocity, position, type.speed);
        gunCooling[i] = 0;
        projectileSpawn(static_cast<int>(armament[i]), velocity, position, aim, universe.currentWorld(),
                        static_cast<short>(faction));
        universe.currentWorld().soundCues.push_back({shotSound(static_cast<int>(armament[i])), position});
    }
}

void drawShipSprite(unsigned texture, point position, float theta, float size) {
    glPushMatrix();
    reportError();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef(theta * RADIANS_TO_DEGREES, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    reportError();
    drawTexturedSquare(size);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

void Ship::draw() const { drawShipSprite(texture, position, theta, size); }

bool Ship::takeDamage(float d) {
    hitpoints -= d;
    hitByPlayer = false;
    return hitpoints > 0.0f;
}

bool Ship::takePlayerDamage(float d) {
    hitpoints -= d;
    hitByPlayer = true;
    return hitpoints > 0.0f;
}

bool Ship::takeDamage(float d, short shooterFaction, Universe& universe) {
    hitpoints -= d;
    // The player's shots carry the player's faction, which no ship of the shipped content has.
    hitByPlayer = shooterFaction == PLAYER_FACTION;
    if (personalRelations.empty()) {
        // A shooter or a ship outside the matrix leaves the attitudes untouched.
        if (hasRelation(universe.relations, faction, shooterFaction) &&
            universe.relations[faction][shooterFaction] != HOSTILE) {
            personalRelations.assign(universe.relations[faction].begin(), universe.relations[faction].end());
            short& entry = personalRelations[shooterFaction];
            entry = toAttitude(static_cast<double>(entry) - d / 10.0f);
        }
    } else if (shooterFaction >= 0 && static_cast<size_t>(shooterFaction) < personalRelations.size() &&
               personalRelations[shooterFaction] != HOSTILE) {
        personalRelations[shooterFaction] = HOSTILE;
    }
    return hitpoints > 0.0f;
}

void Ship::calcTheta() { theta = std::atan2(velocity.y, velocity.x) - QUARTER_TURN; }

void Ship::calcTheta(point p) { theta = std::atan2(p.y, p.x) - QUARTER_TURN; }

void Ship::print() const {
    std::cout << position.x << " " << position.y << " " << hitpoints << " " << thrust << " " << size << " "
              << texture << " " << id << std::endl;
}
