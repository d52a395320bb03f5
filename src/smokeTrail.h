// A trail whose samples carry velocity, particle count and a random number, drawn as puffs of
// smoke through the "smokeTrail" program.
#pragma once

#include <vector>

#include "trail.h"

class EffectLayer;
class ShaderList;

// The uniform values of one drawn puff.
struct SmokePuff {
    float time;      // ms since the puff was recorded
    float lifetime;  // 0 for the oldest slot, 1 for the newest
    float rand;
    point velocity;
    point position;
    unsigned count;
};

class SmokeTrail : public Trail {
public:
    SmokeTrail() = default;
    SmokeTrail(int length, point start, int interval, float width, float red, float green, float blue, float size,
               float particleSize, float spinSpeed, unsigned smokeTexture, unsigned colorTexture,
               const ShaderList& shaders);

    // Records as many puffs as whole intervals have passed (catching up after long frames).
    void update(point p, int dt, point velocity, unsigned count);
    // Draws the puffs; with a layer, into it at the resolution their size on screen allows.
    void draw(point current, EffectLayer* layer = nullptr) const;
    // World units across the smallest particle (the newest puff's), and across the smallest of
    // one puff (older puffs have grown): what decides a layer's resolution.
    float smallestParticle() const;
    float smallestParticleOf(const SmokePuff& puff) const;
    // The puffs that draw() sends, oldest first (samples beside an invisible one are left out).
    std::vector<SmokePuff> puffs() const;
    // Depth of particle quad j of a puff of `count` particles: spread over [0, 1], even ones
    // pushed back by 100.
    static float particleDepth(unsigned j, unsigned count);

    float size = 0.0f;
    float particleSize = 0.0f;
    float spinSpeed = 0.0f;
    unsigned smokeTexture = 0;
    unsigned colorTexture = 0;
    int shader = 0;
    int sizeUniform = -1, particleSizeUniform = -1, spinSpeedUniform = -1, velocityUniform = -1,
        timeUniform = -1, positionUniform = -1, randUniform = -1, lifetimeUniform = -1, smokeUniform = -1,
        colorUniform = -1;
    std::vector<point> velocities;
    std::vector<float> randomValues;
    std::vector<unsigned> counts;

private:
    // How far through its life the puff is: 0 new, 1 at its end (smokeTrail.vs).
    static float ageOf(const SmokePuff& puff);
    // Half the width of a particle of that age, in world units, as smokeTrail.vs grows it.
    float grownSize(float age) const;
    // Grows low..high to hold every particle the puff may draw, in world units.
    void puffBounds(const SmokePuff& puff, point& low, point& high) const;
    // Puffs first..end of `all`, into whatever target and blending are set, the smoke texture
    // read through `sampler` unless it is 0.
    void drawPuffs(const std::vector<SmokePuff>& all, size_t first, size_t end, unsigned sampler) const;
};
