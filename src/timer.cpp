// Keeps a world's timed events in start order and runs, each frame, the ones that are due.
#include "timer.h"

#include "spriteBatch.h"
#include "worldState.h"

void addTimer(std::unique_ptr<TimerBase> event, WorldState& world) {
    if (!event) return;
    auto& timers = world.timers;
    if (event->startTime == 0) {
        timers.push_front(std::move(event));
        return;
    }
    auto it = timers.begin();
    while (it != timers.end() && (*it)->startTime < event->startTime) ++it;
    timers.insert(it, std::move(event));
}

void runTimer(int now, WorldState& world, TwinSquares* twin) {
    // Explosions are gathered and drawn together; an event that draws on its own first lets the
    // ones gathered before it draw, so each draws in the state its own turn had.
    SpriteBatch gathered;
    auto& timers = world.timers;
    auto it = timers.begin();
    while (it != timers.end()) {
        TimerBase& event = **it;
        // The list is in start order, so nothing after a waiting event is due either.
        if (event.startTime > now) break;
        if (event.endTime != 0 && event.endTime < now) {
            it = timers.erase(it);
            continue;
        }
        if (event.startTime < now && !event.gather(now, world, gathered)) {
            gathered.draw(twin);
            event.execute(now, world);
        }
        ++it;
    }
    gathered.draw(twin);
}
