// Planets: orbit and spin, the periodic "planetTick", gravity, landing, and drawing.
#include "planet.h"

#include <cmath>
#include <iostream>
#include <utility>

#include "basics.h"
#include "glHeaders.h"
#include "player.h"
#include "star.h"
#include "startLua.h"
#include "textures.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {
const double DEGREES_TO_RADIANS = 3.14 / 180.0;
const double SPHERE_FACTOR = 4.1866666666666665;  // 4/3 x 3.14
const float LANDED_SPIN_FACTOR = 0.0174444f;       // degrees to radians for the landed player
const int TICK_INTERVAL = 500;
const float RIDE_MARGIN = 10.0f;
const float SAFE_LANDING_SPEED = 1.0f;
const float CRASH_DAMAGE_FACTOR = 100.0f;

point orbitPoint(point starLoc, float angle, float orbitRadius) {
    return {starLoc.x + std::cos(angle) * orbitRadius, starLoc.y + std::sin(angle) * orbitRadius};
}
}  // namespace

Planet::Planet(const PlanetFigures& figures, std::string name, planetData data, std::vector<luaStringPair> extraData)
    : id(figures.id), radius(figures.radius), density(figures.density * GRAVITYMULTIPLIER),
      orbitRadius(figures.orbitRadius), orbitSpeed(static_cast<float>(figures.orbitSpeed * DEGREES_TO_RADIANS)),
      orbitAngle(static_cast<float>(figures.initLoc * DEGREES_TO_RADIANS)),
      rotationalSpeed(figures.rotationalSpeed), rotation(figures.initRot), texture(figures.texture),
      name(std::move(name)),
      volume(static_cast<float>(static_cast<double>(figures.radius) * figures.radius * figures.radius * SPHERE_FACTOR)),
      data(std::move(data)), extraData(std::move(extraData)) {
    std::cout << this->name << std::endl;
}

void Planet::update(WorldState& world, Player* player, int dt, point starLoc) {
    if (dt == 0) {
        draw();
        return;
    }

    tickTime += dt;
    if (tickTime > TICK_INTERVAL) {
        if (world.luaState) callPlanetTick(world.luaState, id);
        tickTime -= TICK_INTERVAL;
    }

    rotation += rotationalSpeed * static_cast<float>(dt);

    point oldLoc = loc;
    orbitAngle += static_cast<float>(dt) * orbitSpeed;
    loc = orbitPoint(starLoc, orbitAngle, orbitRadius);
    velocity = {(loc.x - oldLoc.x) / static_cast<float>(dt), (loc.y - oldLoc.y) / static_cast<float>(dt)};

    GravityBody self{loc, radius, density, volume};
    applyBodyToWorld(self, world, dt);

    if (player) {
        point p = player->getPosition();
        float d = pointDistance(loc, p);
        float playerRadius = player->getRadius();
        if (player->isLanded() && playerRadius + radius + RIDE_MARGIN > d) {
            // Any landed player this close rides along, whichever planet it landed on.
            landingAngle += static_cast<float>(dt) * rotationalSpeed * LANDED_SPIN_FACTOR;
            point riding = orbitPoint(loc, landingAngle, radius + playerRadius);
            player->setPosition(riding);
            player->setAngle(landingAngle);
            // The ride's velocity is per millisecond like every other, so the kick a launch takes
            // from the planet does not depend on the frame time (dt is never 0 here).
            player->setVelocity({(riding.x - p.x) / static_cast<float>(dt), (riding.y - p.y) / static_cast<float>(dt)});
        } else if (!player->isLanded()) {
            if (playerRadius + radius >= d) {
                landingAngle = std::atan2(p.y - loc.y, p.x - loc.x);
                float relativeSpeed = pointDistance(player->getVelocity(), velocity);
                if (relativeSpeed < SAFE_LANDING_SPEED) {
                    player->setLanded(id);
                } else {
                    standardExplosion(p, world);
                    player->setLanded(id);
                    player->takeDamage((relativeSpeed - SAFE_LANDING_SPEED) * CRASH_DAMAGE_FACTOR);
                }
            } else if (d < self.reach() && d > 0.0f) {
                point direction = normalize({loc.x - p.x, loc.y - p.y});
                float pull = self.pull(d, dt);
                player->addVelocity({direction.x * pull, direction.y * pull});
            }
        }
    }

    draw();
}

void Planet::skipTime(long t, point starLoc) {
    rotation += rotationalSpeed * static_cast<float>(t);
    orbitAngle += static_cast<float>(t) * orbitSpeed;
    loc = orbitPoint(starLoc, orbitAngle, orbitRadius);
    velocity = {0.0f, 0.0f};
}

void Planet::draw() const {
    glPushMatrix();
    glTranslatef(loc.x, loc.y, 0.0f);
    glRotatef(rotation, 0.0f, 0.0f, 1.0f);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, textureSlot(texture));
    drawTexturedSquare(radius);
    reportError();
    glPopMatrix();
}
