// One shot in flight: movement, end of life, swept hit test, homing, fragments and events, and
// the spawning of a weapon's spread of shots.
#include "projectile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>

#include "basics.h"
#include "clampedNumber.h"
#include "glHeaders.h"
#include "shipIndex.h"
#include "spriteBatch.h"
#include "textures.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {

// Shots cannot hit anything until they are this old, so they clear their shooter.
constexpr int ARMING_TIME = 100;
// Fraction of speed a homing shot loses per ms.
constexpr float HOMING_DRAG = 0.003f;
// The most shots one world holds at once.
constexpr size_t MAX_PROJECTILES_PER_WORLD = 5000;

short truncatedShort(double v) {
    int i = clampedInt(v);
    if (i > SHRT_MAX) return SHRT_MAX;
    if (i < SHRT_MIN) return SHRT_MIN;
    return static_cast<short>(i);
}

// The row of a projectile type, or null for a number outside the table.
const projectileData* typeRow(int type) {
    if (type < 0 || static_cast<size_t>(type) >= WEAPONDATA.size()) return nullptr;
    return &WEAPONDATA[type];
}

// Bearing of shot i of a spread around `bearing`.
float spreadBearing(const projectileData& row, float bearing, int i) {
    if (row.spread == 0.0f) return bearing;
    if (row.uniformSpread && row.numProjectiles > 1)
        return bearing + row.spread / (row.numProjectiles - 1) * i - row.spread / 2.0f;
    // Random offsets in steps of 0.02 radians; a spread narrower than one step has no room for
    // an offset, so the shot flies straight.
    int steps = clampedInt(row.spread * 50.0f);
    if (steps == 0) return bearing;
    return bearing + (randomDraw() % steps) / 50.0f - row.spread / 2.0f;
}

}  // namespace

Projectile::Projectile(point position, float bearing, WorldState& world, int type, float vx, float vy, short faction,
                       std::vector<short> relations)
    : position(position),
      shotType(type),
      lifetimeRemaining(0),
      velocity{vx, vy},
      personalRelations(std::move(relations)),
      faction(faction) {
    // An unknown type keeps no life and the shooter's velocity; its first update ends it.
    if (const projectileData* row = typeRow(type)) {
        lifetimeRemaining = row->lifetime;
        velocity.x = row->speed * std::sin(bearing) + vx;
        velocity.y = row->speed * std::cos(bearing) + vy;
    }
    calcTheta();
}

Projectile::Projectile(XmlNode* node, Universe& universe)
    : position{getValFND(node, "x"), getValFND(node, "y")},
      shotType(0),
      lifetimeRemaining(0),
      velocity{getValFND(node, "xSpd"), getValFND(node, "ySpd")},
      faction(0) {
    lifetimeRemaining = clampedInt(getValFND(node, "lifetimeRemaining"));
    theta = getValFND(node, "theta");
    shotType = clampedInt(getValFND(node, "shotType"));
    faction = truncatedShort(getValFND(node, "faction"));
    targetedShipID = clampedInt(getValFND(node, "targetedShipID"));
    for (double v : readIndexedList(node, "personalRelations")) personalRelations.push_back(truncatedShort(v));
    if (!typeRow(shotType))
        std::cout << "Error, saved projectile has unknown type " << shotType << " and is dropped" << std::endl;
}

void Projectile::save(XmlDoc& doc, XmlNode* node) const {
    addAttribValue(doc, node, "x", position.x);
    addAttribValue(doc, node, "y", position.y);
    addAttribValue(doc, node, "xSpd", velocity.x);
    addAttribValue(doc, node, "ySpd", velocity.y);
    addAttribValue(doc, node, "lifetimeRemaining", static_cast<float>(lifetimeRemaining));
    addAttribValue(doc, node, "theta", theta);
    addAttribValue(doc, node, "shotType", static_cast<float>(shotType));
    addAttribValue(doc, node, "faction", static_cast<float>(faction));
    addAttribValue(doc, node, "targetedShipID", static_cast<float>(targetedShipID));
    writeIndexedList(doc, node, "personalRelations", personalRelations);
}

void Projectile::calcTheta() { theta = std::atan2(velocity.y, -velocity.x) - 1.57f; }

