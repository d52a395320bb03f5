#include "shipIndex.h"

#include <algorithm>
#include <cmath>

#include "ship.h"

ShipIndex::ShipIndex(std::list<Ship>& ships) {
    entries.reserve(ships.size());
    size_t order = 0;
    for (Ship& ship : ships) {
        const point p = ship.getPosition();
        const float halfSize = ship.getSize() / 2.0f;
        if (std::isfinite(p.x) && std::isfinite(p.y)) {
            entries.push_back({p.x, p.y, halfSize, &ship, order});
            // A size that is not a number makes every ship a candidate, as the exact test decides.
            widest = std::isnan(halfSize) ? halfSize : std::max(widest, std::fabs(halfSize));
        }
        ++order;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.x < b.x; });
}

std::pair<const ShipIndex::Entry*, const ShipIndex::Entry*> ShipIndex::alongX(float low, float high) const {
    const Entry* begin = entries.data();
    const Entry* end = begin + entries.size();
    // Bounds that are not numbers cannot narrow anything down.
    if (std::isnan(low) || std::isnan(high)) return {begin, end};
    const Entry* first = std::lower_bound(begin, end, low, [](const Entry& e, float x) { return e.x < x; });
    const Entry* last = std::upper_bound(first, end, high, [](float x, const Entry& e) { return x < e.x; });
    return {first, last};
}
