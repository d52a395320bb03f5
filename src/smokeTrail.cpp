// Smoke puffs: each sample remembers how the ship moved and how many particles to emit, and the
// "smokeTrail" program spreads and ages them.
#include "smokeTrail.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "effectLayer.h"
#include "glHeaders.h"
#include "shaderList.h"

namespace {
const float BACK_LAYER = 100.0f;
// A particle's size at birth relative to `particleSize`, and what it grows by until the puff's
// end (smokeTrail.vs: particleSize * (0.45 + 1.1 * age)).
const float NEWEST_GROWTH = 0.45f;
const float OLDEST_GROWTH = 1.1f;
// How far a puff drifts along the ship's velocity per ms of its age (smokeTrail.vs).
const float DRIFT = 0.25f;

void setFloat(int location, float value) {
    if (location != -1) glUniform1f(location, value);
}

void setPoint(int location, point value) {
    if (location != -1) glUniform2f(location, value.x, value.y);
}

// Whether low..high is a box of numbers (a puff thrown to infinity gives none).
bool isFiniteBox(point low, point high) {
    return std::isfinite(low.x) && std::isfinite(low.y) && std::isfinite(high.x) && std::isfinite(high.y);
}

void setUnit(int location, int unit) {
    if (location != -1) glUniform1i(location, unit);
}
}  // namespace

SmokeTrail::SmokeTrail(int length, point start, int interval, float width, float red, float green, float blue,
                       float size, float particleSize, float spinSpeed, unsigned smokeTexture, unsigned colorTexture,
                       const ShaderList& shaders)
    : Trail(length, start, interval, width, red, green, blue), size(size), particleSize(particleSize),
      spinSpeed(spinSpeed), smokeTexture(smokeTexture), colorTexture(colorTexture),
      velocities(this->length + 1, point{0.0f, 0.0f}), randomValues(this->length + 1, 0.0f),
      counts(this->length + 1, 0u) {
    if (!shaders.getShader("smokeTrail", shader)) {
        // Without the program there is nothing to ask for uniforms; they stay at -1.
        shader = 0;
        return;
    }
    const std::pair<const char*, int*> uniforms[] = {
        {"size", &sizeUniform},         {"particleSize", &particleSizeUniform}, {"spinSpeed", &spinSpeedUniform},
        {"velocity", &velocityUniform}, {"time", &timeUniform},                 {"position", &positionUniform},
        {"rand", &randUniform},         {"lifetime", &lifetimeUniform},         {"smoke", &smokeUniform},
        {"color", &colorUniform}};
    for (const auto& uniform : uniforms) {
        if (!shaders.getUniform(shader, uniform.first, *uniform.second)) *uniform.second = -1;
    }
}

void SmokeTrail::update(point p, int dt, point velocity, unsigned count) {
    if (length == 0) return;
    elapsed += dt;
    while (elapsed >= interval) {
        head = (head + 1) % (length + 1);
        points[head] = p;
        visibleFlags[head] = visible;
        velocities[head] = velocity;
        counts[head] = count;
        randomValues[head] = static_cast<float>(std::rand() % 1000);
        // A non-positive interval would never run out: one puff per update then.
        if (interval <= 0) break;
        elapsed -= interval;
    }
}

float SmokeTrail::particleDepth(unsigned j, unsigned count) {
    // A single particle has no spread to share out (and j / (count - 1) would divide by zero).
    float z = count > 1 ? static_cast<float>(j) / static_cast<float>(count - 1) : 0.0f;
    if (j % 2 == 0) z += BACK_LAYER;
    return z;
}

std::vector<SmokePuff> SmokeTrail::puffs() const {
    std::vector<SmokePuff> result;
    if (length == 0) return result;
    int age = length * interval + elapsed;
    for (int i = 0; i <= length; ++i) {
        unsigned s = slotAt(i);
        if (visibleFlags[s] && visibleFlags[slotBefore(s)]) {
            float lifetime = static_cast<float>(i) / static_cast<float>(length);
            result.push_back({static_cast<float>(age), lifetime, randomValues[s], velocities[s], points[s], counts[s]});
        }
        age -= interval;
    }
    return result;
}

float SmokeTrail::smallestParticle() const { return 2.0f * grownSize(0.0f); }

float SmokeTrail::smallestParticleOf(const SmokePuff& puff) const { return 2.0f * grownSize(ageOf(puff)); }

float SmokeTrail::ageOf(const SmokePuff& puff) { return std::clamp(1.0f - puff.lifetime, 0.0f, 1.0f); }

