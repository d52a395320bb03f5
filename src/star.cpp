// Stars: the gravity every body exerts, and the star's own update and drawing.
#include "star.h"

#include <utility>

#include "basics.h"
#include "glHeaders.h"
#include "player.h"
#include "projectile.h"
#include "ship.h"
#include "textures.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {
const double SPHERE_FACTOR = 4.1866666666666665;  // 4/3 x 3.14

// Unit vector from `from` towards the body, or zero when `from` is at the very centre
// (there is no direction to pull in, and normalising would give NaN).
point towards(point centre, point from, float d) {
    if (!(d > 0.0f)) return {0.0f, 0.0f};
    return normalize({centre.x - from.x, centre.y - from.y});
}

point scaled(point p, float k) { return {p.x * k, p.y * k}; }
}  // namespace

float GravityBody::reach() const { return radius * 10.0f * density / GRAVITYMULTIPLIER; }

float GravityBody::pull(float d, int dt) const {
    // An object at the centre is not pulled: the inverse square has no finite value there.
    if (!(d > 0.0f)) return 0.0f;
    return static_cast<float>(dt) * (volume / (d * d)) * density;
}

void applyBodyToWorld(const GravityBody& body, WorldState& world, int dt) {
    float reach = body.reach();
    for (auto it = world.projectiles.begin(); it != world.projectiles.end();) {
        point p = it->getPosition();
        float d = pointDistance(body.loc, p);
        if (body.radius >= d) {
            standardExplosion(p, world);
            it = world.projectiles.erase(it);
            continue;
        }
        if (d <= reach) it->addVelocity(scaled(towards(body.loc, p, d), body.pull(d, dt)));
        ++it;
    }
    for (auto it = world.ships.begin(); it != world.ships.end();) {
        point p = it->getPosition();
        float d = pointDistance(body.loc, p);
        if (body.radius >= d) {
            standardExplosion(p, world);
            world.losses.push_back({it->getFaction(), it->getShipType(), false});
            it = world.ships.erase(it);
            continue;
        }
        if (d <= reach) {
            point direction = towards(body.loc, p, d);
            it->registerCollidable(d - body.radius, direction);
            it->addGrav(scaled(direction, body.pull(d, dt)));
        }
        ++it;
    }
}

Star::Star(point loc, float radius, float density, int texture, std::string name)
    : loc(loc), radius(radius), density(density * GRAVITYMULTIPLIER), texture(texture), name(std::move(name)),
      volume(static_cast<float>(static_cast<double>(radius) * radius * radius * SPHERE_FACTOR)) {}

void Star::update(WorldState& world, Player* player, int dt) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (Planet& planet : planets) planet.update(world, player, dt, loc);

    GravityBody self = body();
    applyBodyToWorld(self, world, dt);

    if (player) {
        point p = player->getPosition();
        float d = pointDistance(loc, p);
        if (radius >= d) standardExplosion(p, world);
        if (self.reach() > d && !player->isLanded())
            player->addVelocity(scaled(towards(loc, p, d), self.pull(d, dt)));
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    draw();
}

void Star::addPlanet(const Planet& planet) {
    planets.push_back(planet);
    planets.back().skipTime(0, loc);
}

void Star::skipTime(long t) {
    for (Planet& planet : planets) planet.skipTime(t, loc);
}

void Star::draw() const {
    glPushMatrix();
    glTranslatef(loc.x, loc.y, 0.0f);
    glBindTexture(GL_TEXTURE_2D, textureSlot(texture));
    drawTexturedSquare(radius);
    reportError();
    glPopMatrix();
}
