// Tests of the bitmap font: glyph metrics, the centred box, what is drawn on screen (the atlas
// drawing against the one texture per glyph it replaced), and fonts that cannot be built.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
        pixelProjection(VIEW_W, VIEW_H);
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
    // Every glyph is drawn from the font's atlas, each from a place of its own size.
    for (int i = 0; i < 128; ++i) EXPECT_EQ(letterTextures[i], font->atlasTexture()) << i;
    EXPECT_NE(font->atlasTexture(), 0u);
    glBindTexture(GL_TEXTURE_2D, font->atlasTexture());
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    const GlyphRegion& region = font->region('A');
    EXPECT_NEAR((region.right - region.left) * width * 64.0f, a.xMax - a.xMin, 0.5f);
    EXPECT_NEAR((region.top - region.bottom) * height * 64.0f, a.yMax - a.yMin, 0.5f);
}

TEST_F(FontTest, SpaceAdvancesWithAnEmptyBitmap) {
    const metrics& space = letterMetrics[' '];
    EXPECT_GT(space.advance, 0);
    EXPECT_EQ(space.xMax, space.xMin);
    EXPECT_EQ(space.yMax, space.yMin);
    EXPECT_EQ(font->region(' ').right, font->region(' ').left) << "no texels for an empty bitmap";
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

// The drawing the atlas replaced: one texture per glyph (built here from the atlas's texels, as the
// font once uploaded them) bound and drawn one quad at a time.
class PerGlyphText {
public:
    explicit PerGlyphText(const Font& font) {
        glGenTextures(128, textures);
        glBindTexture(GL_TEXTURE_2D, font.atlasTexture());
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<unsigned char> atlas(static_cast<size_t>(width) * height * 2);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, atlas.data());
        for (int i = 0; i < 128; ++i) {
            const GlyphRegion& r = font.region(i);
            const int left = static_cast<int>(std::lround(r.left * width));
            const int bottom = static_cast<int>(std::lround(r.bottom * height));
            const int w = static_cast<int>(std::lround(r.right * width)) - left;
            const int h = static_cast<int>(std::lround(r.top * height)) - bottom;
            std::vector<unsigned char> glyph(static_cast<size_t>(w) * h * 2);
            for (int y = 0; y < h; ++y)
                std::copy_n(atlas.data() + (static_cast<size_t>(bottom + y) * width + left) * 2, w * 2,
                            glyph.data() + static_cast<size_t>(y) * w * 2);
            glBindTexture(GL_TEXTURE_2D, textures[i]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                         glyph.empty() ? nullptr : glyph.data());
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    ~PerGlyphText() { glDeleteTextures(128, textures); }

    void displayText(const std::string& text, float x, float y, float size, bool centred) const {
        const float s = size * 0.0001f;
        glPushMatrix();
        glTranslatef(x, y, 0.0f);
        if (centred) glTranslatef(-Font::textWidth(text, size) / 2.0f, -Font::textHeight(size) / 2.0f, 0.0f);
        for (char c : text) {
            const unsigned char g = static_cast<unsigned char>(c);
            if (g >= 128) continue;
            const metrics& m = letterMetrics[g];
            glBindTexture(GL_TEXTURE_2D, textures[g]);
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 0.0f);
            glVertex2f(m.xMin * s, m.yMin * s);
            glTexCoord2f(0.0f, 1.0f);
            glVertex2f(m.xMin * s, m.yMax * s);
            glTexCoord2f(1.0f, 1.0f);
            glVertex2f(m.xMax * s, m.yMax * s);
            glTexCoord2f(1.0f, 0.0f);
            glVertex2f(m.xMax * s, m.yMin * s);
            glEnd();
            glTranslatef(m.advance * s, 0.0f, 0.0f);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        glPopMatrix();
    }

private:
    unsigned textures[128] = {};
};

TEST_F(FontTest, AtlasDrawsWhatOneTexturePerGlyphDrew) {
    PerGlyphText perGlyph(*font);
    struct Case {
        const char* text;
        float x, y, size;
        bool centred;
    };
    // The HUD's debug lines, mouse-over labels and window captions, and text far larger than the
    // glyphs were rendered (magnified, where filtering reads the glyphs' edges).
    const Case cases[] = {
        {"FPS: 143.25  Ships: 11", 3.0f, 10.0f, 20.0f, false},
        {"Player HP: -1130", 0.5f, 200.0f, 20.0f, false},
        {"Haven  Owner: faction 0", 160.0f, 128.0f, 6.0f, true},
        {"Build Armoured Hull (4800) {}|~", 161.3f, 40.7f, 9.5f, true},
        {"Wg", 10.25f, 20.5f, 800.0f, false},
        {"\x01\x7f q@", 100.0f, 100.0f, 60.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        beginFrame();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        perGlyph.displayText(c.text, c.x, c.y, c.size, c.centred);
        const std::vector<unsigned char> before = readScreen(VIEW_W, VIEW_H);
        beginFrame();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        font->displayText(c.text, c.x, c.y, c.size, c.centred);
        const PictureDifference d = comparePictures(before, readScreen(VIEW_W, VIEW_H));
        EXPECT_LE(d.largest, 2);
        EXPECT_LT(d.farOffShare, 0.0005);
        EXPECT_GT(d.lit, 50) << "the text should show";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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
