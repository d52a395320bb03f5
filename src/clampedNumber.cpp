#include "clampedNumber.h"

#include <climits>

int clampedInt(double value, int nanValue) {
    if (value != value) return nanValue;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}
