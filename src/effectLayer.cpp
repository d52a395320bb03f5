// Reduced-resolution drawing of soft effects. Within the layer the colour is kept premultiplied
// by alpha, so laying it over the frame gives what drawing every particle there would.
#include "effectLayer.h"

#include <algorithm>
#include <iostream>

#include "glHeaders.h"
#include "textures.h"

namespace {
// The largest reduction: beyond it the layer's pixels start to show at the effects' edges.
constexpr int MAX_FACTOR = 32;
// Layer pixels kept across the smallest soft feature of an effect; fewer and its edge blurs.
constexpr float MIN_FEATURE_PIXELS = 12.0f;
}  // namespace

EffectLayer::~EffectLayer() {
    for (Target& target : targets) {
        if (target.framebuffer) glDeleteFramebuffers(1, &target.framebuffer);
        if (target.texture) glDeleteTextures(1, &target.texture);
    }
    if (sampler) glDeleteSamplers(1, &sampler);
}

unsigned EffectLayer::oneLevelSampler() {
    if (samplerTried) return sampler;
    samplerTried = true;
    if (glGenSamplers == nullptr) return 0;
    sampler = makeSampler(GL_LINEAR_MIPMAP_NEAREST, GL_CLAMP_TO_EDGE);
    return sampler;
}

int EffectLayer::factorFor(float featureSize) const { return factorFor(featureSize, pixelSize); }

int EffectLayer::factorFor(float featureSize, float pixelSize) {
    if (pixelSize <= 0.0f) return 1;
    const float pixels = featureSize / pixelSize;
    int factor = 1;
    while (factor < MAX_FACTOR && pixels / static_cast<float>(factor * 2) >= MIN_FEATURE_PIXELS) factor *= 2;
    return factor;
}

bool EffectLayer::prepare(Target& target, int width, int height) {
    if (target.framebuffer && width == target.width && height == target.height) return true;
    // The effect's own texture may be bound already: it stays bound.
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    if (!target.framebuffer) {
        glGenFramebuffers(1, &target.framebuffer);
        glGenTextures(1, &target.texture);
    }
    glBindTexture(GL_TEXTURE_2D, target.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    // Eight bits a channel: the picture tests find the layer as close to the direct drawing as
    // with half floats, and no extension is needed.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    if (!complete) return false;
    target.width = width;
    target.height = height;
    return true;
}

EffectLayer::Target* EffectLayer::targetFor(int factor) {
    const int width = (savedViewport[2] + factor - 1) / factor;
    const int height = (savedViewport[3] + factor - 1) / factor;
    if (width <= 0 || height <= 0) return nullptr;
    int index = 0;
    while (index + 1 < TARGET_COUNT && (2 << index) < factor) ++index;
    Target& target = targets[index];
    if (prepare(target, width, height)) return &target;
    std::cout << "Error, the effects' off-screen layer cannot be made; they are drawn directly" << std::endl;
    failed = true;
    return nullptr;
}

bool EffectLayer::begin(int factor, Blend blend) {
    // Without framebuffer objects (an old driver, GLEW not started) the effects draw directly.
    if (factor <= 1 || failed || glGenFramebuffers == nullptr) return false;
    glGetIntegerv(GL_VIEWPORT, savedViewport);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &savedFramebuffer);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);
    Target* target = targetFor(factor);
    if (!target) {
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(savedFramebuffer));
        return false;
    }
    active = target;
    activeFactor = factor;
    activeBlend = blend;
    carried[0] = carried[1] = 1.0f;
    carried[2] = carried[3] = -1.0f;
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
    // The whole view shrinks into the layer; laying the layer over the whole viewport undoes it.
    glViewport(0, 0, target->width, target->height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (blend == Over)
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    return true;
}

bool EffectLayer::refine(int factor, point low, point high) {
    if (!active || activeBlend != Over || factor <= 1 || factor >= activeFactor) return false;
    float drawn[4];
    if (!coveredRect(low, high, drawn)) drawn[0] = drawn[1] = -1.0f, drawn[2] = drawn[3] = 1.0f;
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    Target* coarse = active;
    Target* fine = targetFor(factor);
    if (!fine) {
        glBindFramebuffer(GL_FRAMEBUFFER, coarse->framebuffer);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
        return false;
    }
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glBindFramebuffer(GL_FRAMEBUFFER, fine->framebuffer);
    glViewport(0, 0, fine->width, fine->height);
    glClear(GL_COLOR_BUFFER_BIT);
    // The finer layer starts as the coarser one: premultiplied "over" nests, so the effects
    // drawn on next lie over the coarser ones as they would over the frame.
    glUseProgram(0);
    glBlendFunc(GL_ONE, GL_ZERO);
    drawSpan(coarse->texture, drawn);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(static_cast<GLuint>(program));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    carried[0] = std::min(carried[0], drawn[0]);
    carried[1] = std::min(carried[1], drawn[1]);
    carried[2] = std::max(carried[2], drawn[2]);
    carried[3] = std::max(carried[3], drawn[3]);
    active = fine;
    activeFactor = factor;
    return true;
}

