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
    // blending that `blend` needs; false when the layer is not wanted or cannot be made, in
    // which case the held layers are laid and the caller draws directly.
    bool begin(int factor, Blend blend);
    // Back to the frame's target and viewport, the layer laid over it in its place. Leaves the
    // program 0 and the blending (SRC_ALPHA, ONE) of the additive pass.
    void end();
    // As end(), laying only the part of the layer over which the world box low..high (on the
    // plane z = 0, in the current matrices) lies: what was drawn lies within it, and the layer
    // is clear elsewhere.
    void end(point low, point high);
    // As end(low, high), but the layer is laid later, by flush(), after any held before it. The
    // renderer then finishes a run of layers together instead of stopping the frame for each.
    void hold(point low, point high);
    // Lays the held layers over the frame, in the order they were held. Leaves the program and
    // texture as it found them and the blending (SRC_ALPHA, ONE) of the additive pass.
    void flush();
    // Whether any of the world box low..high lies in the view of the current matrices.
    static bool reachesView(point low, point high);

private:
    // Targets are kept from frame to frame, each at one size, so that effects of different
    // sizes in one frame do not rebuild each other's; a held target is not drawn into again
    // before it is laid.
    struct Target {
        unsigned framebuffer = 0;
        unsigned texture = 0;
        int width = 0;
        int height = 0;
        bool held = false;
    };
    // A layer to lay: which target, over which part of the view in normalised device
    // coordinates (left, bottom, right, top), and how.
    struct Laying {
        Target* target = nullptr;
        float rect[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
        Blend blend = Over;
    };
    static constexpr int TARGET_COUNT = 8;
    bool prepare(Target& target, int width, int height);
    // A target of that size not held, made or rebuilt if need be, or null when none is free.
    Target* freeTarget(int width, int height);
    // The part of the view over which the world box low..high lies, a layer pixel wider on
    // every side; the whole view when the box cannot be placed.
    void layRect(point low, point high, float rect[4]) const;
    // Back to the frame's target, viewport and clear colour; the active layer becomes `laying`.
    Laying leave();
    void lay(const Laying& laying);

    float pixelSize = 1.0f;
    Target targets[TARGET_COUNT];
    Laying heldLayers[TARGET_COUNT];
    int heldCount = 0;
    Target* active = nullptr;
    bool failed = false;  // a layer could not be built once: never tried again
    Blend activeBlend = Over;
    int savedViewport[4] = {0, 0, 0, 0};
    int savedFramebuffer = 0;
    float savedClear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
