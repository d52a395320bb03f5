// Tests of trails: sampling rhythm, the ring order, visibility gaps, clearing, inert trails and
// the values the glow and smoke programs receive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "basics.h"
#include "camera.h"
#include "glHeaders.h"
#include "glowTrail.h"
#include "shaderList.h"
#include "smokeTrail.h"
#include "testSupport.h"
#include "textures.h"
#include "trail.h"

namespace {

const ShaderList NO_SHADERS;

SmokeTrail makeSmoke(int length, int interval) {
    return SmokeTrail(length, {0.0f, 0.0f}, interval, 10.0f, 0.0f, 1.0f, 1.0f, 50.0f, 23.0f, 0.0006f, 0, 0,
                      NO_SHADERS);
}

GlowTrail makeGlow(int length) {
    GlowTrail trail;
    captureOutput([&] { trail = GlowTrail(length, {0.0f, 0.0f}, 20, 10.0f, 0.0f, 1.0f, 1.0f, NO_SHADERS); });
    return trail;
}

}  // namespace

TEST(Trail, fiftyMsFramesTakeOneSampleEachAndKeepTheSurplus) {
    Trail trail(200, {0.0f, 0.0f}, 20, 10.0f, 0.0f, 1.0f, 1.0f);
    ASSERT_EQ(trail.points.size(), 201u);
    for (int frame = 1; frame <= 3; ++frame) {
        trail.update({static_cast<float>(frame), 0.0f}, 50);
        EXPECT_EQ(trail.head, static_cast<unsigned>(frame));
        EXPECT_EQ(trail.elapsed, 30 * frame);
        EXPECT_FLOAT_EQ(trail.points[trail.head].x, static_cast<float>(frame));
    }
}

TEST(Trail, shortFramesWaitForAWholeInterval) {
    Trail trail(5, {0.0f, 0.0f}, 20, 10.0f, 0.0f, 1.0f, 1.0f);
    trail.update({1.0f, 0.0f}, 19);
    EXPECT_EQ(trail.head, 0u);
    trail.update({2.0f, 0.0f}, 1);
    EXPECT_EQ(trail.head, 1u);
    EXPECT_EQ(trail.elapsed, 0);
}

TEST(Trail, ringWrapsAndWalksFromSecondOldestToNewest) {
    Trail trail(3, {0.0f, 0.0f}, 10, 1.0f, 1.0f, 1.0f, 1.0f);
    for (int k = 1; k <= 6; ++k) trail.update({static_cast<float>(k), 0.0f}, 10);
    EXPECT_EQ(trail.head, 2u);  // six samples in four slots
    std::vector<float> walked;
    for (int i = 1; i <= trail.length; ++i) walked.push_back(trail.points[trail.slotAt(i)].x);
    EXPECT_EQ(walked, (std::vector<float>{4.0f, 5.0f, 6.0f}));
    EXPECT_EQ(trail.slotBefore(0), 3u);
    EXPECT_EQ(trail.slotBefore(2), 1u);
}

TEST(Trail, lengthZeroIsInert) {
    ensureGlContext();
    Trail plain;
    Trail zero(0, {5.0f, 5.0f}, 20, 1.0f, 1.0f, 1.0f, 1.0f);
    Trail negative(-4, {5.0f, 5.0f}, 20, 1.0f, 1.0f, 1.0f, 1.0f);
    GlowTrail glow;
    SmokeTrail smoke;
    for (int i = 0; i < 3; ++i) {
        plain.update({1.0f, 1.0f}, 100);
        zero.update({1.0f, 1.0f}, 100);
        negative.update({1.0f, 1.0f}, 100);
        glow.update({1.0f, 1.0f}, 100);
        smoke.update({1.0f, 1.0f}, 100, {1.0f, 0.0f}, 3);
    }
    EXPECT_EQ(zero.head, 0u);
    EXPECT_EQ(zero.elapsed, 0);
    EXPECT_EQ(negative.length, 0);
    EXPECT_EQ(smoke.elapsed, 0);
    EXPECT_TRUE(glow.ribbon({0.0f, 0.0f}).empty());
    EXPECT_TRUE(smoke.puffs().empty());
    std::string out = captureOutput([&] {
        plain.draw({0.0f, 0.0f});
        glow.draw({0.0f, 0.0f});
        smoke.draw({0.0f, 0.0f});
    });
    EXPECT_EQ(out, "");
}