float SmokeTrail::grownSize(float age) const { return particleSize * (NEWEST_GROWTH + OLDEST_GROWTH * age); }

void SmokeTrail::draw(point current, EffectLayer* layer) const {
    if (length == 0) return;
    const std::vector<SmokePuff> all = puffs();
    // Older puffs have grown: each run of puffs as large on screen is drawn at a reduction of its
    // own, oldest (coarsest) first. Each finer layer takes on what the coarser one held, so the
    // frame has the layer laid over it once, and every pixel still sees the puffs in their order.
    bool layered = false;
    int layerFactor = 1;
    point low{1e30f, 1e30f}, high{-1e30f, -1e30f};  // what the layer holds, in world units
    const auto finish = [&] {
        if (!layered) return;
        if (isFiniteBox(low, high))
            layer->end(low, high);
        else
            layer->end();
        layered = false;
    };
    for (size_t first = 0; first < all.size();) {
        const int factor = layer ? layer->factorFor(smallestParticleOf(all[first])) : 1;
        size_t end = first + 1;
        while (end < all.size() && layer && layer->factorFor(smallestParticleOf(all[end])) == factor) ++end;
        point runLow{1e30f, 1e30f}, runHigh{-1e30f, -1e30f};
        for (size_t i = first; i < end; ++i) puffBounds(all[i], runLow, runHigh);
        const bool finite = isFiniteBox(runLow, runHigh);
        // A layer's clearing and laying cost the whole view: puffs wholly out of it are not drawn.
        if (layer && factor > 1 && finite && !EffectLayer::reachesView(runLow, runHigh)) {
            first = end;
            continue;
        }
        const bool goesOn = layered && (factor == layerFactor || (factor < layerFactor && isFiniteBox(low, high) &&
                                                                  layer->refine(factor, low, high)));
        if (!goesOn) {
            finish();
            layered = layer && layer->begin(factor, EffectLayer::Over);
            low = {1e30f, 1e30f};
            high = {-1e30f, -1e30f};
            if (!layered) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        layerFactor = factor;
        // The smoke's texture is mipmapped (every world texture but the far background is).
        drawPuffs(all, first, end, layered ? layer->oneLevelSampler() : 0);
        low = {std::fmin(low.x, runLow.x), std::fmin(low.y, runLow.y)};
        high = {std::fmax(high.x, runHigh.x), std::fmax(high.y, runHigh.y)};
        first = end;
    }
    finish();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    reportError();
}

void SmokeTrail::puffBounds(const SmokePuff& puff, point& low, point& high) const {
    // As smokeTrail.vs places a particle: drifted, spread at most `size` scaled by age, and a
    // corner of its turned quad at most sqrt(2) times its grown size further.
    const float age = ageOf(puff);
    const point centre{puff.position.x + puff.velocity.x * puff.time * DRIFT,
                       puff.position.y + puff.velocity.y * puff.time * DRIFT};
    const float reach = std::fabs(size) * (0.15f + 0.85f * age) +
                        1.4143f * std::fabs(grownSize(age));
    low = {std::fmin(low.x, centre.x - reach), std::fmin(low.y, centre.y - reach)};
    high = {std::fmax(high.x, centre.x + reach), std::fmax(high.y, centre.y + reach)};
}

void SmokeTrail::drawPuffs(const std::vector<SmokePuff>& all, size_t first, size_t end, unsigned sampler) const {
    glUseProgram(shader);
    glBindTexture(GL_TEXTURE_2D, smokeTexture);
    if (sampler) glBindSampler(0, sampler);
    setFloat(sizeUniform, size);
    setFloat(particleSizeUniform, particleSize);
    setFloat(spinSpeedUniform, spinSpeed);
    setUnit(smokeUniform, 0);
    setUnit(colorUniform, 1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glActiveTexture(GL_TEXTURE0);

    for (size_t i = first; i < end; ++i) {
        const SmokePuff& puff = all[i];
        setFloat(timeUniform, puff.time);
        setFloat(lifetimeUniform, puff.lifetime);
        setFloat(randUniform, puff.rand);
        setPoint(velocityUniform, puff.velocity);
        setPoint(positionUniform, puff.position);
        glBegin(GL_QUADS);
        for (unsigned j = 0; j < puff.count; ++j) {
            float z = particleDepth(j, puff.count);
            glVertex3f(-1.0f, -1.0f, z);
            glVertex3f(-1.0f, 1.0f, z);
            glVertex3f(1.0f, 1.0f, z);
            glVertex3f(1.0f, -1.0f, z);
        }
        glEnd();
    }

    if (sampler) glBindSampler(0, 0);
    glUseProgram(0);
}
