// Renders a TrueType font once into one atlas texture holding all 128 glyphs and draws a string as
// one batch of quads from it: one texture bind and one draw instead of one per character, which a
// software renderer pays for dearly.
#include "font.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <numeric>

#include "glHeaders.h"

unsigned letterTextures[128] = {};
std::vector<metrics> letterMetrics(128);
FT_Face face = nullptr;

namespace {

constexpr int GLYPH_COUNT = 128;
// Glyphs are rendered large once and scaled down when drawn, so text stays smooth at any size.
constexpr int PIXEL_SIZE = 300;
// Drawing units per 26.6 unit at size 1.
constexpr float UNIT_SCALE = 0.0001f;
// The atlas is packed in rows of glyphs at most this many texels wide.
constexpr int ATLAS_WIDTH = 2048;
// Each glyph is framed by this many texels copied from its opposite edges, so that filtering at
// an edge reads what it read when every glyph had a repeating texture of its own.
constexpr int FRAME = 1;

// The glyph of a character, or -1 for characters without one (codes outside 0..127).
int glyphIndex(char c) {
    unsigned char code = static_cast<unsigned char>(c);
    return code < GLYPH_COUNT ? code : -1;
}

// Sum of the advances of all glyphs but the last, plus the right edge of the last, in 26.6 units.
long boxWidthUnits(const std::string& text) {
    long width = 0;
    int last = -1;
    for (char c : text) {
        int g = glyphIndex(c);
        if (g < 0) continue;
        if (last >= 0) width += letterMetrics[last].advance;
        last = g;
    }
    if (last >= 0) width += letterMetrics[last].xMax;
    return width;
}

// One glyph's luminance-alpha texels, framed: luminance 255, the coverage as alpha, rows flipped
// so that the glyph's top is at the top.
struct GlyphImage {
    int width = 0;  // of the bitmap, without the frame
    int rows = 0;
    std::vector<unsigned char> texels;
    int atlasX = 0;  // lower-left corner of the frame in the atlas
    int atlasY = 0;

    int framedWidth() const { return width + 2 * FRAME; }
    int framedRows() const { return rows + 2 * FRAME; }
    bool empty() const { return width == 0 || rows == 0; }
};

GlyphImage glyphImage(const FT_Bitmap& bitmap) {
    GlyphImage image;
    image.width = static_cast<int>(bitmap.width);
    image.rows = static_cast<int>(bitmap.rows);
    if (image.empty()) return image;
    const int w = image.framedWidth();
    const int h = image.framedRows();
    image.texels.resize(static_cast<size_t>(w) * h * 2);
    for (int y = 0; y < h; ++y) {
        // Texture row t holds bitmap row rows - 1 - t; the frame wraps around.
        const int t = (y - FRAME + image.rows) % image.rows;
        const unsigned char* source = bitmap.buffer + static_cast<long>(image.rows - 1 - t) * bitmap.pitch;
        for (int x = 0; x < w; ++x) {
            const int column = (x - FRAME + image.width) % image.width;
            unsigned char* texel = image.texels.data() + (static_cast<size_t>(y) * w + x) * 2;
            texel[0] = 255;
            texel[1] = source[column];
        }
    }
    return image;
}

// Places the glyphs in rows, tallest first; answers the atlas height.
int packAtlas(std::vector<GlyphImage>& images) {
    std::vector<size_t> order(images.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return images[a].framedRows() > images[b].framedRows(); });
    int x = 0, y = 0, rowHeight = 0;
    for (size_t i : order) {
        GlyphImage& image = images[i];
        if (image.empty()) continue;
        if (x + image.framedWidth() > ATLAS_WIDTH) {
            y += rowHeight;
            x = 0;
            rowHeight = 0;
        }
        image.atlasX = x;
        image.atlasY = y;
        x += image.framedWidth();
        rowHeight = std::max(rowHeight, image.framedRows());
    }
    return std::max(y + rowHeight, 1);
}

}  // namespace

