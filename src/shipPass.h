// The AI ships' drawing for one frame. Each ship draws its glow trail and then its sprite, in
// the order the ships update. Sent one by one, two hundred trails cost two hundred program
// switches and draw calls, and the software renderer keeps state for each of them until the
// frame is shown. Here trails are held back and sent together in one call, as long as none of
// them touches a sprite that was due before it: then every pixel still sees its fragments in the
// same order, and the picture is the same.
#pragma once

#include <vector>

#include "basics.h"

class GlowTrail;

class ShipPass {
public:
    // `pixelSize` is the world units one pixel spans: shapes count as touching when they come
    // within two pixels of each other, which covers the rasteriser's rounding at any zoom.
    explicit ShipPass(float pixelSize);
    ShipPass(const ShipPass&) = delete;
    ShipPass& operator=(const ShipPass&) = delete;

    // A ship's trail, as GlowTrail::draw(current) would draw it now.
    void addTrail(const GlowTrail& trail, point current);
    // A ship's sprite, as Ship::draw would draw it now.
    void addSprite(unsigned texture, point position, float theta, float size);
    // Draws what is held back. Leaves the current colour as the one-by-one drawing would.
    void finish();

    // How many calls the trails took so far (for tests).
    unsigned trailCalls() const { return calls; }

private:
    struct Box {
        float minX, minY, maxX, maxY;
        bool touches(const Box& other, float margin) const;
    };
    struct HeldSprite {
        unsigned texture;
        point position;
        float theta;
        float size;
        float colour[4];
    };

    void flush();

    float margin;
    // The held trails' vertices (x, y, z, w) and colours, one range of vertices per trail.
    std::vector<float> vertices;
    std::vector<float> colours;
    std::vector<int> firsts;
    std::vector<int> counts;
    int heldShader = 0;
    std::vector<HeldSprite> sprites;
    std::vector<Box> spriteBoxes;
    // The current colour as the one-by-one drawing would have it: each trail leaves its last
    // vertex's colour, and sprites are drawn in it.
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    unsigned calls = 0;
};
