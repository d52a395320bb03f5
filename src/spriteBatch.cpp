// Gathers textured squares and draws them as one vertex array per texture.
#include "spriteBatch.h"

#include <algorithm>
#include <cmath>

#include "glHeaders.h"

namespace {
// Texture coordinates of the four corners, in drawTexturedSquare's order.
const float CORNER_TEXELS[8] = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f};
const float CORNER_SIGNS[8] = {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, 1.0f, -1.0f};
const float DEGREES_TO_RADIANS = 3.14159265358979f / 180.0f;
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

void SpriteBatch::draw() {
    if (sprites.empty()) return;
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
    for (size_t first = 0; first < sprites.size();) {
        size_t end = first;
        while (end < sprites.size() && sprites[end].texture == sprites[first].texture) ++end;
        glBindTexture(GL_TEXTURE_2D, sprites[first].texture);
        glDrawArrays(GL_QUADS, static_cast<GLint>(4 * first), static_cast<GLsizei>(4 * (end - first)));
        first = end;
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    reportError();
    sprites.clear();
}