TEST(Trail, clearCollapsesEverySample) {
    GlowTrail trail = makeGlow(4);
    for (int k = 1; k <= 4; ++k) trail.update({static_cast<float>(k) * 10.0f, 0.0f}, 20);
    trail.clear({7.0f, 8.0f});
    std::vector<GlowVertex> ribbon = trail.ribbon({7.0f, 8.0f});
    ASSERT_EQ(ribbon.size(), 10u);
    for (const GlowVertex& v : ribbon) {
        EXPECT_FLOAT_EQ(v.x, v.z);
        EXPECT_FLOAT_EQ(v.y, v.w);
        EXPECT_FLOAT_EQ(v.x, 7.0f);
    }
}

TEST(GlowTrail, missingProgramIsReported) {
    std::string out =
        captureOutput([] { GlowTrail(10, {0.0f, 0.0f}, 20, 10.0f, 0.0f, 1.0f, 1.0f, NO_SHADERS); });
    EXPECT_EQ(out, "Error, can't access glow trail shader\n");
}

TEST(GlowTrail, ribbonTapersTowardsTheOldEnd) {
    GlowTrail trail = makeGlow(4);
    for (int k = 1; k <= 5; ++k) trail.update({static_cast<float>(k), 0.0f}, 20);
    std::vector<GlowVertex> ribbon = trail.ribbon({9.0f, 0.0f});
    ASSERT_EQ(ribbon.size(), 10u);
    for (int i = 1; i <= 4; ++i) {
        const GlowVertex& left = ribbon[2 * (i - 1)];
        const GlowVertex& right = ribbon[2 * (i - 1) + 1];
        EXPECT_FLOAT_EQ(left.halfWidth, -i / 4.0f * 10.0f);
        EXPECT_FLOAT_EQ(right.halfWidth, i / 4.0f * 10.0f);
        EXPECT_FLOAT_EQ(left.x, static_cast<float>(i + 1));  // sample
        EXPECT_FLOAT_EQ(left.z, static_cast<float>(i));      // the one before it
    }
    EXPECT_FLOAT_EQ(ribbon[8].x, 9.0f);
    EXPECT_FLOAT_EQ(ribbon[8].z, 5.0f);
    EXPECT_FLOAT_EQ(ribbon[8].halfWidth, -10.0f);
    EXPECT_FLOAT_EQ(ribbon[9].halfWidth, 10.0f);
}

TEST(GlowTrail, invisibleSamplesLeaveAGap) {
    GlowTrail trail = makeGlow(10);
    // Samples 1-5 visible, 6-8 recorded while landed, 9-11 visible: eleven samples fill the ring.
    for (int k = 1; k <= 11; ++k) {
        trail.setVisibility(k < 6 || k > 8);
        trail.update({static_cast<float>(k), 0.0f}, 20);
    }
    std::vector<float> segmentEnds;
    std::vector<GlowVertex> ribbon = trail.ribbon({12.0f, 0.0f});
    for (size_t v = 0; v < ribbon.size(); v += 2) segmentEnds.push_back(ribbon[v].x);
    // Segments ending at 6, 7, 8 and 9 are gone: the three samples plus one segment each side.
    EXPECT_EQ(segmentEnds, (std::vector<float>{2.0f, 3.0f, 4.0f, 5.0f, 10.0f, 11.0f, 12.0f}));
}

TEST(GlowTrail, invisibleNewestSampleDropsTheHeadSegment) {
    GlowTrail trail = makeGlow(3);
    trail.update({1.0f, 0.0f}, 20);
    trail.setVisibility(false);
    trail.update({2.0f, 0.0f}, 20);
    std::vector<GlowVertex> ribbon = trail.ribbon({3.0f, 0.0f});
    // The segment into the invisible newest sample and the head segment are gone.
    ASSERT_EQ(ribbon.size(), 4u);
    EXPECT_FLOAT_EQ(ribbon[0].x, 0.0f);
    EXPECT_FLOAT_EQ(ribbon[2].x, 1.0f);
}

TEST(GlowTrail, drawsWithoutGlErrors) {
    ensureGlContext();
    GlowTrail trail = makeGlow(20);
    for (int k = 0; k < 30; ++k) trail.update({static_cast<float>(k), 1.0f}, 25);
    EXPECT_EQ(captureOutput([&] { trail.draw({40.0f, 1.0f}); }), "");
}

