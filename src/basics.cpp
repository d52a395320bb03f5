// Geometry helpers, random placement, number formatting, the game clock and error reporters.
#include "basics.h"

#include <AL/alut.h>
#include <SDL/SDL.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "glHeaders.h"

int w = 1280;
int h = 1024;
int32_t TIMEOFFSET = 0;

float square(float x) { return x * x; }

float magnitude(point p) { return std::sqrt(p.x * p.x + p.y * p.y); }

point normalize(point p) {
    float m = magnitude(p);
    return {p.x / m, p.y / m};
}

float pointDistance(point a, point b) {
    float dx = std::fabs(a.x - b.x);
    float dy = std::fabs(a.y - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

float sqPointDistance(point a, point b) {
    float dx = std::fabs(a.x - b.x);
    float dy = std::fabs(a.y - b.y);
    return dx * dx + dy * dy;
}

bool intersectCircleLine(point a, point b, point c, float r) {
    point d{b.x - a.x, b.y - a.y};
    float t = -((a.x - c.x) * d.x + (a.y - c.y) * d.y) / (d.x * d.x + d.y * d.y);
    // A degenerate segment gives NaN here, and every comparison below then fails.
    if (t < 0)
        t = 0;
    else if (t > 1)
        t = 1;
    point q{a.x + d.x * t - c.x, a.y + d.y * t - c.y};
    return r * r > q.x * q.x + q.y * q.y;
}

int randomDraw() { return std::rand() & 0x7FFF; }

float closeRandLoc(int n) {
    if (n <= 0) return 0.0f;
    return static_cast<float>(((7 * randomDraw()) % n) * 2 - n);
}

std::string toString(float v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

int pixelToGame(float v) { return static_cast<int>(v); }

uint32_t gameTicks() { return SDL_GetTicks(); }

void setTime(unsigned t) { TIMEOFFSET = static_cast<int32_t>(t - gameTicks()); }

unsigned getTime() { return gameTicks() + static_cast<uint32_t>(TIMEOFFSET); }

void reportError() {
    switch (glGetError()) {
    case GL_INVALID_ENUM: std::cout << "Invalid enumerated argument" << std::endl; break;
    case GL_INVALID_VALUE: std::cout << "invalid value" << std::endl; break;
    case GL_INVALID_OPERATION: std::cout << "Invalid operation" << std::endl; break;
    case GL_STACK_OVERFLOW: std::cout << "GL stack overflow" << std::endl; break;
    case GL_STACK_UNDERFLOW: std::cout << "gl stack underflow" << std::endl; break;
    case GL_OUT_OF_MEMORY: std::cout << "out of memory" << std::endl; break;
    default: break;
    }
}

void reportSoundError() {
    ALenum error = alutGetError();
    if (error != ALUT_ERROR_NO_ERROR) std::cout << "AL error: " << alutGetErrorString(error) << std::endl;
}

void drawTexturedSquare(float half) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-half, -half);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-half, half);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(half, half);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(half, -half);
    glEnd();
}

void drawUnitSlices() {
    glBegin(GL_QUADS);
    for (int i = 0; i < 100; ++i) {
        float z = i / 100.0f;
        glVertex3f(-1.0f, -1.0f, z);
        glVertex3f(-1.0f, 1.0f, z);
        glVertex3f(1.0f, 1.0f, z);
        glVertex3f(1.0f, -1.0f, z);
    }
    glEnd();
}
