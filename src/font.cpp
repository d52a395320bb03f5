// Renders a TrueType font once into 128 glyph textures and draws text as one quad per character.
#include "font.h"

#include <iostream>

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

// Uploads one rendered glyph as a luminance-alpha texture with its top at t = 1.
void uploadGlyph(unsigned texture, const FT_Bitmap& bitmap) {
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    std::vector<unsigned char> texels(static_cast<size_t>(width) * rows * 2);
    for (int r = 0; r < rows; ++r) {
        const unsigned char* source = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        unsigned char* target = texels.data() + static_cast<size_t>(rows - 1 - r) * width * 2;
        for (int c = 0; c < width; ++c) {
            target[2 * c] = 255;
            target[2 * c + 1] = source[c];
        }
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Rows of two-byte texels are not 4-byte aligned for odd widths.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, rows, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.empty() ? nullptr : texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

Font::Font(const std::string& fileName) {
    glEnable(GL_TEXTURE_2D);
    // A later font replaces the process-wide glyph set; free the names it would otherwise leak.
    if (letterTextures[0] != 0) glDeleteTextures(GLYPH_COUNT, letterTextures);
    glGenTextures(GLYPH_COUNT, letterTextures);
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
        uploadGlyph(letterTextures[i], glyph->bitmap);
    }
    ready = true;
}

Font::~Font() {
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

void Font::displayText(const std::string& text, float x, float y, float size, bool centred) {
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!ready) return;
    const float s = size * UNIT_SCALE;
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    if (centred) glTranslatef(-textWidth(text, size) / 2.0f, -textHeight(size) / 2.0f, 0.0f);
    for (char c : text) {
        const int g = glyphIndex(c);
        if (g < 0) continue;
        const metrics& m = letterMetrics[g];
        glBindTexture(GL_TEXTURE_2D, letterTextures[g]);
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
