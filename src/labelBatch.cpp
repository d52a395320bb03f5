#include "labelBatch.h"

#include <algorithm>

#include "font.h"
#include "glHeaders.h"

namespace {
// Lines drawn on a box's edge and glyph quads beside it may share a pixel: boxes this close (in
// screen percent, over a pixel of the largest window) count as touching.
constexpr float TOUCH_MARGIN = 0.2f;
}  // namespace

void LabelBatch::add(const Font& font, const std::string& text, float x, float y, float size) {
    const size_t first = vertices.size() / 4;
    if (!font.appendGlyphQuads(text, x, y, size, true, vertices)) return;
    const size_t count = vertices.size() / 4 - first;
    if (count == 0) return;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (size_t i = 0; i < count; ++i) colours.insert(colours.end(), colour, colour + 4);
    Box box{{vertices[first * 4], vertices[first * 4 + 1]}, {vertices[first * 4], vertices[first * 4 + 1]}};
    for (size_t i = first; i < first + count; ++i) {
        box.low.x = std::min(box.low.x, vertices[i * 4]);
        box.low.y = std::min(box.low.y, vertices[i * 4 + 1]);
        box.high.x = std::max(box.high.x, vertices[i * 4]);
        box.high.y = std::max(box.high.y, vertices[i * 4 + 1]);
    }
    boxes.push_back(box);
    if (!runs.empty() && runs.back().atlas == font.atlasTexture())
        runs.back().vertexCount += count;
    else
        runs.push_back({font.atlasTexture(), first, count});
}

bool LabelBatch::overlaps(point low, point high) const {
    for (const Box& box : boxes)
        if (box.low.x < high.x + TOUCH_MARGIN && low.x - TOUCH_MARGIN < box.high.x &&
            box.low.y < high.y + TOUCH_MARGIN && low.y - TOUCH_MARGIN < box.high.y)
            return true;
    return false;
}

void LabelBatch::flush() {
    if (runs.empty()) return;
    // The colour array leaves the current colour undefined; the next element may rely on it.
    float current[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_CURRENT_COLOR, current);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), vertices.data() + 2);
    glColorPointer(4, GL_FLOAT, 0, colours.data());
    for (const Run& run : runs) {
        glBindTexture(GL_TEXTURE_2D, run.atlas);
        glDrawArrays(GL_QUADS, static_cast<GLint>(run.firstVertex), static_cast<GLsizei>(run.vertexCount));
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4fv(current);
    vertices.clear();
    colours.clear();
    runs.clear();
    boxes.clear();
}
