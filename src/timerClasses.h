// The two kinds of timed event: explosions and the damaging shockwave.
#pragma once

#include "basics.h"
#include "timer.h"

class TExplosion : public TimerBase {
public:
    TExplosion(int created, int duration, point where);
    void execute(int now, WorldState& world) override;
    // The same two quads, into the batch.
    bool gather(int now, WorldState& world, SpriteBatch& batch) override;
    // Half-width of the quads at `now`: shrinks linearly from size to 0.
    float halfWidthAt(int now) const;
    // Rotations in degrees of the two quads at `now`.
    int firstRotationAt(int now) const;
    int secondRotationAt(int now) const;

    int created;
    int duration;
    point position;
    float size = 50.0f;
};

class TShockwave : public TimerBase {
public:
    TShockwave(int speed, int created, int duration, point where);
    void execute(int now, WorldState& world) override;
    float radiusAt(int now) const;

    int speed;
    int created;
    int duration;
    point position;
    int rotation;
    int lastTime;
};

// An explosion lasting one second, appended to the world's timers.
void standardExplosion(point where, WorldState& world, int now);
void standardExplosion(point where, WorldState& world);