Font::Font(const std::string& fileName) {
    glEnable(GL_TEXTURE_2D);
    std::fill(std::begin(letterTextures), std::end(letterTextures), 0u);
    ready = false;

    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        std::cout << "Error initializing freetype library" << std::endl;
        return;
    }
    FT_Face loaded = nullptr;
    FT_Error error = FT_New_Face(library, fileName.c_str(), 0, &loaded);
    if (error == FT_Err_Unknown_File_Format) {
        std::cout << "the font file could be opened and read, but it appears ... that its font format is unsupported"
                  << std::endl;
        return;
    }
    if (error != 0) {
        std::cout << "Error initializing face " << fileName << std::endl;
        return;
    }
    face = loaded;
    ownFace = loaded;
    if (FT_Set_Pixel_Sizes(face, 0, PIXEL_SIZE) != 0) {
        std::cout << "Error setting font size" << std::endl;
        return;
    }
    std::vector<GlyphImage> images(GLYPH_COUNT);
    // Codes the font has no glyph for (the control codes) all show its missing-glyph box: the
    // atlas holds each glyph once, and the codes sharing it share its place.
    std::vector<int> sameAs(GLYPH_COUNT, -1);
    std::map<FT_UInt, int> firstCodeOfGlyph;
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        if (FT_Load_Char(face, i, FT_LOAD_RENDER) != 0) {
            std::cout << "Error loading character" << std::endl;
            return;
        }
        const FT_GlyphSlot glyph = face->glyph;
        metrics& m = letterMetrics[i];
        m.bitmapLeft = glyph->bitmap_left;
        m.bitmapTop = glyph->bitmap_top;
        m.xMin = glyph->bitmap_left * 64;
        m.xMax = m.xMin + static_cast<int>(glyph->metrics.width);
        m.yMax = glyph->bitmap_top * 64;
        m.yMin = m.yMax - static_cast<int>(glyph->metrics.height);
        m.advance = static_cast<int>(glyph->advance.x);
        auto known = firstCodeOfGlyph.emplace(FT_Get_Char_Index(face, static_cast<FT_ULong>(i)), i);
        if (known.second)
            images[i] = glyphImage(glyph->bitmap);
        else
            sameAs[i] = known.first->second;
    }

    const int height = packAtlas(images);
    std::vector<unsigned char> texels(static_cast<size_t>(ATLAS_WIDTH) * height * 2, 0);
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        const GlyphImage& image = images[i];
        if (image.empty()) continue;
        const size_t rowBytes = static_cast<size_t>(image.framedWidth()) * 2;
        for (int y = 0; y < image.framedRows(); ++y)
            std::copy_n(image.texels.data() + y * rowBytes, rowBytes,
                        texels.data() + (static_cast<size_t>(image.atlasY + y) * ATLAS_WIDTH + image.atlasX) * 2);
        GlyphRegion& r = regions[i];
        r.left = static_cast<float>(image.atlasX + FRAME) / ATLAS_WIDTH;
        r.right = static_cast<float>(image.atlasX + FRAME + image.width) / ATLAS_WIDTH;
        r.bottom = static_cast<float>(image.atlasY + FRAME) / static_cast<float>(height);
        r.top = static_cast<float>(image.atlasY + FRAME + image.rows) / static_cast<float>(height);
    }
    for (int i = 0; i < GLYPH_COUNT; ++i)
        if (sameAs[i] >= 0) regions[i] = regions[sameAs[i]];

    glGenTextures(1, &atlas);
    glBindTexture(GL_TEXTURE_2D, atlas);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Rows of two-byte texels need not be 4-byte aligned.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Two bytes a texel: the luminance stands for all three colours, as the four-byte glyphs had it.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, ATLAS_WIDTH, height, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::fill(std::begin(letterTextures), std::end(letterTextures), atlas);
    ready = true;
}

Font::~Font() {
    if (atlas != 0) {
        // The shared glyph set must not name a texture that is gone.
        if (letterTextures[0] == atlas) std::fill(std::begin(letterTextures), std::end(letterTextures), 0u);
        glDeleteTextures(1, &atlas);
    }
    if (!library) return;
    // Releasing the library releases its faces too; the shared handle must not dangle.
    if (face == ownFace) face = nullptr;
    FT_Done_FreeType(library);
}

float Font::textWidth(const std::string& text, float size) {
    return static_cast<float>(boxWidthUnits(text)) * size * UNIT_SCALE;
}

float Font::textHeight(float size) {
    const metrics& a = letterMetrics['A'];
    return static_cast<float>(a.yMax - a.yMin) * size * UNIT_SCALE;
}

void Font::glyphQuads(const std::string& text, float size, std::vector<float>& out) const {
    const float s = size * UNIT_SCALE;
    float pen = 0.0f;
    for (char c : text) {
        const int g = glyphIndex(c);
        if (g < 0) continue;
        const metrics& m = letterMetrics[g];
        const GlyphRegion& r = regions[g];
        // A glyph without a bitmap (the space) only moves the pen.
        if (r.right > r.left) {
            const float left = pen + m.xMin * s, right = pen + m.xMax * s, bottom = m.yMin * s, top = m.yMax * s;
            out.insert(out.end(), {left, bottom, r.left, r.bottom, left, top, r.left, r.top, right, top, r.right,
                                   r.top, right, bottom, r.right, r.bottom});
        }
        pen += m.advance * s;
    }
}

void Font::displayText(const std::string& text, float x, float y, float size, bool centred) {
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!ready) return;
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    if (centred) glTranslatef(-textWidth(text, size) / 2.0f, -textHeight(size) / 2.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, atlas);
    scratch.clear();
    glyphQuads(text, size, scratch);
    glBegin(GL_QUADS);
    for (size_t i = 0; i < scratch.size(); i += 4) {
        glTexCoord2f(scratch[i + 2], scratch[i + 3]);
        glVertex2f(scratch[i], scratch[i + 1]);
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

bool Font::appendGlyphQuads(const std::string& text, float x, float y, float size, bool centred,
                            std::vector<float>& vertices) const {
    if (!ready) return false;
    if (centred) {
        x -= textWidth(text, size) / 2.0f;
        y -= textHeight(size) / 2.0f;
    }
    const size_t first = vertices.size();
    glyphQuads(text, size, vertices);
    for (size_t i = first; i < vertices.size(); i += 4) {
        vertices[i] += x;
        vertices[i + 1] += y;
    }
    return true;
}
