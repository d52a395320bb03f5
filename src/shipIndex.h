// A world's ships sorted along x for one pass of hit tests: thousands of shots each need only
// the few ships near their path, not a walk through the whole list.
#pragma once

#include <cstddef>
#include <list>
#include <utility>
#include <vector>

class Ship;

class ShipIndex {
public:
    struct Entry {
        float x, y;
        float halfSize;
        Ship* ship;
        size_t order;  // place in the world's list
    };

    // Ships whose position is not finite are left out: no swept test can hit them.
    explicit ShipIndex(std::list<Ship>& ships);

    // The entries whose x lies in [low, high], in x order.
    std::pair<const Entry*, const Entry*> alongX(float low, float high) const;
    // The largest magnitude of a ship's half-size (its reach beyond its centre).
    float widestHalfSize() const { return widest; }

private:
    std::vector<Entry> entries;
    float widest = 0.0f;
};
