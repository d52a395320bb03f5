// Textured squares gathered while objects update or are looked at, and drawn afterwards as one
// draw per texture: one small draw each costs a software renderer time and memory.
#pragma once

#include <vector>

#include "basics.h"

class TwinSquares;

// Holds squares until `draw`; what it draws is what drawing each square on its own (translate,
// rotate, bind, textured square) would have drawn. Squares of one texture keep the order they
// were added in; squares of different textures are reordered, so a batch of several textures
// belongs to a pass whose blending does not depend on order (the additive pass).
class SpriteBatch {
public:
    // A square of half size `half` around `centre`, turned clockwise by `degrees`, textured as
    // drawTexturedSquare textures it.
    void add(unsigned texture, point centre, float degrees, float half);
    // The same square twice, turned by `degreesA` and by `degreesB`: an explosion of the
    // additive pass.
    void addTwin(unsigned texture, point centre, float degreesA, float degreesB, float half);
    bool empty() const { return sprites.empty() && twins.empty(); }
    size_t size() const { return sprites.size() + 2 * twins.size(); }
    // Draws everything gathered, one texture after another, and empties the batch. Leaves
    // texture 0 bound, program 0 and the vertex and texture coordinate arrays off. With `twin`
    // and its program, each twin is one square through it; otherwise two squares.
    void draw(TwinSquares* twin = nullptr);

private:
    struct Sprite {
        unsigned texture;
        float corners[8];  // (-,-), (-,+), (+,+), (+,-) as drawTexturedSquare orders them
    };
    struct Twin {
        unsigned texture;
        point centre;
        float degreesA, degreesB, half;
    };
    void drawTwins(TwinSquares& twin);

    std::vector<Sprite> sprites;
    std::vector<Twin> twins;
    std::vector<float> vertices;
    std::vector<float> texels;
    std::vector<float> secondTexels;
};
