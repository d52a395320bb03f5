// A trail drawn as a tapering glowing ribbon through the "glowTrail" program.
#pragma once

#include <vector>

#include "trail.h"

class ShaderList;

// One vertex of the ribbon: a sample in x, y, the sample before it in z, w, and the signed
// half-width that the vertex program offsets it by.
struct GlowVertex {
    float x, y, z, w;
    float halfWidth;
};

class GlowTrail : public Trail {
public:
    GlowTrail() = default;
    GlowTrail(int length, point start, int interval, float width, float red, float green, float blue,
              const ShaderList& shaders);
    void draw(point current) const;
    // The quad-strip vertices that draw() sends, in order.
    std::vector<GlowVertex> ribbon(point current) const;

    int shader = 0;
};
