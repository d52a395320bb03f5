// The one text renderer: 128 glyphs rendered once from a TrueType font with FreeType into one
// atlas texture, a string drawn as one batch of quads.
#pragma once

#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

// Layout data of one character; all but the first two in 26.6 fixed point.
struct metrics {
    int bitmapLeft = 0;
    int bitmapTop = 0;
    int xMax = 0;
    int xMin = 0;
    int yMax = 0;
    int yMin = 0;
    int advance = 0;
};

// The process-wide glyph set (one per process; a Font does not own it). Every character's
// texture is the atlas of the font built last.
extern unsigned letterTextures[128];
extern std::vector<metrics> letterMetrics;
extern FT_Face face;

// Where a glyph's bitmap lies in the atlas, in texture coordinates (left/bottom to right/top).
struct GlyphRegion {
    float left = 0.0f;
    float bottom = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
};

// Owns the atlas texture its glyphs are drawn from.
class Font {
public:
    explicit Font(const std::string& fileName);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws text with its baseline start at (x, y), or its box centred there.
    void displayText(const std::string& text, float x, float y, float size, bool centred);
    // Appends the quads displayText would draw, already moved to (x, y), as x, y, u, v for each
    // corner (four corners a glyph, in GL_QUADS order); false when the font is not ready.
    bool appendGlyphQuads(const std::string& text, float x, float y, float size, bool centred,
                          std::vector<float>& vertices) const;
    bool isReady() const { return ready; }
    unsigned atlasTexture() const { return atlas; }
    const GlyphRegion& region(int code) const { return regions[static_cast<size_t>(code)]; }

    // Width and height of the centring box of `text` at `size` (what displayText centres on).
    static float textWidth(const std::string& text, float size);
    static float textHeight(float size);

private:
    // The glyph quads of `text` from its baseline start, appended to `out` as appendGlyphQuads.
    void glyphQuads(const std::string& text, float size, std::vector<float>& out) const;

    bool ready = false;
    std::vector<float> scratch;  // displayText's quads, kept to spare an allocation a string
    unsigned atlas = 0;
    std::vector<GlyphRegion> regions = std::vector<GlyphRegion>(128);
    FT_Library library = nullptr;
    // The face this font opened into `face`, released with the library.
    FT_Face ownFace = nullptr;
};
