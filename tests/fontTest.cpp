// Tests of the bitmap font: glyph metrics, the centred box, what is drawn on screen, and fonts
// that cannot be built.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "font.h"
#include "glHeaders.h"
#include "testSupport.h"

namespace {

constexpr int VIEW_W = 320;
constexpr int VIEW_H = 256;

// Bounding box of the lit pixels of the frame buffer, in pixels from the lower left.
struct Box {
    int left = VIEW_W, bottom = VIEW_H, right = -1, top = -1;
    bool empty() const { return right < 0; }
    float centreX() const { return (left + right + 1) / 2.0f; }
    float centreY() const { return (bottom + top + 1) / 2.0f; }
};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        font = std::make_unique<Font>(shippedDataDirectory() + "subatomic.quillory.ttf");
        ASSERT_TRUE(font->isReady());
    }

    // Clears the screen and sets a pixel projection with white text blended onto black.
    static void beginFrame() {
        glViewport(0, 0, VIEW_W, VIEW_H);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, VIEW_W, 0, VIEW_H);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 1);
    }

    static Box litBox() {
        std::vector<unsigned char> pixels(VIEW_W * VIEW_H * 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, VIEW_W, VIEW_H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        Box box;
        for (int y = 0; y < VIEW_H; ++y)
            for (int x = 0; x < VIEW_W; ++x) {
                if (pixels[(y * VIEW_W + x) * 4] < 128) continue;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y);
            }
        return box;
    }

    std::unique_ptr<Font> font;
};

TEST_F(FontTest, MetricsFollowTheGlyphs) {
    const metrics& a = letterMetrics['A'];
    EXPECT_EQ(a.xMin, a.bitmapLeft * 64);
    EXPECT_EQ(a.yMax, a.bitmapTop * 64);
    EXPECT_GT(a.xMax, a.xMin);
    EXPECT_GT(a.yMax, a.yMin);
    // Rendered at 300 pixels: a capital is well over a hundred pixels tall.
    EXPECT_GT(a.yMax - a.yMin, 150 * 64);
    EXPECT_GT(a.advance, 0);
    // Every glyph has its own texture.
    for (int i = 0; i < 128; ++i) EXPECT_NE(letterTextures[i], 0u) << i;
}

TEST_F(FontTest, SpaceAdvancesWithAnEmptyBitmap) {
    const metrics& space = letterMetrics[' '];
    EXPECT_GT(space.advance, 0);
    EXPECT_EQ(space.xMax, space.xMin);
    EXPECT_EQ(space.yMax, space.yMin);
    glBindTexture(GL_TEXTURE_2D, letterTextures[' ']);
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(width, 0);
    // A space between two letters only moves the second one.
    EXPECT_FLOAT_EQ(Font::textWidth("A B", 1.0f),
                    (letterMetrics['A'].advance + space.advance + letterMetrics['B'].xMax) * 0.0001f);
}

TEST_F(FontTest, CentringBoxUsesAdvancesAndTheLastRightEdge) {
    const float size = 2.0f;
    const float s = size * 0.0001f;
    EXPECT_FLOAT_EQ(Font::textWidth("A", size), letterMetrics['A'].xMax * s);
    EXPECT_FLOAT_EQ(Font::textWidth("AB", size), (letterMetrics['A'].advance + letterMetrics['B'].xMax) * s);
    EXPECT_FLOAT_EQ(Font::textHeight(size), (letterMetrics['A'].yMax - letterMetrics['A'].yMin) * s);
    EXPECT_FLOAT_EQ(Font::textWidth("", size), 0.0f);
    // Characters without a glyph are left out of the box as they are left out of the drawing.
    EXPECT_FLOAT_EQ(Font::textWidth("A\xC3\xA9", size), Font::textWidth("A", size));
}

