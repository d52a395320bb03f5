// The world edge: what each way of stopping keeps of a velocity across the edge.
#include <gtest/gtest.h>

#include "worldEdge.h"

TEST(WorldEdge, PutsBackOnTheEdgeAndStopsAsAsked) {
    struct Case {
        point position, velocity;
        EdgeStop stop;
        point expectedPosition, expectedVelocity;
    };
    const Case cases[] = {
        // Outward components stop either way.
        {{XBOUND + 5, -YBOUND - 5}, {3, -4}, EdgeStop::wholeComponent, {XBOUND, -YBOUND}, {0, 0}},
        {{XBOUND + 5, -YBOUND - 5}, {3, -4}, EdgeStop::outwardOnly, {XBOUND, -YBOUND}, {0, 0}},
        // A component already pointing back in: only the player's ship loses it.
        {{-XBOUND - 5, YBOUND + 5}, {3, -4}, EdgeStop::wholeComponent, {-XBOUND, YBOUND}, {0, 0}},
        {{-XBOUND - 5, YBOUND + 5}, {3, -4}, EdgeStop::outwardOnly, {-XBOUND, YBOUND}, {3, -4}},
        // Along the edge the other component is kept; inside nothing changes.
        {{XBOUND + 1, 10}, {2, 7}, EdgeStop::wholeComponent, {XBOUND, 10}, {0, 7}},
        {{XBOUND, 10}, {2, 7}, EdgeStop::wholeComponent, {XBOUND, 10}, {2, 7}},
    };
    for (const Case& c : cases) {
        point position = c.position, velocity = c.velocity;
        keepInsideWorld(position, velocity, c.stop);
        EXPECT_EQ(position.x, c.expectedPosition.x);
        EXPECT_EQ(position.y, c.expectedPosition.y);
        EXPECT_EQ(velocity.x, c.expectedVelocity.x);
        EXPECT_EQ(velocity.y, c.expectedVelocity.y);
    }
}
