// Textured squares gathered while objects update and drawn afterwards as one draw per texture,
// for passes whose blending does not depend on the order of drawing (the additive pass).
#pragma once

#include <vector>

#include "basics.h"

// Holds the squares of one pass until `draw`; what it draws is what drawing each square on its
// own (translate, rotate, bind, textured square) would have drawn, in another order.
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
