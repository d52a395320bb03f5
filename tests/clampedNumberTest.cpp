// The one double-to-int conversion of saves, data files and scripts: every edge where a plain
// cast would be undefined.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "clampedNumber.h"

TEST(ClampedInt, TruncatesTowardZeroAndPinsEveryEdge) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {
        {250.9, 250},       {-1.9, -1},          {0.0, 0},          {-0.0, 0},
        {2147483646.9, 2147483646},              {-2147483647.9, -2147483647},
        {2147483647.0, INT_MAX},                 {-2147483648.0, INT_MIN},
        {1e12, INT_MAX},    {-1e12, INT_MIN},    {inf, INT_MAX},    {-inf, INT_MIN},
        {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(clampedInt(c.value), c.expected) << c.value;
}

TEST(ClampedInt, NanGivesTheCallersChoiceAndOnlyNan) {
    // Script arguments such as a planet id use -1 for "no number"; a real number ignores it.
    EXPECT_EQ(clampedInt(std::nan(""), -1), -1);
    EXPECT_EQ(clampedInt(-std::nan(""), 7), 7);
    EXPECT_EQ(clampedInt(3.5, -1), 3);
    EXPECT_EQ(clampedInt(std::numeric_limits<double>::infinity(), -1), INT_MAX);
}
