// Pictures of the X screen for the tests that play the real game: taken with ImageMagick,
// kept as PNG artefacts in build/test-artefacts/ and read back as pixels.
#pragma once

#include <string>
#include <vector>

// An RGB screenshot in memory.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    bool valid() const { return width > 0 && height > 0; }
    // Colour at pixel (x, y), y counted from the top.
    void at(int x, int y, int& r, int& g, int& b) const;
    // How many pixels of the rectangle satisfy the test.
    template <typename Test>
    int count(int x0, int y0, int x1, int y1, Test test) const {
        int n = 0;
        for (int y = y0; y < y1 && y < height; ++y)
            for (int x = x0; x < x1 && x < width; ++x) {
                int r, g, b;
                at(x, y, r, g, b);
                if (test(r, g, b)) ++n;
            }
        return n;
    }
};

// What a shell command prints on standard output ("" when it cannot be run).
std::string runCommand(const std::string& command);

// The folder the screenshots are kept in, made when missing; ends in '/'.
std::string artefactDirectory();

// Saves the whole screen as `name`.png in the artefact folder and answers its pixels (invalid
// when the picture could not be taken); `scratchDirectory` holds the copy read back.
Screenshot takeScreenshot(const std::string& name, const std::string& scratchDirectory);
