// A ring of recent positions sampled at a fixed interval, drawn behind a moving ship.
#pragma once

#include <vector>

#include "basics.h"

class Trail {
public:
    Trail() = default;
    Trail(int length, point start, int interval, float width, float red, float green, float blue);

    void update(point p, int dt);
    void setVisibility(bool isVisible) { visible = isVisible; }
    void clear(point p);
    // Plain line strip through the samples; no entity uses it.
    void draw(point current) const;

    // Slot of the i-th sample counted from the second-oldest (i = 1 ... length).
    unsigned slotAt(int i) const { return (i + head + 1) % (length + 1); }
    // The slot before s in the ring.
    unsigned slotBefore(unsigned s) const { return s == 0 ? length : s - 1; }

    int interval = 0;
    int elapsed = 0;
    int length = 0;
    unsigned head = 0;
    float width = 0.0f;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    std::vector<point> points;
    std::vector<bool> visibleFlags;
    bool visible = true;
};
