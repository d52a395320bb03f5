// The two background layers - the near dust tiled over the world plane and the far nebula -
// composed in one full-screen pass. On a software rasteriser the two blended, textured
// full-screen quads cost more than the whole rest of a frame; one pass that samples both and
// writes each pixel once gives the same picture for less than half of that.
#pragma once

#include "basics.h"
#include "camera.h"

// The near layer repeats this many times across the world.
constexpr float DUST_REPEATS = 20.0f;
// The far layer lies this deep below the world plane and spans this many world half-widths.
constexpr float NEBULA_DEPTH = -100000.0f;
constexpr float NEBULA_EXTENT = 1.5f;
// Texture slots of the two layers.
constexpr int SLOT_DUST = 9;
constexpr int SLOT_NEBULA = 23;

// Owns the GLSL program of the one-pass background. When the driver cannot build it,
// `usable()` is false and callers draw the layers one by one instead.
class BackgroundPass {
public:
    BackgroundPass();
    ~BackgroundPass();
    BackgroundPass(const BackgroundPass&) = delete;
    BackgroundPass& operator=(const BackgroundPass&) = delete;

    bool usable() const { return program != 0; }
    // Overwrites every pixel of the viewport with the composed layers (black where neither
    // layer lies). Leaves blending on, the program off and texture unit 0 active.
    void draw(const CameraView& view) const;

private:
    unsigned program = 0;
    unsigned magnifiedDustSampler = 0;
    int dustLocation = -1;
    int nebulaLocation = -1;
    int centreLocation = -1;
    int dustHalfViewLocation = -1;
    int nebulaHalfViewLocation = -1;
    int dustBoundLocation = -1;
    int nebulaBoundLocation = -1;
    int shownLocation = -1;
    int texturedLocation = -1;
};
