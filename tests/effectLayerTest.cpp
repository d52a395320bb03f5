// The soft effects drawn through the reduced-resolution layer, and the explosions as one square
// each, against the same effects drawn directly, over zooms from the widest stop to the closest,
// at the game's window size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "basics.h"
#include "camera.h"
#include "effectLayer.h"
#include "glHeaders.h"
#include "pixelProbe.h"
#include "player.h"
#include "shaderList.h"
#include "smokeTrail.h"
#include "testSupport.h"
#include "textures.h"
#include "timer.h"
#include "timerClasses.h"
#include "twinSquares.h"
#include "worldState.h"
#include "wormhole.h"

namespace {
constexpr float BACKDROP[4] = {0.2f, 0.25f, 0.3f, 1.0f};
// Views from the widest stop (the whole world) to the closest (the ship fills half the height).
const float VIEW_HEIGHTS[] = {200000.0f, 4000.0f, 1500.0f, 800.0f, 400.0f, 250.0f, 160.0f};

TEST(EffectLayer, ReducesOnlyWhereTheFeatureStaysManyLayerPixelsWide) {
    struct Case {
        float feature, pixelSize;
        int factor;
    } cases[] = {
        {20.0f, 4.0f, 1},     // 5 pixels: drawn directly
        {20.0f, 1.0f, 1},     // 20 pixels: halving would leave 10
        {30.0f, 1.0f, 2},     // 30 pixels: 15 at half resolution, enough for a soft edge
        {40.0f, 1.0f, 2},     // 40 pixels: 20 at half resolution, 10 at a quarter
        {80.0f, 1.0f, 4},
        {300.0f, 1.0f, 16},
        {1000.0f, 1.0f, 32},
        {100000.0f, 1.0f, 32},  // never beyond a thirty-second
        {20.0f, 0.0f, 1},     // no pixel size known: directly
    };
    for (const Case& c : cases) EXPECT_EQ(EffectLayer::factorFor(c.feature, c.pixelSize), c.factor) << c.feature;
}

// Channel gaps between two pictures, counted where either differs from the bare backdrop.
struct Gap {
    int largest = 0;
    double mean = 0.0;
    long drawn = 0;  // channels where something was drawn
};

Gap compareDrawn(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                 const std::vector<unsigned char>& backdrop) {
    Gap gap;
    double sum = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == backdrop[i] && b[i] == backdrop[i]) continue;
        const int d = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        gap.largest = std::max(gap.largest, d);
        sum += d;
        ++gap.drawn;
    }
    if (gap.drawn) gap.mean = sum / static_cast<double>(gap.drawn);
    return gap;
}

