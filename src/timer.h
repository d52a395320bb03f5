// Timed events: effects that last longer than one frame, held by a world and run each frame.
#pragma once

#include <memory>

class SpriteBatch;
class TwinSquares;
class WorldState;

// An effect with a start and an end moment; the world's timer list owns it.
class TimerBase {
public:
    TimerBase() = default;
    virtual ~TimerBase() = default;
    // Draw and act for this frame.
    virtual void execute(int now, WorldState& world) = 0;
    // Instead of execute: act for this frame and add the drawing to `batch` (drawn later in the
    // additive pass, where order does not matter). False when the event cannot; then execute runs.
    virtual bool gather(int now, WorldState& world, SpriteBatch& batch) { return false; }

    int startTime = 0;  // 0 = runs at once
    int endTime = 0;    // 0 = never deleted
};

// Inserts by startTime: 0 goes to the front, otherwise before the first event with a start
// time at or after its own, or at the back.
void addTimer(std::unique_ptr<TimerBase> event, WorldState& world);
// Runs every due event of the world and deletes the ones whose end has passed. With `twin`, the
// explosions are drawn through its program.
void runTimer(int now, WorldState& world, TwinSquares* twin = nullptr);