bool Projectile::affectedByGrav() const {
    const projectileData* row = typeRow(shotType);
    return row ? row->grav : true;
}

bool Projectile::update(int dt, WorldState& world, Universe& universe, int now, SpriteBatch* batch,
                        const ShipIndex* ships) {
    const projectileData* row = typeRow(shotType);
    if (!row) return false;
    const projectileData& type = *row;

    point previous = position;
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;

    if (lifetimeRemaining >= 0 && lifetimeRemaining < dt) {
        if (type.onDeathEffect == 0) {
            if (type.onDeathFragment != -1)
                projectileSpawn(type.onDeathFragment, velocity, position, theta, world, faction);
        } else {
            projectileEvent(world, position, type.onDeathEffect, now);
        }
        return false;
    }

    if (static_cast<long long>(type.lifetime) - lifetimeRemaining > ARMING_TIME &&
        handleCollision(previous, world, universe, now, ships)) {
        if (type.onHitFragment != -1)
            projectileSpawn(type.onHitFragment, velocity, position, theta, world, faction);
        projectileEvent(world, position, type.onHitEffect, now);
        return false;
    }

    if (type.homingRange != 0.0f) home(dt, world);

    if (batch)
        draw(*batch);
    else
        draw();
    lifetimeRemaining -= dt;
    return true;
}

bool Projectile::handleCollision(point previous, WorldState& world, Universe& universe, int now,
                                 const ShipIndex* ships) {
    const projectileData* row = typeRow(shotType);
    if (!row) return false;

    std::optional<ShipIndex> ownIndex;
    if (!ships) ships = &ownIndex.emplace(world.ships);
    // Only ships within their reach (and a unit for rounding) of the box around the shot's
    // path can be hit; the exact swept test is left for those. The reach is squared by the
    // exact test, so its magnitude counts.
    const float left = std::min(position.x, previous.x) - 1.0f;
    const float right = std::max(position.x, previous.x) + 1.0f;
    const float bottom = std::min(position.y, previous.y) - 1.0f;
    const float top = std::max(position.y, previous.y) + 1.0f;
    const float widestReach = std::fabs(row->size) + ships->widestHalfSize();
    const auto candidates = ships->alongX(left - widestReach, right + widestReach);

    // The nearest ship hit; of equally near ones, the first in the world's list.
    const ShipIndex::Entry* hit = nullptr;
    float hitDistance = 0.0f;
    for (const ShipIndex::Entry* e = candidates.first; e != candidates.second; ++e) {
        const float reach = row->size + e->halfSize;
        const float box = std::fabs(reach);
        if (e->x + box < left || e->x - box > right || e->y + box < bottom || e->y - box > top) continue;
        const point centre{e->x, e->y};
        if (!intersectCircleLine(position, previous, centre, reach)) continue;
        const float distance = pointDistance(centre, position);
        if (!hit || distance < hitDistance || (distance == hitDistance && e->order < hit->order)) {
            hit = e;
            hitDistance = distance;
        }
    }

    if (Player* player = universe.player.get()) {
        if (intersectCircleLine(position, previous, player->getPosition(), row->size + player->getSize() / 2.0f) &&
            (!hit || pointDistance(player->getPosition(), position) < hitDistance)) {
            player->takeDamage(row->damage);
            standardExplosion(position, universe.currentWorld(), now);
            return true;
        }
    }

    if (!hit) return false;
    // A harmless shot simply vanishes at the ship.
    if (row->damage == 0.0f) return true;
    float damage = row->damage;
    hit->ship->takeDamage(damage, faction, universe);
    standardExplosion(position, universe.currentWorld(), now);
    universe.currentWorld().soundCues.push_back({SoundKind::ShipHit, position});
    return true;
}

