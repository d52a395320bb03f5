// Geometry helpers, number formatting, random placement, the game clock and the input layer.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cmath>
#include <cstdlib>

#include "basics.h"
#include "gameMain.h"
#include "input.h"
#include "testSupport.h"

struct SegmentCase {
    point a, b, c;
    float r;
    bool hits;
};

class SegmentCircle : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentCircle, MatchesExpectation) {
    const SegmentCase& s = GetParam();
    EXPECT_EQ(intersectCircleLine(s.a, s.b, s.c, s.r), s.hits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentCircle,
    ::testing::Values(SegmentCase{{0, 0}, {0, 0}, {0, 0}, 10, false},      // degenerate segment never hits
                      SegmentCase{{5, 5}, {5, 5}, {100, 100}, 10, false},  // even far away
                      SegmentCase{{-10, 5}, {10, 5}, {0, 0}, 5, false},    // tangent exactly at r
                      SegmentCase{{-10, 4.9f}, {10, 4.9f}, {0, 0}, 5, true},
                      SegmentCase{{0, 0}, {100, 0}, {0, 1}, 5, true},      // starts inside
                      SegmentCase{{10, 0}, {20, 0}, {0, 0}, 5, false},     // beyond the start, clamped
                      SegmentCase{{-20, 0}, {-10, 0}, {0, 0}, 5, false},   // before the end, clamped
                      SegmentCase{{-100, 0}, {100, 0}, {0, 3}, 5, true}));  // crosses

TEST(Geometry, DistancesAndNormalize) {
    EXPECT_FLOAT_EQ(pointDistance({3, 4}, {3, 4}), 0.0f);
    EXPECT_FLOAT_EQ(pointDistance({0, 0}, {3, -4}), 5.0f);
    EXPECT_FLOAT_EQ(sqPointDistance({1, 1}, {4, 5}), 25.0f);
    EXPECT_FLOAT_EQ(magnitude({-6, 8}), 10.0f);
    point n = normalize({0, -2});
    EXPECT_FLOAT_EQ(n.x, 0.0f);
    EXPECT_FLOAT_EQ(n.y, -1.0f);
    point z = normalize({0, 0});
    EXPECT_TRUE(std::isnan(z.x));
    EXPECT_TRUE(std::isnan(z.y));
    EXPECT_FLOAT_EQ(square(-3.0f), 9.0f);
}

struct FormatCase {
    float value;
    const char* text;
};

class NumberFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormat, SixSignificantDigits) { EXPECT_EQ(toString(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Cases, NumberFormat,
                         ::testing::Values(FormatCase{0.15f, "0.15"}, FormatCase{1234567.0f, "1.23457e+06"},
                                           FormatCase{16.0f, "16"}, FormatCase{-94.0f, "-94"},
                                           FormatCase{1e6f, "1e+06"}, FormatCase{2500000.0f, "2.5e+06"},
                                           FormatCase{0.0f, "0"}));

TEST(Geometry, PixelToGameTruncatesTowardZero) {
    EXPECT_EQ(pixelToGame(-2.7f), -2);
    EXPECT_EQ(pixelToGame(2.7f), 2);
    EXPECT_EQ(pixelToGame(156.0f), 156);
}

TEST(RandomPlacement, EvenOffsetsWithinRange) {
    std::srand(7);
    bool sawLow = false;
    for (int i = 0; i < 20000; ++i) {
        int r = randomDraw();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        float v = closeRandLoc(2000);
        ASSERT_GE(v, -2000.0f);
        ASSERT_LE(v, 1998.0f);
        ASSERT_EQ(static_cast<int>(v) % 2, 0);
        if (v == -2000.0f) sawLow = true;
    }
    EXPECT_TRUE(sawLow);
}

TEST(GameClock, OffsetFollowsSetTime) {
    ensureGlContext();
    setTime(5000);
    unsigned now = getTime();
    EXPECT_GE(now, 5000u);
    EXPECT_LT(now, 5100u);
    setTime(0);
    EXPECT_LT(getTime(), 100u);
}

TEST(MouseToGame, MapsPercentToTheView) {
    point p = mouseToGame({50, 50}, -100, 100, -50, 50);
    EXPECT_FLOAT_EQ(p.x, 0.0f);
    EXPECT_FLOAT_EQ(p.y, 0.0f);
    p = mouseToGame({0, 100}, -100, 100, -50, 50);
    EXPECT_FLOAT_EQ(p.x, -100.0f);
    EXPECT_FLOAT_EQ(p.y, 50.0f);
}

TEST(InputLayer, KeysButtonsMotionAndEvents) {
    InputState input;
    EXPECT_FALSE(input.keyHeld(SDLK_w));
    input.setKey(SDLK_w, true);
    EXPECT_TRUE(input.keyHeld(SDLK_w));
    EXPECT_FALSE(input.keyHeld(-1));
    EXPECT_FALSE(input.keyHeld(100000));
    input.setButtons(SDL_BUTTON(SDL_BUTTON_LEFT) | SDL_BUTTON(SDL_BUTTON_RIGHT));
    EXPECT_TRUE(input.buttonHeld(SDL_BUTTON_LEFT));
    EXPECT_FALSE(input.buttonHeld(SDL_BUTTON_MIDDLE));
    EXPECT_TRUE(input.buttonHeld(SDL_BUTTON_RIGHT));
    input.addMotion(3, -2);
    input.addMotion(1, 1);
    auto motion = input.takeMotion();
    EXPECT_EQ(motion.first, 4);
    EXPECT_EQ(motion.second, -1);
    EXPECT_EQ(input.takeMotion().first, 0);
    input.pushEvent({InputEvent::KeyDown, SDLK_q});
    input.pushEvent({InputEvent::Quit, 0});
    auto events = input.takeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, SDLK_q);
    EXPECT_TRUE(input.takeEvents().empty());
}
