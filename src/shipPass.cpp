#include "shipPass.h"

#include <algorithm>
#include <cmath>

#include "glHeaders.h"
#include "glowTrail.h"
#include "ship.h"

namespace {

// A sprite is a square of half-size `size` turned any way: it stays inside this reach.
constexpr float SQUARE_REACH = 1.4143f;

}  // namespace

bool ShipPass::Box::touches(const Box& other, float margin) const {
    return minX - margin <= other.maxX && other.minX - margin <= maxX && minY - margin <= other.maxY &&
           other.minY - margin <= maxY;
}

ShipPass::ShipPass(float pixelSize) : margin(2.0f * std::fabs(pixelSize) + 1e-3f) {
    glGetFloatv(GL_CURRENT_COLOR, colour);
}

void ShipPass::addTrail(const GlowTrail& trail, point current) {
    // A trail without samples draws nothing at all, not even its program.
    if (trail.length == 0) return;
    const std::vector<GlowVertex> ribbon = trail.ribbon(current);
    if (ribbon.empty()) return;

    // The vertex program moves each vertex sideways by at most its half-width.
    Box box{ribbon[0].x, ribbon[0].y, ribbon[0].x, ribbon[0].y};
    float reach = 0.0f;
    for (const GlowVertex& v : ribbon) {
        box.minX = std::min(box.minX, v.x);
        box.maxX = std::max(box.maxX, v.x);
        box.minY = std::min(box.minY, v.y);
        box.maxY = std::max(box.maxY, v.y);
        reach = std::max(reach, std::fabs(v.halfWidth));
    }
    box = {box.minX - reach, box.minY - reach, box.maxX + reach, box.maxY + reach};

    // Held trails go out before held sprites: this one may join them only if it is drawn with
    // the same program and lies clear of every sprite that was due before it.
    bool clear = counts.empty() || trail.shader == heldShader;
    for (size_t i = 0; clear && i < spriteBoxes.size(); ++i) clear = !box.touches(spriteBoxes[i], margin);
    if (!clear) flush();

    heldShader = trail.shader;
    firsts.push_back(static_cast<int>(vertices.size() / 4));
    counts.push_back(static_cast<int>(ribbon.size()));
    for (const GlowVertex& v : ribbon) {
        vertices.insert(vertices.end(), {v.x, v.y, v.z, v.w});
        colours.insert(colours.end(), {trail.red, trail.green, trail.blue, v.halfWidth});
    }
    colour[0] = trail.red;
    colour[1] = trail.green;
    colour[2] = trail.blue;
    colour[3] = ribbon.back().halfWidth;
}

void ShipPass::addSprite(unsigned texture, point position, float theta, float size) {
    const float reach = std::fabs(size) * SQUARE_REACH;
    spriteBoxes.push_back({position.x - reach, position.y - reach, position.x + reach, position.y + reach});
    sprites.push_back({texture, position, theta, size, {colour[0], colour[1], colour[2], colour[3]}});
}

void ShipPass::flush() {
    if (!counts.empty()) {
        glUseProgram(heldShader);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(4, GL_FLOAT, 0, vertices.data());
        glColorPointer(4, GL_FLOAT, 0, colours.data());
        glMultiDrawArrays(GL_QUAD_STRIP, firsts.data(), counts.data(), static_cast<GLsizei>(counts.size()));
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glUseProgram(0);
        ++calls;
    }
    // The colour arrays leave the current colour undefined: each sprite gets the one it had.
    for (const HeldSprite& sprite : sprites) {
        glColor4fv(sprite.colour);
        drawShipSprite(sprite.texture, sprite.position, sprite.theta, sprite.size);
    }
    vertices.clear();
    colours.clear();
    firsts.clear();
    counts.clear();
    sprites.clear();
    spriteBoxes.clear();
}

void ShipPass::finish() {
    flush();
    glColor4fv(colour);
}
