// Explosions (two counter-rotating shrinking quads) and shockwaves (a growing ring that hurts ships).
#include "timerClasses.h"

#include <memory>

#include "defaultVals.h"
#include "basics.h"
#include "glHeaders.h"
#include "ship.h"
#include "spriteBatch.h"
#include "textures.h"
#include "worldState.h"

namespace {
const int EXPLOSION_TEXTURE = 3;
const int SHOCKWAVE_TEXTURE = 7;
const int EXPLOSION_DURATION = 1000;
// The shockwave's damage per millisecond is that of this projectile type.
const size_t SHOCKWAVE_WEAPON = 2;

}  // namespace

TExplosion::TExplosion(int created, int duration, point where) : created(created), duration(duration), position(where) {}

float TExplosion::halfWidthAt(int now) const {
    // A zero-length explosion would divide by zero; it is simply gone.
    if (duration <= 0) return 0.0f;
    return static_cast<float>(created + duration - now) / static_cast<float>(duration) * size;
}

int TExplosion::firstRotationAt(int now) const { return (now - created) * 360 / 1000; }

int TExplosion::secondRotationAt(int now) const { return (created - now) * 360 / 2000; }

void TExplosion::execute(int now, WorldState& world) {
    float r = halfWidthAt(now);
    unsigned texture = textureSlot(EXPLOSION_TEXTURE);
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glPushMatrix();
    glRotatef(static_cast<float>(firstRotationAt(now)), 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawTexturedSquare(r);
    glPopMatrix();
    glRotatef(static_cast<float>(secondRotationAt(now)), 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawTexturedSquare(r);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

bool TExplosion::gather(int now, WorldState& world, SpriteBatch& batch) {
    const float r = halfWidthAt(now);
    const unsigned texture = textureSlot(EXPLOSION_TEXTURE);
    // execute turns the quads counter-clockwise; the batch counts degrees clockwise.
    batch.addTwin(texture, position, -static_cast<float>(firstRotationAt(now)),
                  -static_cast<float>(secondRotationAt(now)), r);
    return true;
}

TShockwave::TShockwave(int speed, int created, int duration, point where)
    : speed(speed), created(created), duration(duration), position(where), rotation(randomDraw() % 360),
      lastTime(created) {}

float TShockwave::radiusAt(int now) const {
    if (duration <= 0) return 0.0f;
    return static_cast<float>((now - created) * speed) / static_cast<float>(duration) * 1.56f;
}

void TShockwave::execute(int now, WorldState& world) {
    float r = radiusAt(now);
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glPushMatrix();
    glRotatef(static_cast<float>(rotation), 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, textureSlot(SHOCKWAVE_TEXTURE));
    glColor4f(1.0f, 0.0f, 0.0f, 0.3f);
    drawTexturedSquare(r);
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();

    int elapsed = now - lastTime;
    lastTime = now;
    // Without a third projectile type there is no damage figure to apply.
    if (WEAPONDATA.size() <= SHOCKWAVE_WEAPON) return;
    float damage = WEAPONDATA[SHOCKWAVE_WEAPON].damage * static_cast<float>(elapsed);
    float reach = static_cast<float>(pixelToGame(r));
    for (Ship& ship : world.ships) {
        if (pointDistance(ship.getPosition(), position) < reach) ship.takeDamage(damage);
    }
}

void standardExplosion(point where, WorldState& world, int now) {
    auto explosion = std::make_unique<TExplosion>(now, EXPLOSION_DURATION, where);
    explosion->startTime = 0;
    explosion->endTime = now + EXPLOSION_DURATION;
    world.timers.push_back(std::move(explosion));
}

void standardExplosion(point where, WorldState& world) {
    standardExplosion(where, world, static_cast<int>(gameTicks()));
}
