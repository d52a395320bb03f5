// Textured squares gathered while objects update or are looked at, and drawn afterwards as one
// draw per texture: one small draw each costs a software renderer time and memory.
#pragma once

#include <vector>

#include "basics.h"

// Holds squares until `draw`; what it draws is what drawing each square on its own (translate,
// rotate, bind, textured square) would have drawn. Squares of one texture keep the order they
// were added in; squares of different textures are reordered, so a batch of several textures
// belongs to a pass whose blending does not depend on order (the additive pass).
class SpriteBatch {
public:
    // A square of half size `half` around `centre`, turned clockwise by `degrees`, textured as
    // drawTexturedSquare textures it.
    void add(unsigned texture, point centre, float degrees, float half);
    bool empty() const { return sprites.empty(); }
    size_t size() const { return sprites.size(); }
    // Draws everything gathered, one texture after another, and empties the batch. Leaves
    // texture 0 bound and the vertex and texture coordinate arrays off.
    void draw();

private:
    struct Sprite {
        unsigned texture;
        float corners[8];  // (-,-), (-,+), (+,+), (+,-) as drawTexturedSquare orders them
    };
    std::vector<Sprite> sprites;
    std::vector<float> vertices;
    std::vector<float> texels;
};
