// The one-pass background must look like the two blended quads it replaces, wherever the camera
// is: mid-world, at the world's corner, zoomed far out (the dust minified onto its mipmaps), and
// lifted so high that the far plane clips the nebula. It must also leave the state the rest of
// the frame relies on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "background.h"
#include "camera.h"
#include "glHeaders.h"
#include "hud.h"
#include "testSupport.h"
#include "textures.h"

namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 256;

class BackgroundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        savedTextures.swap(textures);
        textures.assign(24, 0);
        const std::string data = shippedDataDirectory();
        textures[SLOT_DUST] = loadSingleTexture(data + "dust.png", 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        textures[SLOT_NEBULA] = loadSingleTexture(data + "background2.png", 0);
        glViewport(0, 0, WIDTH, HEIGHT);
    }

    void TearDown() override {
        for (unsigned texture : textures)
            if (texture) glDeleteTextures(1, &texture);
        textures.swap(savedTextures);
    }

    static CameraView view(point centre, float viewHeight, float depth) {
        return CameraView::forGame(centre, viewHeight, depth, 1.0f, static_cast<float>(WIDTH) / HEIGHT, WIDTH,
                                   HEIGHT);
    }

    // The frame's state when the background is drawn: a cleared screen, blending over, glyph
    // texturing replacing colours.
    static void frameStart(const CameraView& camera) {
        const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        startPicture(WIDTH, HEIGHT, black, GL_ONE_MINUS_SRC_ALPHA);
        camera.apply();
    }

    static std::vector<unsigned char> screen() { return readScreen(WIDTH, HEIGHT); }

    // Pixels of the layer-by-layer picture and of the one-pass picture.
    static std::pair<std::vector<unsigned char>, std::vector<unsigned char>> bothPictures(const CameraView& camera,
                                                                                       const BackgroundPass& pass) {
        frameStart(camera);
        drawBackground();
        std::vector<unsigned char> layered = screen();
        frameStart(camera);
        pass.draw(camera);
        return {layered, screen()};
    }

    std::vector<unsigned> savedTextures;
};

struct Difference {
    int largest = 0;
    double farOffShare = 0.0;  // share of channels more than 3 levels apart
    long brightness = 0;       // sum of all channels of the second picture
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Difference d;
    long farOff = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int gap = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        d.largest = std::max(d.largest, gap);
        if (gap > 3) ++farOff;
        d.brightness += b[i];
    }
    d.farOffShare = static_cast<double>(farOff) / static_cast<double>(a.size());
    return d;
}

