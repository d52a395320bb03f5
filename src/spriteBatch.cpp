// Gathers textured squares and draws them as one vertex array per texture.
#include "spriteBatch.h"

#include <algorithm>
#include <cmath>

#include "glHeaders.h"
#include "twinSquares.h"

namespace {
// Texture coordinates of the four corners, in drawTexturedSquare's order.
const float CORNER_TEXELS[8] = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f};
const float CORNER_SIGNS[8] = {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f};
const float DEGREES_TO_RADIANS = 3.14159265358979f / 180.0f;

// Draws the arrays in place as quads, one draw for each run of `items` (sorted by texture) that
// shares a texture; item i owns vertices 4i to 4i + 3.
template <typename Item>
void drawQuadsByTexture(const std::vector<Item>& items) {
    for (size_t first = 0; first < items.size();) {
        size_t end = first;
        while (end < items.size() && items[end].texture == items[first].texture) ++end;
        glBindTexture(GL_TEXTURE_2D, items[first].texture);
        glDrawArrays(GL_QUADS, static_cast<GLint>(4 * first), static_cast<GLsizei>(4 * (end - first)));
        first = end;
    }
}
}  // namespace

void SpriteBatch::add(unsigned texture, point centre, float degrees, float half) {
    Sprite sprite;
    sprite.texture = texture;
    // Clockwise as glRotatef(degrees, 0, 0, -1) turns the square.
    const float c = std::cos(degrees * DEGREES_TO_RADIANS);
    const float s = std::sin(degrees * DEGREES_TO_RADIANS);
    for (int k = 0; k < 4; ++k) {
        const float x = CORNER_SIGNS[2 * k] * half;
        const float y = CORNER_SIGNS[2 * k + 1] * half;
        sprite.corners[2 * k] = centre.x + c * x + s * y;
        sprite.corners[2 * k + 1] = centre.y - s * x + c * y;
    }
    sprites.push_back(sprite);
}

void SpriteBatch::addTwin(unsigned texture, point centre, float degreesA, float degreesB, float half) {
    twins.push_back({texture, centre, degreesA, degreesB, half});
}

void SpriteBatch::drawTwins(TwinSquares& twin) {
    std::stable_sort(twins.begin(), twins.end(), [](const Twin& a, const Twin& b) { return a.texture < b.texture; });
    vertices.clear();
    texels.clear();
    secondTexels.clear();
    for (const Twin& each : twins) {
        const float cover = twin.reach(each.texture) * each.half;
        const float ca = std::cos(each.degreesA * DEGREES_TO_RADIANS), sa = std::sin(each.degreesA * DEGREES_TO_RADIANS);
        const float cb = std::cos(each.degreesB * DEGREES_TO_RADIANS), sb = std::sin(each.degreesB * DEGREES_TO_RADIANS);
        // A half-width of zero draws nothing either way; the texture coordinates stay finite.
        const float scale = each.half != 0.0f ? 0.5f / each.half : 0.0f;
        for (int k = 0; k < 4; ++k) {
            const float x = CORNER_SIGNS[2 * k] * cover;
            const float y = CORNER_SIGNS[2 * k + 1] * cover;
            vertices.push_back(each.centre.x + x);
            vertices.push_back(each.centre.y + y);
            // Where this point lies on each turned square (add() turns them clockwise).
            texels.push_back((ca * x - sa * y) * scale + 0.5f);
            texels.push_back((sa * x + ca * y) * scale + 0.5f);
            secondTexels.push_back((cb * x - sb * y) * scale + 0.5f);
            secondTexels.push_back((sb * x + cb * y) * scale + 0.5f);
        }
    }
    glUseProgram(static_cast<GLuint>(twin.program()));
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices.data());
    glClientActiveTexture(GL_TEXTURE1);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, secondTexels.data());
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, texels.data());
    drawQuadsByTexture(twins);
    glClientActiveTexture(GL_TEXTURE1);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glClientActiveTexture(GL_TEXTURE0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glUseProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    twins.clear();
}

void SpriteBatch::draw(TwinSquares* twin) {
    if (!twins.empty()) {
        if (twin && twin->program() != 0 && glUseProgram != nullptr) {
            drawTwins(*twin);
        } else {
            for (const Twin& each : twins) {
                add(each.texture, each.centre, each.degreesA, each.half);
                add(each.texture, each.centre, each.degreesB, each.half);
            }
            twins.clear();
        }
    }
    if (sprites.empty()) {
        reportError();
        return;
    }
    std::stable_sort(sprites.begin(), sprites.end(),
                     [](const Sprite& a, const Sprite& b) { return a.texture < b.texture; });
    vertices.clear();
    texels.clear();
    for (const Sprite& sprite : sprites) {
        vertices.insert(vertices.end(), std::begin(sprite.corners), std::end(sprite.corners));
        texels.insert(texels.end(), std::begin(CORNER_TEXELS), std::end(CORNER_TEXELS));
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texels.data());
    drawQuadsByTexture(sprites);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    reportError();
    sprites.clear();
}