// The effect drawn over the backdrop at the game's window size, seen around `look`.
std::vector<unsigned char> picture(point look, float viewHeight, const std::function<void()>& drawEffect) {
    startPicture(w, h, BACKDROP, GL_ONE);
    CameraView::forGame(look, viewHeight, 1.0f, 1.0f, static_cast<float>(w) / static_cast<float>(h), w, h).apply();
    drawEffect();
    return readScreen(w, h);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

float pixelSizeAt(float viewHeight) { return viewHeight * 1.0001f / static_cast<float>(h); }

// The player's smoke (70 puffs of 10 or 20 particles) after the ship flew a curve and hung still.
struct Smoke {
    ShaderList shaders;
    SmokeTrail trail;
    point still{0.0f, 0.0f};

    Smoke(unsigned cloud, unsigned colours) {
        captureOutput([&] { shaders.insertShader("smokeTrail", shippedDataDirectory()); });
        for (const char* name : {"velocity", "size", "particleSize", "spinSpeed", "time", "position", "rand",
                                 "lifetime", "smoke", "color"})
            shaders.insertUniform("smokeTrail", name, name);
        std::srand(77);
        trail = SmokeTrail(70, {0.0f, 0.0f}, 15, 10.0f, 0.0f, 1.0f, 1.0f, 50.0f, 23.0f, 0.0006f, cloud, colours,
                           shaders);
        for (int frame = 0; frame < 90; ++frame) {
            const float t = static_cast<float>(std::min(frame, 50));
            const bool burning = frame % 30 < 20;
            still = {std::sin(t * 0.05f) * 300.0f, t * 6.0f};
            trail.update(still, 16, {0.1f, burning ? -0.6f : -0.2f}, burning ? 20u : 10u);
        }
    }
};

TEST(EffectLayer, SmokeThroughTheLayerLooksAsDrawnDirectly) {
    OffscreenTarget target;
    const unsigned cloud = loadSingleTexture(shippedDataDirectory() + "cloud.png", 1);
    const unsigned colours = loadSingleTexture(shippedDataDirectory() + "smokeColors.png", 1);
    ASSERT_NE(cloud, 0u);
    ASSERT_NE(colours, 0u);
    Smoke smoke(cloud, colours);
    EffectLayer layer;
    int reduced = 0;
    for (float viewHeight : VIEW_HEIGHTS) {
        SCOPED_TRACE(viewHeight);
        const point look{smoke.still.x, smoke.still.y - viewHeight * 0.1f};
        layer.setPixelSize(pixelSizeAt(viewHeight));
        const int factor = layer.factorFor(smoke.trail.smallestParticle());
        if (factor > 1) ++reduced;
        const auto backdrop = picture(look, viewHeight, [] {});
        const auto direct = picture(look, viewHeight, [&] { smoke.trail.draw(smoke.still); });
        const auto layered = picture(look, viewHeight, [&] { smoke.trail.draw(smoke.still, &layer); });
        const Gap gap = compareDrawn(direct, layered, backdrop);
        std::printf("smoke, view height %g, layer at 1/%d: largest gap %d, mean %.3f over %ld channels\n",
                    viewHeight, factor, gap.largest, gap.mean, gap.drawn);
        // From the widest stop the whole trail is a few pixels.
        EXPECT_GT(gap.drawn, viewHeight > 100000.0f ? 0 : 1000) << "the smoke should show";
        EXPECT_LE(gap.largest, 24);
        EXPECT_LE(gap.mean, 2.0);
        // The additive pass goes on after the smoke with its own blending.
        GLint source = 0, destination = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
        EXPECT_EQ(source, GL_SRC_ALPHA);
        EXPECT_EQ(destination, GL_ONE);
    }
    EXPECT_GE(reduced, 3) << "the closer views should use the layer";
    glDeleteTextures(1, &cloud);
    glDeleteTextures(1, &colours);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Effects of several sizes nest: a finer layer takes on what the coarser one held, under what is
// drawn into it next, and laying it gives the frame both, even beyond the last box laid.
TEST(EffectLayer, FinerLayerCarriesWhatTheCoarserOneHeld) {
    OffscreenTarget target;
    EffectLayer layer;
    const float viewHeight = 400.0f;
    const point look{0.0f, 0.0f};
    const point redLow{-120.0f, -80.0f}, redHigh{20.0f, 80.0f};
    const point greenLow{-20.0f, -60.0f}, greenHigh{120.0f, 100.0f};
    const auto square = [](point low, point high, float red, float green) {
        glDisable(GL_TEXTURE_2D);
        glColor4f(red, green, 0.0f, 0.6f);
        glBegin(GL_QUADS);
        glVertex2f(low.x, low.y);
        glVertex2f(high.x, low.y);
        glVertex2f(high.x, high.y);
        glVertex2f(low.x, high.y);
        glEnd();
        glEnable(GL_TEXTURE_2D);
    };
    const auto backdrop = picture(look, viewHeight, [] {});
    const auto direct = picture(look, viewHeight, [&] {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        square(redLow, redHigh, 1.0f, 0.0f);
        square(greenLow, greenHigh, 0.0f, 1.0f);
    });
    bool began = false, refusedCoarser = false, refined = false;
    const auto nested = picture(look, viewHeight, [&] {
        began = layer.begin(4, EffectLayer::Over);
        square(redLow, redHigh, 1.0f, 0.0f);
        refusedCoarser = !layer.refine(4, redLow, redHigh) && !layer.refine(8, redLow, redHigh);
        refined = layer.refine(2, redLow, redHigh);
        square(greenLow, greenHigh, 0.0f, 1.0f);
        layer.end(greenLow, greenHigh);
    });
    EXPECT_TRUE(began);
    EXPECT_TRUE(refusedCoarser) << "only a finer layer can take on a coarser one";
    EXPECT_TRUE(refined);
    // Only the squares' edges differ (blurred by the layers); a lost square would differ over its
    // whole width by some 150 levels.
    const Gap gap = compareDrawn(direct, nested, backdrop);
    std::printf("nested layers: largest gap %d, mean %.3f over %ld channels\n", gap.largest, gap.mean, gap.drawn);
    EXPECT_GT(gap.drawn, 100000);
    EXPECT_LE(gap.mean, 2.0);

    // Additive layers are laid as they are: no nesting.
    picture(look, viewHeight, [&] {
        ASSERT_TRUE(layer.begin(4, EffectLayer::Additive));
        EXPECT_FALSE(layer.refine(2, redLow, redHigh));
        layer.end();
    });
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The player's exhaust as the frame draws it (the smoke at the start and the flame), with the
// shipped programs and images, through the layer and directly.
TEST(EffectLayer, FlameThroughTheLayerLooksAsDrawnDirectly) {
    TempDir dir;
    std::map<std::string, std::string> shaders;
    for (const char* name : {"shaders.xml", "flameExhaust.vs", "flameExhaust.fs", "smokeTrail.vs", "smokeTrail.fs",
                             "glowTrail.vs", "glowTrail.fs", "wormhole.vs", "wormhole.fs", "explosion.vs", "explosion.fs"})
        shaders[name] = readFile(shippedDataDirectory() + name);
    writeContent(dir, shaders);
    OffscreenTarget target;
    ScopedTextureSlots slots;
    const unsigned flame = loadSingleTexture(shippedDataDirectory() + "flame.tga", 1);
    const unsigned cloud = loadSingleTexture(shippedDataDirectory() + "cloud.png", 1);
    const unsigned colours = loadSingleTexture(shippedDataDirectory() + "smokeColors.png", 1);
    slots.set(17, flame);
    slots.set(21, cloud);
    slots.set(22, colours);
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    Player& player = *universe->player;
    player.setPosition({0.0f, 0.0f});
    EffectLayer layer;
    int reduced = 0;
    // As it starts, and turned, so that the box the flame's layer is laid over turns with it.
    const float startHeading = (90.0f - player.getAngle()) / 57.2958f;
    for (float heading : {startHeading, 0.4f})
        for (float viewHeight : VIEW_HEIGHTS) {
            SCOPED_TRACE(viewHeight);
            player.setAngle(heading);
            // The flame points away from the nose: look just behind the ship.
            const point look = heading == startHeading ? point{0.0f, -viewHeight * 0.2f} : point{0.0f, 0.0f};
            layer.setPixelSize(pixelSizeAt(viewHeight));
            if (layer.factorFor(Player::FLAME_DETAIL) > 1) ++reduced;
            const auto backdrop = picture(look, viewHeight, [] {});
            const auto direct = picture(look, viewHeight, [&] { player.drawTrail(1234, *universe); });
            const auto layered = picture(look, viewHeight, [&] { player.drawTrail(1234, *universe, &layer); });
            const Gap gap = compareDrawn(direct, layered, backdrop);
            std::printf("exhaust, heading %.2f, view height %g, flame layer at 1/%d: largest gap %d, mean %.3f over %ld channels\n",
                        heading, viewHeight, layer.factorFor(Player::FLAME_DETAIL), gap.largest, gap.mean, gap.drawn);
            // From afar the flame is a few pixels or none.
            if (viewHeight <= 1500.0f) {
                EXPECT_GT(gap.drawn, 100) << "the flame should show";
            }
            EXPECT_LE(gap.largest, 24);
            EXPECT_LE(gap.mean, 2.0);
        }
    EXPECT_GE(reduced, 2) << "the closest views should use the layer";
    for (unsigned texture : {flame, cloud, colours}) glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
}  // namespace

namespace {
// The wormhole next to the player, as the additive pass draws it, through the layer and directly:
// from the widest stop, where it is a dot, to the closest, where a few rings fill the screen.
TEST(EffectLayer, WormholeThroughTheLayerLooksAsDrawnDirectly) {
    OffscreenTarget target;
    ScopedTextureSlots slots;
    const unsigned flame = loadSingleTexture(shippedDataDirectory() + "flame.tga", 1);
    slots.set(17, flame);
    ShaderList shaders;
    captureOutput([&] { shaders.insertShader("wormhole", shippedDataDirectory()); });
    shaders.insertUniform("wormhole", "time", "time");
    shaders.insertUniform("wormhole", "radius", "radius");
    const Wormhole hole(0, {1000.0f, -2000.0f}, 350.0f, 1, {0.0f, 0.0f}, shaders);
    EffectLayer layer;
    int reduced = 0;
    for (float viewHeight : VIEW_HEIGHTS) {
        SCOPED_TRACE(viewHeight);
        // Off the centre, so that the throat, where the rings crowd together, and the rim show.
        const point look{1000.0f + viewHeight * 0.3f, -1980.0f + viewHeight * 0.1f};
        layer.setPixelSize(pixelSizeAt(viewHeight));
        const int factor = Wormhole::layerFactor(layer);
        if (factor > 1) ++reduced;
        const auto backdrop = picture(look, viewHeight, [] {});
        const auto direct = picture(look, viewHeight, [&] { hole.draw(4321); });
        const auto layered = picture(look, viewHeight, [&] { hole.draw(4321, &layer); });
        const Gap gap = compareDrawn(direct, layered, backdrop);
        std::printf("wormhole, view height %g, layer at 1/%d: largest gap %d, mean %.3f over %ld channels\n",
                    viewHeight, factor, gap.largest, gap.mean, gap.drawn);
        EXPECT_GT(gap.drawn, 0) << "the wormhole should show";
        EXPECT_LE(gap.largest, 24);
        EXPECT_LE(gap.mean, 2.0);
    }
    EXPECT_GE(reduced, 4) << "the views where the mouth is large should use the layer";
    // Wholly out of view, nothing is drawn, through the layer or not.
    const auto backdrop = picture({-5000.0f, 0.0f}, 800.0f, [] {});
    const Gap away = compareDrawn(backdrop, picture({-5000.0f, 0.0f}, 800.0f, [&] { hole.draw(4321, &layer); }), backdrop);
    EXPECT_EQ(away.drawn, 0);
    glDeleteTextures(1, &flame);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
}  // namespace

namespace {
// A battle's explosions as the additive pass draws them: every age (so every size), some piled on
// one spot where they saturate, drawn as one square each through the explosion program and as
// the two turned squares each.
TEST(TwinSquares, ExplosionsAsOneSquareLookAsTwoTurnedSquares) {
    OffscreenTarget target;
    ScopedTextureSlots slots;
    const unsigned blast = loadSingleTexture(shippedDataDirectory() + "explosion.png", 1);
    ASSERT_NE(blast, 0u);
    slots.set(3, blast);
    ShaderList shaders;
    captureOutput([&] { shaders.insertShader("explosion", shippedDataDirectory()); });
    TwinSquares twin;
    twin.useProgramOf(shaders);
    ASSERT_NE(twin.program(), 0) << "the shipped program should link";
    const float reach = twin.reach(blast);
    EXPECT_LT(reach, 1.0f) << "the shipped explosion's picture lies within a disc inside its square";
    const int now = 50000;
    WorldState world("test", 1000);
    std::srand(91);
    for (int i = 0; i < 300; ++i) {
        const point where = i % 10 == 0 ? point{30.0f, 10.0f}
                                        : point{static_cast<float>(std::rand() % 1200 - 600),
                                                static_cast<float>(std::rand() % 900 - 450)};
        standardExplosion(where, world, now - std::rand() % 990);
    }
    for (float viewHeight : {200000.0f, 8000.0f, 4000.0f, 2500.0f, 1500.0f, 800.0f, 400.0f, 160.0f}) {
        SCOPED_TRACE(viewHeight);
        const point look{20.0f, 0.0f};
        auto explode = [&](TwinSquares* through) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            runTimer(now, world, through);
        };
        const auto backdrop = picture(look, viewHeight, [] {});
        const auto squares = picture(look, viewHeight, [&] { explode(nullptr); });
        const auto single = picture(look, viewHeight, [&] { explode(&twin); });
        const Gap gap = compareDrawn(squares, single, backdrop);
        std::printf("explosions, view height %g: largest gap %d, mean %.3f over %ld channels\n", viewHeight,
                    gap.largest, gap.mean, gap.drawn);
        EXPECT_GT(gap.drawn, 0) << "the explosions should show";
        EXPECT_LE(gap.largest, 24);
        EXPECT_LE(gap.mean, 2.0);
        GLint current = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(current, 0) << "the fixed-function drawing goes on after them";
    }
    EXPECT_EQ(world.timers.size(), 300u);
    glDeleteTextures(1, &blast);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(TwinSquares, ReachCoversEveryTexelWithAlphaAndNoProgramMeansSquares) {
    // 8 x 8, alpha only in the four central texels: their far corners lie a quarter of the
    // half-width out along both axes.
    std::vector<unsigned char> alpha(64, 0);
    for (int y : {3, 4})
        for (int x : {3, 4}) alpha[y * 8 + x] = 1;
    EXPECT_NEAR(TwinSquares::reachOf(alpha.data(), 8, 8), std::sqrt(0.125f) + 0.08f, 1e-4);
    // One texel in a corner needs the whole square at any turn.
    std::vector<unsigned char> corner(64, 0);
    corner[0] = 255;
    EXPECT_NEAR(TwinSquares::reachOf(corner.data(), 8, 8), 1.41422f, 1e-4);
    EXPECT_NEAR(TwinSquares::reachOf(nullptr, 0, 0), 1.41422f, 1e-4);
    // A program that did not link (or none) leaves the explosions to the two squares.
    OffscreenTarget target;
    TwinSquares twin;
    const GLuint unlinked = glCreateProgram();
    twin.setProgram(static_cast<int>(unlinked));
    EXPECT_EQ(twin.program(), 0);
    twin.setProgram(0);
    EXPECT_EQ(twin.program(), 0);
    glDeleteProgram(unlinked);
}
}  // namespace
