// The square world's edge at ±XBOUND, ±YBOUND, and what happens to whatever reaches it.
#pragma once

#include "basics.h"

// What an object that crossed the edge keeps of its velocity across it.
enum class EdgeStop {
    // The player's ship stops dead against the edge: the whole component across it is zeroed,
    // even one already pointing back in, so the pilot has to thrust away from the edge.
    wholeComponent,
    // An AI ship keeps a component pointing back inside, so a ship that turned already can
    // leave the edge at once (and slides along it meanwhile).
    outwardOnly,
};

// Puts a position beyond the edge back on it and stops its velocity across that edge as
// `stop` says; a position inside the world is left alone.
void keepInsideWorld(point& position, point& velocity, EdgeStop stop);
