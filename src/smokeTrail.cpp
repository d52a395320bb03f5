// Smoke puffs: each sample remembers how the ship moved and how many particles to emit, and the
// "smokeTrail" program spreads and ages them.
#include "smokeTrail.h"

#include <cstdlib>
#include <utility>

#include "effectLayer.h"
#include "glHeaders.h"
#include "shaderList.h"

namespace {
const float BACK_LAYER = 100.0f;
// A particle's size at birth relative to `particleSize` (smokeTrail.vs grows it from there).
const float NEWEST_GROWTH = 0.45f;

void setFloat(int location, float value) {
    if (location != -1) glUniform1f(location, value);
}

void setPoint(int location, point value) {
    if (location != -1) glUniform2f(location, value.x, value.y);
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

float SmokeTrail::smallestParticle() const { return 2.0f * particleSize * NEWEST_GROWTH; }

void SmokeTrail::draw(point current, EffectLayer* layer) const {
    if (length == 0) return;
    const bool layered = layer && layer->begin(layer->factorFor(smallestParticle()), EffectLayer::Over);
    if (!layered) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(shader);
    glBindTexture(GL_TEXTURE_2D, smokeTexture);
    setFloat(sizeUniform, size);
    setFloat(particleSizeUniform, particleSize);
    setFloat(spinSpeedUniform, spinSpeed);
    setUnit(smokeUniform, 0);
    setUnit(colorUniform, 1);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glActiveTexture(GL_TEXTURE0);

    for (const SmokePuff& puff : puffs()) {
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

    glUseProgram(0);
    if (layered) layer->end();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    reportError();
}