void Projectile::home(int dt, WorldState& world) {
    const projectileData& type = WEAPONDATA[shotType];
    float range = type.homingRange;
    Ship* target = nullptr;
    bool dropped = false;
    if (targetedShipID != 0) {
        for (Ship& ship : world.ships) {
            if (ship.getID() != targetedShipID) continue;
            if (sqPointDistance(ship.getPosition(), position) < square(2.0f * range)) target = &ship;
            break;
        }
        if (!target) {
            // A lost target leaves the shot without one this frame; it may pick a new one next.
            targetedShipID = 0;
            dropped = true;
        }
    }
    if (targetedShipID == 0 && !dropped) {
        float best = square(range);
        for (Ship& ship : world.ships) {
            float distance = sqPointDistance(ship.getPosition(), position);
            if (distance < best) {
                best = distance;
                target = &ship;
            }
        }
        if (target) targetedShipID = target->getID();
    }

    if (target) {
        point goal = target->getPosition();
        drawHomingLine(goal);
        point d{goal.x - position.x, goal.y - position.y};
        float desired = std::atan2(d.y, -d.x) - 1.57f;
        if (desired < 0.0f) desired += 6.28f;
        if (theta < 0.0f) theta += 6.28f;
        float diff = desired - theta;
        if (std::fabs(diff) > 3.14f) {
            if (desired < theta)
                diff += 6.28f;
            else
                diff -= 6.28f;
        }
        float limit = dt * type.turnSpeed;
        if (diff > limit) diff = limit;
        if (diff < -limit) diff = -limit;
        theta += diff;
        velocity.x += dt * type.turnSpeed * std::sin(theta);
        velocity.y += dt * type.turnSpeed * std::cos(theta);
    }

    float drag = 1.0f - dt * HOMING_DRAG;
    velocity.x *= drag;
    velocity.y *= drag;
}

void Projectile::drawHomingLine(point target) const {
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_LINES);
    glColor3f(0.2f, 1.0f, 0.2f);
    glVertex2f(target.x, target.y);
    glColor3f(1.0f, 0.2f, 0.2f);
    glVertex2f(position.x, position.y);
    glEnd();
}

void Projectile::draw(SpriteBatch& batch) const {
    const projectileData* row = typeRow(shotType);
    if (!row) return;
    batch.add(row->texture, position, theta * 57.2958f, row->size);
}

void Projectile::draw() const {
    const projectileData* row = typeRow(shotType);
    if (!row) return;
    float size = row->size;
    glPushMatrix();
    reportError();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef(theta * 57.2958f, 0.0f, 0.0f, -1.0f);
    glBindTexture(GL_TEXTURE_2D, row->texture);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawTexturedSquare(size);
    glPopMatrix();
    // The texture stays bound: the projectile pass unbinds once after the last shot. Unbinding
    // after each one made the software rasteriser record a fresh texture state per shot, which
    // with thousands of shots cost tens of megabytes a frame and a few milliseconds.
}

void projectileSpawn(int type, point velocity, point position, float bearing, WorldState& world, short faction) {
    const projectileData* row = typeRow(type);
    if (!row) {
        std::cout << "Error, cannot spawn projectile of unknown type " << type << std::endl;
        return;
    }
    for (int i = 0; i < row->numProjectiles; ++i) {
        // A modded type that fires millions of shots, or fragments into itself, would otherwise
        // stall the frame and exhaust memory; past the cap no new shot is made.
        if (world.projectiles.size() >= MAX_PROJECTILES_PER_WORLD) return;
        float shotBearing = spreadBearing(*row, bearing, i);
        world.projectiles.push_front(
            Projectile(position, shotBearing, world, type, velocity.x, velocity.y, faction, std::vector<short>()));
    }
}

void projectileSpawn(int type, point velocity, point position, point target, WorldState& world, short faction) {
    float bearing = 0.0f;
    if (target.x != position.x || target.y != position.y)
        bearing = 1.57f - std::atan2(target.y - position.y, target.x - position.x);
    projectileSpawn(type, velocity, position, bearing, world, faction);
}

bool projectileEvent(WorldState& world, point where, int eventNum, int now) {
    if (eventNum == 0) return false;
    if (eventNum == 1) {
        auto shockwave = std::make_unique<TShockwave>(200, now, 2000, where);
        shockwave->startTime = 0;
        shockwave->endTime = now + 2000;
        addTimer(std::move(shockwave), world);
        return false;
    }
    std::cout << "Bad eventNum value in projectileEvent " << eventNum << std::endl;
    return false;
}
