// Looking at what was drawn: an off-screen target of the game's window size read back pixel by
// pixel, and small textures whose orientation and colour show on screen.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "basics.h"

using Rgb = std::array<int, 3>;

constexpr Rgb BLACK{0, 0, 0};
constexpr Rgb RED{255, 0, 0};
constexpr Rgb GREEN{0, 255, 0};
constexpr Rgb BLUE{0, 0, 255};
constexpr Rgb WHITE{255, 255, 255};
constexpr Rgb YELLOW{255, 255, 0};
constexpr Rgb MAGENTA{255, 0, 255};

// "(r, g, b)", for failure messages.
std::string describe(const Rgb& colour);
// Every channel within `tolerance` levels.
bool near(const Rgb& a, const Rgb& b, int tolerance = 8);
// Empty when `seen` is near `expected`, otherwise both described (for EXPECT_EQ(..., "")).
std::string colourMismatch(const Rgb& seen, const Rgb& expected);

// Draws into a framebuffer of the game window's size (`w` x `h`) instead of the small test
// window, cleared to black, with the viewport covering it, blending over, textures replacing
// the colour and the colour white. Once this is gone the window is drawn to again, with the
// state and matrices as they were before.
class OffscreenTarget {
public:
    OffscreenTarget();
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // The pixel at (x, y), counted from the lower left.
    Rgb pixel(int x, int y) const;
    // With `centredOrtho` in effect: the pixel showing world point p.
    Rgb world(point p) const;
    // One world unit per pixel, `centre` in the middle of the target; model-view identity.
    void centredOrtho(point centre);
    // The HUD's and the windows' projection: 0 to 100 percent of the screen on both axes.
    void percentOrtho();

private:
    unsigned framebuffer = 0;
    unsigned colourBuffer = 0;
    point orthoCentre{0.0f, 0.0f};
};

// The world texture slots for one test: every slot empty (drawn untextured) until set; the
// game's list comes back when this is gone. The textures set are not owned.
class ScopedTextureSlots {
public:
    ScopedTextureSlots();
    ~ScopedTextureSlots();
    ScopedTextureSlots(const ScopedTextureSlots&) = delete;
    ScopedTextureSlots& operator=(const ScopedTextureSlots&) = delete;
    void set(int slot, unsigned texture);

private:
    std::vector<unsigned> saved;
};

// A 2 x 2 texture with nearest filtering: top left red, top right green, bottom left blue,
// bottom right white. Drawn on a sprite quad, it shows where the picture's top and left went.
class QuadrantTexture {
public:
    QuadrantTexture();
    ~QuadrantTexture();
    QuadrantTexture(const QuadrantTexture&) = delete;
    QuadrantTexture& operator=(const QuadrantTexture&) = delete;
    unsigned name() const { return texture; }

    // The four quadrants of a sprite of half size `half` at `centre` whose picture top points
    // along the unit vector `up`, each as seen on `target` (world coordinates): empty when
    // every quadrant shows its colour, otherwise what was seen where.
    static std::string mismatches(const OffscreenTarget& target, point centre, point up, float half);

private:
    unsigned texture = 0;
};

// A 1 x 1 texture of one colour.
class SolidTexture {
public:
    explicit SolidTexture(const Rgb& colour);
    ~SolidTexture();
    SolidTexture(const SolidTexture&) = delete;
    SolidTexture& operator=(const SolidTexture&) = delete;
    unsigned name() const { return texture; }

private:
    unsigned texture = 0;
};