TEST(SmokeTrail, catchesUpAfterLongFrames) {
    SmokeTrail trail = makeSmoke(70, 20);
    trail.update({1.0f, 0.0f}, 50, {0.5f, 0.0f}, 4);
    EXPECT_EQ(trail.head, 2u);
    EXPECT_EQ(trail.elapsed, 10);
    trail.update({2.0f, 0.0f}, 50, {0.5f, 0.0f}, 4);
    EXPECT_EQ(trail.head, 5u);
    EXPECT_EQ(trail.elapsed, 0);
    for (unsigned s = 1; s <= 5; ++s) {
        EXPECT_FLOAT_EQ(trail.points[s].x, s <= 2 ? 1.0f : 2.0f);
        EXPECT_EQ(trail.counts[s], 4u);
        EXPECT_FLOAT_EQ(trail.velocities[s].x, 0.5f);
        EXPECT_GE(trail.randomValues[s], 0.0f);
        EXPECT_LT(trail.randomValues[s], 1000.0f);
    }
}

TEST(SmokeTrail, nonPositiveIntervalStillEnds) {
    SmokeTrail trail = makeSmoke(5, 0);
    trail.update({1.0f, 0.0f}, 16, {0.0f, 0.0f}, 2);
    EXPECT_EQ(trail.head, 1u);
}

TEST(SmokeTrail, puffsAgeFromTheOldestAndSkipInvisibleOnes) {
    SmokeTrail trail = makeSmoke(4, 15);
    for (int k = 1; k <= 5; ++k) trail.update({static_cast<float>(k), 0.0f}, 15, {0.0f, 0.0f}, 3);
    trail.update({6.0f, 0.0f}, 5, {0.0f, 0.0f}, 3);  // 5 ms towards the next puff
    std::vector<SmokePuff> puffs = trail.puffs();
    ASSERT_EQ(puffs.size(), 5u);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_FLOAT_EQ(puffs[i].time, static_cast<float>(4 * 15 + 5 - 15 * i));
        EXPECT_FLOAT_EQ(puffs[i].lifetime, i / 4.0f);
        EXPECT_FLOAT_EQ(puffs[i].position.x, static_cast<float>(i + 1));
    }

    trail.setVisibility(false);
    trail.update({7.0f, 0.0f}, 10, {0.0f, 0.0f}, 0);
    // The invisible newest puff and the one after it in the walk (the oldest, whose slot
    // comes right after it in the ring) are both left out.
    puffs = trail.puffs();
    ASSERT_EQ(puffs.size(), 3u);
    EXPECT_FLOAT_EQ(puffs.front().position.x, 3.0f);
    EXPECT_FLOAT_EQ(puffs.back().position.x, 5.0f);
}

struct DepthCase {
    unsigned j;
    unsigned count;
    float depth;
};

class ParticleDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(ParticleDepth, spreadsOverOneWithEvenOnesBehind) {
    const DepthCase& c = GetParam();
    float z = SmokeTrail::particleDepth(c.j, c.count);
    EXPECT_TRUE(std::isfinite(z));
    EXPECT_FLOAT_EQ(z, c.depth);
}

INSTANTIATE_TEST_SUITE_P(Counts, ParticleDepth,
                         ::testing::Values(DepthCase{0, 1, 100.0f},  // a lone particle: no spread to divide
                                           DepthCase{0, 2, 100.0f}, DepthCase{1, 2, 1.0f},
                                           DepthCase{1, 3, 0.5f}, DepthCase{2, 3, 101.0f},
                                           DepthCase{3, 5, 0.75f}));

TEST(SmokeTrail, drawsCountsOfZeroAndOneWithoutGlErrors) {
    ensureGlContext();
    SmokeTrail trail = makeSmoke(10, 15);
    for (int k = 0; k < 12; ++k) trail.update({static_cast<float>(k), 0.0f}, 15, {0.1f, 0.0f}, k % 3);
    EXPECT_EQ(captureOutput([&] { trail.draw({0.0f, 0.0f}); }), "");
}

