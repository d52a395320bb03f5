// The wheel's stops as arithmetic: where each lies and that notches past them change nothing.
#include <gtest/gtest.h>

#include "basics.h"
#include "zoomStops.h"

namespace {
constexpr float STEP = 1.2f;

TEST(ZoomStops, StopsFollowTheWorldTheScreenAndTheShip) {
    struct Case {
        float halfWidth, halfHeight, aspect, shipHalf;
        float widest, closest;
    } cases[] = {
        {XBOUND, YBOUND, 1.25f, 40.0f, 200000.0f, 160.0f},  // the game: a square world on a wide screen
        {100.0f, 50.0f, 1.0f, 10.0f, 200.0f, 40.0f},         // a world wider than the screen: its width decides
        {100.0f, 50.0f, 4.0f, 10.0f, 100.0f, 40.0f},         // a very wide screen: the height decides
    };
    for (const Case& c : cases) {
        const ZoomStops stops = ZoomStops::forWorld(c.halfWidth, c.halfHeight, c.aspect, c.shipHalf);
        EXPECT_FLOAT_EQ(stops.widestHeight, c.widest);
        EXPECT_FLOAT_EQ(stops.closestHeight, c.closest);
    }
}

// Rolls `notches` one way from `height` and answers where the view ends.
float roll(const ZoomStops& stops, float height, bool in, int notches, float planeScale) {
    for (int i = 0; i < notches; ++i) height = stops.afterNotch(height, in, STEP, planeScale);
    return height;
}

TEST(ZoomStops, WheelStopsAtBothEndsAndStepsByTheFactorBetween) {
    const ZoomStops stops = ZoomStops::forWorld(XBOUND, YBOUND, 1.25f, 40.0f);
    for (float planeScale : {1.0f, 1.0001f, 2.0f}) {
        SCOPED_TRACE(planeScale);
        // Between the stops every notch is the plain factor.
        EXPECT_FLOAT_EQ(stops.afterNotch(4000.0f, true, STEP, planeScale), 4000.0f / STEP);
        EXPECT_FLOAT_EQ(stops.afterNotch(4000.0f, false, STEP, planeScale), 4000.0f * STEP);

        const float closest = roll(stops, 4000.0f, true, 100, planeScale);
        EXPECT_GE(closest * planeScale, stops.closestHeight);
        EXPECT_LT(closest / STEP * planeScale, stops.closestHeight);
        EXPECT_FLOAT_EQ(roll(stops, closest, true, 5, planeScale), closest);

        const float widest = roll(stops, 4000.0f, false, 100, planeScale);
        EXPECT_GE(widest * planeScale, stops.widestHeight);
        EXPECT_LT(widest / STEP * planeScale, stops.widestHeight);
        EXPECT_FLOAT_EQ(roll(stops, widest, false, 5, planeScale), widest);

        // From either stop the other way still answers at once.
        EXPECT_FLOAT_EQ(stops.afterNotch(closest, false, STEP, planeScale), closest * STEP);
        EXPECT_FLOAT_EQ(stops.afterNotch(widest, true, STEP, planeScale), widest / STEP);
    }
}

TEST(ZoomStops, AViewBeyondAStopCanStillComeBack) {
    // A larger hull fitted while zoomed in, or a view from before the stops: the wheel only
    // refuses notches that go further.
    const ZoomStops stops = ZoomStops::forWorld(XBOUND, YBOUND, 1.25f, 46.0f);
    EXPECT_FLOAT_EQ(stops.afterNotch(100.0f, true, STEP, 1.0f), 100.0f);
    EXPECT_FLOAT_EQ(stops.afterNotch(100.0f, false, STEP, 1.0f), 120.0f);
    EXPECT_FLOAT_EQ(stops.afterNotch(500000.0f, false, STEP, 1.0f), 500000.0f);
    EXPECT_FLOAT_EQ(stops.afterNotch(500000.0f, true, STEP, 1.0f), 500000.0f / STEP);
}
}  // namespace
