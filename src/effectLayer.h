// An off-screen target at a fraction of the viewport's resolution, into which soft effects
// (smoke, the flame) are drawn and then composited in their place in the frame's order.
#pragma once

#include "basics.h"

class EffectLayer {
public:
    // How the effect's drawing meets what lies under it.
    enum Blend {
        Over,     // ordinary alpha blending (the smoke)
        Additive  // source times alpha added (the flame)
    };

    EffectLayer() = default;
    ~EffectLayer();
    EffectLayer(const EffectLayer&) = delete;
    EffectLayer& operator=(const EffectLayer&) = delete;

    // World units one pixel of the screen spans at the world plane, set each frame.
    void setPixelSize(float size) { pixelSize = size; }
    // The reduction for an effect whose smallest soft feature spans `featureSize` world units:
    // 1 (draw directly) up to 32, keeping at least a few layer pixels across that feature.
    int factorFor(float featureSize) const;
    static int factorFor(float featureSize, float pixelSize);

    // Starts drawing into the layer at 1/`factor` of the current viewport, cleared, with the
    // blending that `blend` needs; false (and nothing changed) when the layer is not wanted or
    // cannot be made, in which case the caller draws directly.
    bool begin(int factor, Blend blend);
    // Goes on drawing at the finer reduction `factor`, what was drawn so far (within the world
    // box low..high) carried into it, so that effects of several sizes, coarsest first, are laid
    // over the frame once. Needs an active Over layer coarser than `factor`; false (and nothing
    // changed) otherwise.
    bool refine(int factor, point low, point high);
    // Back to the frame's target and viewport, the layer laid over it in its place. Leaves the
    // program 0 and the blending (SRC_ALPHA, ONE) of the additive pass.
    void end();
    // As end(), laying only the part of the layer over which the world box low..high (on the
    // plane z = 0, in the current matrices) lies, with what earlier refine() calls carried: what
    // was drawn lies within it, and the layer is clear elsewhere.
    void end(point low, point high);
    // A sampler object that reads the nearest mipmap level linearly, for a mipmapped texture
    // drawn into a layer: the layer blurs it anyway, and blending two levels is the dearest part
    // of its pixels. 0 when the driver has no sampler objects.
    unsigned oneLevelSampler();
    // Whether any of the world box low..high lies in the view of the current matrices.
    static bool reachesView(point low, point high);

private:
    // One target per reduction (a half down to a thirty-second), so that effects of different
    // sizes in one frame do not rebuild each other's.
    struct Target {
        unsigned framebuffer = 0;
        unsigned texture = 0;
        int width = 0;
        int height = 0;
    };
    static constexpr int TARGET_COUNT = 5;
    bool prepare(Target& target, int width, int height);
    // The target for a reduction, ready at the saved viewport's size; null (and the layers given
    // up) when it cannot be made.
    Target* targetFor(int factor);
    // Where the world box low..high lies in normalised device coordinates, a few pixels of the
    // active layer wider for its filtering, as left, bottom, right, top; false when unknown.
    bool coveredRect(point low, point high, float rect[4]) const;
    // Draws `texture` over the current viewport's part from (left, bottom) to (right, top), in
    // normalised device coordinates, its texture coordinates following them.
    static void drawSpan(unsigned texture, const float rect[4]);
    // Lays the layer over the part of the view `rect` (left, bottom, right, top in normalised
    // device coordinates).
    void lay(const float rect[4]);

    float pixelSize = 1.0f;
    Target targets[TARGET_COUNT];
    Target* active = nullptr;
    int activeFactor = 1;
    // What refine() carried from coarser layers, in normalised device coordinates; empty when
    // carried[0] >= carried[2].
    float carried[4] = {1.0f, 1.0f, -1.0f, -1.0f};
    bool failed = false;  // a layer could not be built once: never tried again
    unsigned sampler = 0;
    bool samplerTried = false;
    Blend activeBlend = Over;
    int savedViewport[4] = {0, 0, 0, 0};
    int savedFramebuffer = 0;
    float savedClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