TEST_F(FontTest, CentredLetterIsCentredBothWays) {
    beginFrame();
    // About a hundred pixels tall.
    const float size = 100.0f / ((letterMetrics['A'].yMax - letterMetrics['A'].yMin) * 0.0001f);
    font->displayText("A", 160.0f, 128.0f, size, true);
    Box box = litBox();
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.centreX(), 160.0f, 3.0f);
    EXPECT_NEAR(box.centreY(), 128.0f, 3.0f);
    EXPECT_NEAR(box.top - box.bottom + 1, 100, 4);
}

TEST_F(FontTest, CentredPairSpansAdvancePlusRightEdge) {
    beginFrame();
    const float size = 60.0f / ((letterMetrics['A'].yMax - letterMetrics['A'].yMin) * 0.0001f);
    font->displayText("AB", 160.0f, 128.0f, size, true);
    Box box = litBox();
    ASSERT_FALSE(box.empty());
    const float s = size * 0.0001f;
    const float width = Font::textWidth("AB", size);
    // The box starts at the pen; the ink starts at the left bearing of "A".
    EXPECT_NEAR(box.left, 160.0f - width / 2 + letterMetrics['A'].xMin * s, 3.0f);
    EXPECT_NEAR(box.right + 1, 160.0f + width / 2, 3.0f);
    EXPECT_NEAR(box.centreY(), 128.0f, 3.0f);
}

TEST_F(FontTest, TextStartsAtTheBaselineWhenNotCentred) {
    beginFrame();
    const float size = 50.0f / ((letterMetrics['A'].yMax - letterMetrics['A'].yMin) * 0.0001f);
    font->displayText("A", 20.0f, 30.0f, size, false);
    Box box = litBox();
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.bottom, 30, 2);
    EXPECT_NEAR(box.left, 20.0f + letterMetrics['A'].xMin * size * 0.0001f, 2.0f);
}

TEST_F(FontTest, NothingDrawnForEmptyOrUnknownText) {
    for (bool centred : {false, true}) {
        beginFrame();
        font->displayText("", 160.0f, 128.0f, 500.0f, centred);
        font->displayText("\xC3\xA9\xFF", 160.0f, 128.0f, 500.0f, centred);
        EXPECT_TRUE(litBox().empty());
    }
    // The matrix stack is left as it was.
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST(FontFailureTest, MissingFileLeavesFontNotReady) {
    ensureGlContext();
    std::unique_ptr<Font> font;
    std::string out = captureOutput([&] { font = std::make_unique<Font>("/nonexistent/font.ttf"); });
    EXPECT_EQ(out, "Error initializing face /nonexistent/font.ttf\n");
    EXPECT_FALSE(font->isReady());
    // Drawing with it is harmless and draws nothing.
    font->displayText("Hello", 10.0f, 10.0f, 1.0f, true);
}

TEST(FontFailureTest, FileThatIsNotAFontLeavesFontNotReady) {
    ensureGlContext();
    TempDir dir;
    dir.write("notAFont.ttf", "this is plain text, not a TrueType font\n");
    std::unique_ptr<Font> font;
    std::string out = captureOutput([&] { font = std::make_unique<Font>(dir.path() + "notAFont.ttf"); });
    EXPECT_EQ(out,
              "the font file could be opened and read, but it appears ... that its font format is unsupported\n");
    EXPECT_FALSE(font->isReady());
}

TEST(FontFailureTest, ShippedFontCarriesItsLicence) {
    std::ifstream licence(shippedDataDirectory() + "subatomic.quillory.LICENSE");
    std::stringstream text;
    text << licence.rdbuf();
    EXPECT_NE(text.str().find("Bitstream Vera"), std::string::npos);
}

TEST(FontFailureTest, FaceIsReleasedWithItsFont) {
    ensureGlContext();
    {
        Font font(shippedDataDirectory() + "subatomic.quillory.ttf");
        ASSERT_TRUE(font.isReady());
        EXPECT_NE(face, nullptr);
    }
    EXPECT_EQ(face, nullptr);
}

}  // namespace
