// Shared vocabulary of the simulation: the point type, world constants, geometry helpers,
// random placement, number formatting, the game clock and the GL/AL error reporters.
#pragma once

#include <cstdint>
#include <string>

// A plain pair of floats: positions and velocities in game units, the UI cursor in percent.
struct point {
    float x;
    float y;
};

// World constants; each module gets its own copy (internal linkage).
constexpr float XBOUND = 100000.0f;
constexpr float YBOUND = 100000.0f;
constexpr float GRAVITYMULTIPLIER = 0.000001f;
constexpr int shipSpeed = 75;
constexpr int DEADZONE = 20;
constexpr float SIZEMULTIPLIER = 1.0f;
constexpr float collisionRadius = 50.0f;

// Window size in pixels.
extern int w;
extern int h;

// Offset between SDL ticks and the game clock; the only mutable state of this module.
extern int32_t TIMEOFFSET;

float square(float x);
float magnitude(point p);
point normalize(point p);
float pointDistance(point a, point b);
float sqPointDistance(point a, point b);
// Whether segment a->b passes strictly within r of c.
bool intersectCircleLine(point a, point b, point c, float r);
// Random even offset in [-n, n-2].
float closeRandLoc(int n);
// One draw of the C library generator reduced to 15 bits: [0, 32767].
int randomDraw();
// The one number formatter: six significant digits, general notation.
std::string toString(float v);
int pixelToGame(float v);

// Milliseconds since SDL started (the frame loop's "now").
uint32_t gameTicks();
void setTime(unsigned t);
unsigned getTime();

// Print one pending OpenGL error, if any.
void reportError();
// Print the pending ALUT error, if any.
void reportSoundError();

// One quad from (-half, -half) to (half, half) with texture (0,0) at the lower left and (1,1) at
// the upper right: the sprite shape of every ship, shot, body and blip.
void drawTexturedSquare(float half);
// 100 unit squares stacked at z = i/100, which the flame and wormhole shaders shape.
void drawUnitSlices();
