// Shared test helpers: one GL window for tests that draw, temporary content directories with a
// small complete game, and capture of standard output.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Universe;

// Opens one SDL window with a GL context for the whole run (under Xvfb in the test script).
// Safe to call from every test that draws; also starts SDL's timer.
void ensureGlContext();

// A fresh directory under /tmp, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Path ending in '/'.
    const std::string& path() const { return dir; }
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string dir;
};

// The seven content files (and shader sources) of a small but complete game, by file name.
std::map<std::string, std::string> minimalContent();

// Writes minimalContent() with `overrides` applied (an empty text removes a file) into `dir`.
void writeContent(const TempDir& dir, const std::map<std::string, std::string>& overrides = {});

// A universe built from `dir` (content written already): constructed, shaders loaded,
// worlds built and the player made. Null when any step failed.
std::unique_ptr<Universe> buildUniverse(const TempDir& dir);

// Everything written to standard output while `action` runs.
std::string captureOutput(const std::function<void()>& action);

// Directory of the shipped game data.
std::string shippedDataDirectory();

// Directory of the GLSL programs that the shipped ones replaced, kept as the pictures the faster
// drawings must match.
std::string referenceShaderDirectory();

// Starts a picture as the game starts its frames: the `width` x `height` viewport cleared to
// `clearColour` (the clear colour is left at black), texturing on, blending the source by its
// alpha onto `blendDestination` (GL_ONE_MINUS_SRC_ALPHA, or GL_ONE for the additive pass) and
// textures replacing colours.
void startPicture(int width, int height, const float clearColour[4], unsigned blendDestination);

// A `width` x `height` viewport with one unit a pixel, y upwards, and no model transform.
void pixelProjection(int width, int height);

// The RGB pixels of the `width` x `height` lower-left corner of the screen, bottom row first.
std::vector<unsigned char> readScreen(int width, int height);

// How far two pictures of the same size lie apart, channel by channel.
struct PictureDifference {
    int largest = 0;           // largest gap in levels of 255
    double farOffShare = 0.0;  // share of channels more than 2 levels apart
    long lit = 0;              // channels of the first picture brighter than 40
};
PictureDifference comparePictures(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