TEST(SmokeTrail, drawsThroughTheShippedPrograms) {
    ensureGlContext();
    ShaderList shaders;
    captureOutput([&] {
        for (const char* name : {"smokeTrail", "glowTrail"}) shaders.insertShader(name, shippedDataDirectory());
        for (const char* uniform : {"velocity", "size", "particleSize", "spinSpeed", "time", "position", "rand",
                                    "lifetime", "smoke", "color"})
            shaders.insertUniform("smokeTrail", uniform, uniform);
    });
    SmokeTrail smoke;
    GlowTrail glow;
    std::string built = captureOutput([&] {
        smoke = SmokeTrail(8, {0.0f, 0.0f}, 15, 10.0f, 0.0f, 1.0f, 1.0f, 50.0f, 23.0f, 0.0006f, 0, 0, shaders);
        glow = GlowTrail(8, {0.0f, 0.0f}, 20, 10.0f, 0.0f, 1.0f, 1.0f, shaders);
    });
    EXPECT_EQ(built, "");
    EXPECT_NE(smoke.shader, 0);
    EXPECT_NE(glow.shader, 0);
    EXPECT_NE(smoke.positionUniform, -1);
    EXPECT_NE(smoke.timeUniform, -1);
    for (int k = 0; k < 10; ++k) {
        smoke.update({static_cast<float>(k), 0.0f}, 15, {0.1f, 0.0f}, static_cast<unsigned>(k % 3));
        glow.update({static_cast<float>(k), 0.0f}, 20);
    }
    std::string drawn = captureOutput([&] {
        smoke.draw({10.0f, 0.0f});
        glow.draw({10.0f, 0.0f});
        reportError();
    });
    EXPECT_EQ(drawn, "");
}

namespace {

// The player's smoke (70 puffs of 10 or 20 particles) over a grey screen, drawn through the
// "smokeTrail" program found in `directory`, after the ship flew a curve and hung still a while.
std::vector<unsigned char> smokePicture(const std::string& directory, unsigned cloud, unsigned colours,
                                        float viewHeight) {
    constexpr int WIDTH = 320, HEIGHT = 256;
    ShaderList shaders;
    captureOutput([&] { shaders.insertShader("smokeTrail", directory); });
    for (const char* name : {"velocity", "size", "particleSize", "spinSpeed", "time", "position", "rand", "lifetime",
                             "smoke", "color"})
        shaders.insertUniform("smokeTrail", name, name);
    std::srand(77);
    SmokeTrail trail(70, {0.0f, 0.0f}, 15, 10.0f, 0.0f, 1.0f, 1.0f, 50.0f, 23.0f, 0.0006f, cloud, colours, shaders);
    for (int frame = 0; frame < 90; ++frame) {
        const float t = static_cast<float>(frame);
        const bool burning = frame % 30 < 20;
        trail.update({std::sin(t * 0.05f) * 300.0f, t * 6.0f}, 16, {0.1f, burning ? -0.6f : -0.2f},
                     burning ? 20u : 10u);
    }
    glViewport(0, 0, WIDTH, HEIGHT);
    glClearColor(0.2f, 0.25f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    CameraView::forGame({0.0f, 400.0f}, viewHeight, 1.0f, 1.0f, static_cast<float>(WIDTH) / HEIGHT, WIDTH, HEIGHT)
        .apply();
    trail.draw({0.0f, 0.0f});
    return readScreen(WIDTH, HEIGHT);
}

}  // namespace

// The shipped smoke looks its tint up once per vertex instead of once per pixel: the picture must
// stay that of the per-pixel look-up (kept in tests/reference), near and far.
TEST(SmokeTrail, drawsAsTheTintPerPixelDrawingDid) {
    ensureGlContext();
    const unsigned cloud = loadSingleTexture(shippedDataDirectory() + "cloud.png", 1);
    const unsigned colours = loadSingleTexture(shippedDataDirectory() + "smokeColors.png", 1);
    ASSERT_NE(cloud, 0u);
    ASSERT_NE(colours, 0u);
    for (float viewHeight : {4000.0f, 1200.0f, 300.0f}) {
        SCOPED_TRACE(viewHeight);
        const PictureDifference d = comparePictures(smokePicture(referenceShaderDirectory(), cloud, colours, viewHeight),
                                                    smokePicture(shippedDataDirectory(), cloud, colours, viewHeight));
        EXPECT_LE(d.largest, 2);
        EXPECT_LT(d.farOffShare, 0.001);
        EXPECT_GT(d.lit, 1000) << "the smoke should show";
    }
    GLint blendSource = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);
    EXPECT_EQ(blendSource, GL_SRC_ALPHA);
    glDeleteTextures(1, &cloud);
    glDeleteTextures(1, &colours);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
