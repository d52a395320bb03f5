// The two background layers - the near dust tiled over the world plane and the far nebula -
// composed in one full-screen pass. On a software rasteriser the two blended, textured
// full-screen quads cost more than the whole rest of a frame; one pass that samples both and
// writes each pixel once gives the same picture for less than half of that.
#pragma once

#include <vector>

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

// One linked background program and where its uniforms are.
struct BackgroundProgram {
    unsigned id = 0;
    int centre = -1;
    int dustHalfView = -1;
    int nebulaHalfView = -1;
    int dustBound = -1;
    int nebulaBound = -1;
    int shown = -1;
    int textured = -1;
};

// Owns the GLSL programs of the one-pass background. When the driver cannot build it,
// `usable()` is false and callers draw the layers one by one instead.
class BackgroundPass {
public:
    BackgroundPass();
    ~BackgroundPass();
    BackgroundPass(const BackgroundPass&) = delete;
    BackgroundPass& operator=(const BackgroundPass&) = delete;

    bool usable() const { return programs[MASKED].id != 0; }
    // Overwrites every pixel of the viewport with the composed layers (black where neither
    // layer lies). Leaves blending on, the program off and texture unit 0 active.
    void draw(const CameraView& view) const;
    // Whether `draw` covers this whole view with the program for both layers, no masks.
    bool drawsPlain(const CameraView& view) const;
    // `draw` through the masked program alone, whatever the view.
    void drawMasked(const CameraView& view) const;

private:
    using Program = BackgroundProgram;
    // The programs, each for where its name says; the masked one can draw any pixel.
    enum Kind { MASKED, BOTH, DUST_ONLY, NEBULA_ONLY, NEITHER, KINDS };
    // What the frame's view makes of the two layers.
    struct Layers {
        unsigned dustTexture = 0;
        unsigned nebulaTexture = 0;
        int dustSize = 0;
        int nebulaSize = 0;
        bool dustShown = false;
        bool nebulaShown = false;
        bool dustMagnified = false;
        float dustHalfWidth = 0.0f;
        float dustHalfHeight = 0.0f;
        float nebulaHalfWidth = 0.0f;
        float nebulaHalfHeight = 0.0f;
    };
    // A rectangle of pixels [x0, x1) x [y0, y1) from the viewport's lower left, and its program.
    struct Region {
        Kind kind;
        int x0, y0, x1, y1;
    };
    Layers layersFor(const CameraView& view) const;
    // The screen cut where the layers' edges fall, so that only the pixels near an edge pay for
    // the masks and pixels away from a layer do not sample it.
    std::vector<Region> regionsFor(const Layers& layers, const CameraView& view) const;
    void drawRegions(const std::vector<Region>& regions, const Layers& layers, const CameraView& view) const;

    Program programs[KINDS];
    unsigned magnifiedDustSampler = 0;
    unsigned innerNebulaSampler = 0;
};