namespace {

// Where the world box low..high lands in normalised device coordinates under the current
// matrices, as left, bottom, right, top; false when some corner lies behind the eye.
bool deviceRect(point low, point high, float rect[4]) {
    float modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    rect[0] = rect[1] = 1e30f;
    rect[2] = rect[3] = -1e30f;
    const point corners[4] = {low, {low.x, high.y}, high, {high.x, low.y}};
    for (const point& corner : corners) {
        float eye[4], clip[4];
        for (int row = 0; row < 4; ++row)
            eye[row] = modelView[row] * corner.x + modelView[4 + row] * corner.y + modelView[12 + row];
        for (int row = 0; row < 4; ++row)
            clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] + projection[8 + row] * eye[2] +
                        projection[12 + row] * eye[3];
        if (!(clip[3] > 0.0f)) return false;
        rect[0] = std::min(rect[0], clip[0] / clip[3]);
        rect[1] = std::min(rect[1], clip[1] / clip[3]);
        rect[2] = std::max(rect[2], clip[0] / clip[3]);
        rect[3] = std::max(rect[3], clip[1] / clip[3]);
    }
    return true;
}

}  // namespace

bool EffectLayer::reachesView(point low, point high) {
    float rect[4];
    if (!deviceRect(low, high, rect)) return true;
    return rect[0] < 1.0f && rect[2] > -1.0f && rect[1] < 1.0f && rect[3] > -1.0f;
}

void EffectLayer::end() {
    const float whole[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
    lay(whole);
}

bool EffectLayer::coveredRect(point low, point high, float rect[4]) const {
    if (!deviceRect(low, high, rect)) return false;
    // A layer pixel more on every side: filtering reads the texels next to the drawing.
    const float marginX = active ? 2.0f / static_cast<float>(active->width) : 0.0f;
    const float marginY = active ? 2.0f / static_cast<float>(active->height) : 0.0f;
    rect[0] = std::max(rect[0] - marginX, -1.0f);
    rect[1] = std::max(rect[1] - marginY, -1.0f);
    rect[2] = std::min(rect[2] + marginX, 1.0f);
    rect[3] = std::min(rect[3] + marginY, 1.0f);
    return true;
}

void EffectLayer::end(point low, point high) {
    float rect[4];
    if (!coveredRect(low, high, rect)) {
        end();
        return;
    }
    if (carried[0] < carried[2]) {
        rect[0] = std::min(rect[0], carried[0]);
        rect[1] = std::min(rect[1], carried[1]);
        rect[2] = std::max(rect[2], carried[2]);
        rect[3] = std::max(rect[3], carried[3]);
    }
    lay(rect);
}

void EffectLayer::drawSpan(unsigned texture, const float rect[4]) {
    const float left = rect[0], bottom = rect[1], right = rect[2], top = rect[3];
    if (!(left < right && bottom < top)) return;
    GLint environment = GL_MODULATE;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, texture);
    // A layer spans the whole view: texture coordinates follow the device coordinates.
    glBegin(GL_QUADS);
    glTexCoord2f((left + 1.0f) / 2.0f, (bottom + 1.0f) / 2.0f);
    glVertex2f(left, bottom);
    glTexCoord2f((right + 1.0f) / 2.0f, (bottom + 1.0f) / 2.0f);
    glVertex2f(right, bottom);
    glTexCoord2f((right + 1.0f) / 2.0f, (top + 1.0f) / 2.0f);
    glVertex2f(right, top);
    glTexCoord2f((left + 1.0f) / 2.0f, (top + 1.0f) / 2.0f);
    glVertex2f(left, top);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
}

void EffectLayer::lay(const float rect[4]) {
    if (!active) return;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(savedFramebuffer));
    glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
    glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);
    glUseProgram(0);
    // The layer holds premultiplied colour: over, the frame keeps what the layer leaves uncovered.
    glBlendFunc(GL_ONE, activeBlend == Over ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
    const unsigned texture = active->texture;
    active = nullptr;
    drawSpan(texture, rect);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}
