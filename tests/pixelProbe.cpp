// Off-screen drawing, read-back and the test textures.
#include "pixelProbe.h"

#include <cmath>
#include <cstdlib>

#include "glHeaders.h"
#include "testSupport.h"
#include "textures.h"

namespace {
unsigned makeTexture(int width, int height, const unsigned char* rgba) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}
}  // namespace

std::string describe(const Rgb& colour) {
    return "(" + std::to_string(colour[0]) + ", " + std::to_string(colour[1]) + ", " + std::to_string(colour[2]) +
           ")";
}

bool near(const Rgb& a, const Rgb& b, int tolerance) {
    for (size_t i = 0; i < a.size(); ++i)
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
}

std::string colourMismatch(const Rgb& seen, const Rgb& expected) {
    return near(seen, expected) ? "" : "seen " + describe(seen) + ", expected " + describe(expected);
}

OffscreenTarget::OffscreenTarget() {
    ensureGlContext();
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &colourBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    startPicture(w, h, black, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

OffscreenTarget::~OffscreenTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colourBuffer);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void OffscreenTarget::percentOrtho() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 100, 0, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

Rgb OffscreenTarget::pixel(int x, int y) const {
    unsigned char rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

Rgb OffscreenTarget::world(point p) const {
    return pixel(static_cast<int>(std::floor(p.x - orthoCentre.x + w / 2.0f)),
                 static_cast<int>(std::floor(p.y - orthoCentre.y + h / 2.0f)));
}

void OffscreenTarget::centredOrtho(point centre) {
    orthoCentre = centre;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(centre.x - w / 2.0f, centre.x + w / 2.0f, centre.y - h / 2.0f, centre.y + h / 2.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

QuadrantTexture::QuadrantTexture() {
    // Rows from the bottom: blue, white; then red, green.
    const unsigned char texels[] = {0, 0, 255, 255, 255, 255, 255, 255, 255, 0, 0, 255, 0, 255, 0, 255};
    texture = makeTexture(2, 2, texels);
}

QuadrantTexture::~QuadrantTexture() { glDeleteTextures(1, &texture); }

std::string QuadrantTexture::mismatches(const OffscreenTarget& target, point centre, point up, float half) {
    // Right of the picture: `up` turned a quarter clockwise.
    const point right{up.y, -up.x};
    struct Quadrant {
        const char* name;
        float alongUp, alongRight;
        Rgb colour;
    };
    const Quadrant quadrants[] = {{"top left", 1.0f, -1.0f, RED},
                                  {"top right", 1.0f, 1.0f, GREEN},
                                  {"bottom left", -1.0f, -1.0f, BLUE},
                                  {"bottom right", -1.0f, 1.0f, WHITE}};
    std::string problems;
    for (const Quadrant& q : quadrants) {
        const point at{centre.x + half * 0.5f * (q.alongUp * up.x + q.alongRight * right.x),
                       centre.y + half * 0.5f * (q.alongUp * up.y + q.alongRight * right.y)};
        const std::string mismatch = colourMismatch(target.world(at), q.colour);
        if (!mismatch.empty()) problems += std::string(q.name) + ": " + mismatch + "; ";
    }
    return problems;
}

SolidTexture::SolidTexture(const Rgb& colour) {
    const unsigned char texel[] = {static_cast<unsigned char>(colour[0]), static_cast<unsigned char>(colour[1]),
                                   static_cast<unsigned char>(colour[2]), 255};
    texture = makeTexture(1, 1, texel);
}

SolidTexture::~SolidTexture() { glDeleteTextures(1, &texture); }

ScopedTextureSlots::ScopedTextureSlots() : saved(24, 0u) { saved.swap(textures); }

ScopedTextureSlots::~ScopedTextureSlots() { saved.swap(textures); }

void ScopedTextureSlots::set(int slot, unsigned texture) { textures.at(static_cast<size_t>(slot)) = texture; }