TEST_F(BackgroundTest, OnePassLooksLikeTheLayers) {
    BackgroundPass pass;
    ASSERT_TRUE(pass.usable()) << "the driver should build the background program";
    struct Case {
        const char* name;
        point centre;
        float viewHeight;
        float depth;
    };
    const Case cases[] = {
        {"start", {0.0f, 0.0f}, 4000.0f, 1.0f},
        {"mid-world", {31234.5f, -18765.25f}, 4000.0f, 1.0f},
        {"world corner", {99000.0f, -99500.0f}, 4000.0f, 1.0f},
        {"zoomed in", {500.0f, 700.0f}, 4000.0f / 6.0f, 1.0f},
        {"zoomed out: dust minified", {-5000.0f, 12000.0f}, 4000.0f * 9.0f, 1.0f},
        {"zoomed far out past the nebula", {90000.0f, 90000.0f}, 4000.0f * 40.0f, 1.0f},
        {"eye lowered", {2000.0f, 2000.0f}, 4000.0f, 0.4f},
        {"eye raised: nebula clipped", {2000.0f, 2000.0f}, 4000.0f, 12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pictures = bothPictures(view(c.centre, c.viewHeight, c.depth), pass);
        Difference d = compare(pictures.first, pictures.second);
        // Sampling positions differ by rounding only (a level or two); an edge pixel may differ more.
        EXPECT_LT(d.farOffShare, 0.002);
        EXPECT_LE(d.largest, 16);
        EXPECT_GT(d.brightness, 0) << "the background should not be black";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Most frames take the program for both layers alone, which leaves the masks out; views that
// reach past a layer's edge are cut into regions, each drawn by the cheapest program for it. The
// picture must be the masked program's wherever the cuts fall.
TEST_F(BackgroundTest, EveryRegionDrawsWhatTheMasksWould) {
    BackgroundPass pass;
    ASSERT_TRUE(pass.usable());
    struct Case {
        const char* name;
        point centre;
        float viewHeight;
        float depth;
        bool plain;
    };
    // The world's edge lies at 100000; at the start's zoom the view reaches 2500 to each side.
    const Case cases[] = {
        {"start", {0.0f, 0.0f}, 4000.0f, 1.0f, true},
        {"mid-world", {31234.5f, -18765.25f}, 4000.0f, 1.0f, true},
        {"zoomed in", {500.0f, 700.0f}, 4000.0f / 6.0f, 1.0f, true},
        {"eye lowered", {2000.0f, 2000.0f}, 4000.0f, 0.4f, true},
        {"just inside the edge", {97400.0f, -97900.0f}, 4000.0f, 1.0f, true},
        {"across the edge", {98000.0f, 0.0f}, 4000.0f, 1.0f, false},
        {"world corner", {99000.0f, -99500.0f}, 4000.0f, 1.0f, false},
        {"zoomed far out past the nebula", {90000.0f, 90000.0f}, 4000.0f * 40.0f, 1.0f, false},
        {"eye raised: nebula clipped", {2000.0f, 2000.0f}, 4000.0f, 12.0f, false},
        {"the whole world", {0.0f, 0.0f}, 200000.0f, 1.0f, false},
        {"the whole world, off centre", {61234.0f, -33321.0f}, 150000.0f, 1.0f, false},
        {"past the world, the nebula's edge in view", {-99000.0f, 98000.0f}, 60000.0f, 1.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CameraView camera = view(c.centre, c.viewHeight, c.depth);
        EXPECT_EQ(pass.drawsPlain(camera), c.plain);
        frameStart(camera);
        pass.drawMasked(camera);
        const std::vector<unsigned char> masked = screen();
        frameStart(camera);
        pass.draw(camera);
        // The same texels and sums. Clamped to the edge the nebula takes the rasteriser's
        // 8-bit filtering path, whose weights may round a level or two the other way.
        EXPECT_LE(compare(masked, screen()).largest, 2);
    }
    glDeleteTextures(1, &textures[SLOT_NEBULA]);
    textures[SLOT_NEBULA] = 0;
    EXPECT_FALSE(pass.drawsPlain(view({0.0f, 0.0f}, 4000.0f, 1.0f))) << "a missing image is drawn plain-coloured";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(BackgroundTest, PassLeavesTheFrameStateAsItFoundIt) {
    BackgroundPass pass;
    ASSERT_TRUE(pass.usable());
    frameStart(view({0.0f, 0.0f}, 4000.0f, 1.0f));
    pass.draw(view({0.0f, 0.0f}, 4000.0f, 1.0f));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint value = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_SAMPLER_BINDING, &value);
    EXPECT_EQ(value, 0) << "sprites drawn next must use their textures' own filtering";
    glActiveTexture(GL_TEXTURE1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_SAMPLER_BINDING, &value);
    EXPECT_EQ(value, 0) << "the second unit's sampler too";
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// An image that failed to load leaves its layer untextured: drawn in the current colour, by
// both paths alike.
TEST_F(BackgroundTest, MissingImagesAreDrawnUntexturedByBothPaths) {
    BackgroundPass pass;
    ASSERT_TRUE(pass.usable());
    const CameraView camera = view({2000.0f, -1500.0f}, 4000.0f, 1.0f);
    glColor4f(0.2f, 0.5f, 0.9f, 0.6f);
    const auto imagesPictures = bothPictures(camera, pass);
    const long withImages = compare(imagesPictures.first, imagesPictures.second).brightness;

    struct Case {
        const char* name;
        int slot;
    };
    std::vector<unsigned char> last;
    for (const Case& c : {Case{"nebula missing", SLOT_NEBULA}, Case{"dust missing too", SLOT_DUST}}) {
        SCOPED_TRACE(c.name);
        glDeleteTextures(1, &textures[c.slot]);
        textures[c.slot] = 0;
        glColor4f(0.2f, 0.5f, 0.9f, 0.6f);
        auto pictures = bothPictures(camera, pass);
        Difference d = compare(pictures.first, pictures.second);
        EXPECT_LT(d.farOffShare, 0.002);
        EXPECT_LE(d.largest, 16);
        EXPECT_NE(d.brightness, withImages);
        last = pictures.second;
    }
    // Both layers plain: the colour at 60 percent over black, and again at 60 percent over that.
    const size_t middle = (static_cast<size_t>(HEIGHT / 2) * WIDTH + WIDTH / 2) * 3;
    ASSERT_EQ(last.size(), static_cast<size_t>(WIDTH) * HEIGHT * 3);
    EXPECT_NEAR(last[middle], 0.2 * 0.84 * 255, 2.0);
    EXPECT_NEAR(last[middle + 1], 0.5 * 0.84 * 255, 2.0);
    EXPECT_NEAR(last[middle + 2], 0.9 * 0.84 * 255, 2.0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(CameraViewTest, PlanesOutsideTheFrustumAreClipped) {
    CameraView camera = CameraView::forGame({0.0f, 0.0f}, 4000.0f, 1.0f, 1.0f, 1.25f, 1280, 1024);
    float halfWidth = 0.0f, halfHeight = 0.0f;
    ASSERT_TRUE(camera.halfExtentsAt(0.0f, halfWidth, halfHeight));
    // The world plane lies just beyond the near plane: the zoom's own extents, a little wider.
    EXPECT_NEAR(halfHeight, 2000.2f, 0.01f);
    EXPECT_NEAR(halfWidth, 2500.25f, 0.01f);
    ASSERT_TRUE(camera.halfExtentsAt(NEBULA_DEPTH, halfWidth, halfHeight));
    EXPECT_NEAR(halfHeight, 2000.0f * 110001.0f / 10000.0f, 0.5f);
    EXPECT_FALSE(camera.halfExtentsAt(1000.0f, halfWidth, halfHeight)) << "in front of the near plane";
    camera = CameraView::forGame({0.0f, 0.0f}, 4000.0f, 12.0f, 1.0f, 1.25f, 1280, 1024);
    EXPECT_FALSE(camera.halfExtentsAt(NEBULA_DEPTH, halfWidth, halfHeight)) << "beyond the far plane";
    EXPECT_TRUE(camera.halfExtentsAt(0.0f, halfWidth, halfHeight));
}

}  // namespace
