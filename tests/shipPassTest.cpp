// The ships' trails sent together must give the picture of every ship drawing its trail and
// then its sprite in turn: when the ships lie apart, when trails cross sprites drawn before
// them, and with sprites tinted by the colour the trail before them left.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "camera.h"
#include "glHeaders.h"
#include "glowTrail.h"
#include "ship.h"
#include "shaderList.h"
#include "shipPass.h"
#include "testSupport.h"
#include "textures.h"

namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 256;
constexpr float VIEW_HEIGHT = 1600.0f;

struct TestShip {
    GlowTrail trail;
    point position;
    float theta;
    float size;
};

class ShipPassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        captureOutput([&] { shaders.insertShader("glowTrail", shippedDataDirectory()); });
        texture = loadSingleTexture(shippedDataDirectory() + "shipFighter.png", 1);
        ASSERT_NE(texture, 0u);
    }
    void TearDown() override { glDeleteTextures(1, &texture); }

    // A ship that flew a curve ending at `end`; a trail of `samples` 0 records nothing.
    TestShip ship(point end, float turn, int samples, float red, float green, float blue) const {
        TestShip s{GlowTrail(samples, end, 20, 10.0f, red, green, blue, shaders), end, turn, 40.0f};
        for (int k = 30; k >= 0; --k) {
            const float t = static_cast<float>(k);
            s.trail.update({end.x - std::cos(turn + t * 0.05f) * t * 12.0f, end.y - std::sin(turn + t * 0.05f) * t * 12.0f},
                           20);
        }
        return s;
    }

    // A grey screen; textures modulate the current colour so that a sprite shows which colour
    // it was drawn in.
    static void start() {
        const float grey[4] = {0.2f, 0.25f, 0.3f, 1.0f};
        startPicture(WIDTH, HEIGHT, grey, GL_ONE_MINUS_SRC_ALPHA);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        CameraView::forGame({0.0f, 0.0f}, VIEW_HEIGHT, 1.0f, 1.0f, static_cast<float>(WIDTH) / HEIGHT, WIDTH, HEIGHT)
            .apply();
        glColor4f(0.9f, 0.8f, 0.7f, 1.0f);
    }

    std::vector<unsigned char> oneByOne(const std::vector<TestShip>& ships, float finalColour[4]) const {
        start();
        for (const TestShip& s : ships) {
            s.trail.draw(s.position);
            drawShipSprite(texture, s.position, s.theta, s.size);
        }
        glGetFloatv(GL_CURRENT_COLOR, finalColour);
        return readScreen(WIDTH, HEIGHT);
    }

    std::vector<unsigned char> together(const std::vector<TestShip>& ships, float finalColour[4],
                                        unsigned& calls) const {
        start();
        ShipPass pass(VIEW_HEIGHT / HEIGHT);
        for (const TestShip& s : ships) {
            pass.addTrail(s.trail, s.position);
            pass.addSprite(texture, s.position, s.theta, s.size);
        }
        pass.finish();
        calls = pass.trailCalls();
        glGetFloatv(GL_CURRENT_COLOR, finalColour);
        return readScreen(WIDTH, HEIGHT);
    }

    void expectSamePicture(const std::vector<TestShip>& ships, unsigned& calls) const {
        float expectedColour[4], colour[4];
        const std::vector<unsigned char> expected = oneByOne(ships, expectedColour);
        const PictureDifference d = comparePictures(expected, together(ships, colour, calls));
        EXPECT_EQ(d.largest, 0);
        EXPECT_GT(d.lit, 500) << "the ships should show";
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(colour[i], expectedColour[i]) << "channel " << i;
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    ShaderList shaders;
    unsigned texture = 0;
};

TEST_F(ShipPassTest, ShipsApartSendTheirTrailsInOneCall) {
    std::vector<TestShip> ships;
    for (int i = 0; i < 12; ++i) {
        const point end{-800.0f + static_cast<float>(i % 4) * 500.0f, -500.0f + static_cast<float>(i / 4) * 450.0f};
        ships.push_back(ship(end, static_cast<float>(i) * 0.2f, 20 + i, 0.2f + 0.06f * i, 1.0f - 0.05f * i, 0.5f));
    }
    unsigned calls = 0;
    expectSamePicture(ships, calls);
    EXPECT_EQ(calls, 1u);
}

// Each trail runs through the sprite of the ship before it, so it must wait for that sprite.
TEST_F(ShipPassTest, TrailsCrossingEarlierSpritesWaitForThem) {
    std::vector<TestShip> ships;
    for (int i = 0; i < 6; ++i)
        ships.push_back(ship({-300.0f + static_cast<float>(i) * 120.0f, 0.0f}, 0.0f, 30, 1.0f, 0.3f * i, 0.2f));
    unsigned calls = 0;
    expectSamePicture(ships, calls);
    EXPECT_GT(calls, 1u);
}

// A ship without a trail draws its sprite in the colour the trail before it left, and the
// current colour at the end is the last trail's.
TEST_F(ShipPassTest, SpritesKeepTheColourTheTrailBeforeThemLeft) {
    std::vector<TestShip> ships;
    ships.push_back(ship({-600.0f, 300.0f}, 1.0f, 0, 0.0f, 0.0f, 0.0f));
    ships.push_back(ship({-200.0f, 300.0f}, 0.5f, 25, 0.1f, 0.9f, 0.3f));
    ships.push_back(ship({200.0f, -300.0f}, 2.0f, 0, 0.0f, 0.0f, 0.0f));
    ships.push_back(ship({600.0f, -300.0f}, 3.0f, 25, 0.9f, 0.2f, 0.8f));
    ships.push_back(ship({600.0f, 400.0f}, 4.0f, 0, 0.0f, 0.0f, 0.0f));
    unsigned calls = 0;
    expectSamePicture(ships, calls);
}

}  // namespace
