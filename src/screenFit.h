// The window's size on the desktop and where the game's fixed 1280 x 1024 picture lands in it:
// the largest 5:4 window that fits the screen, a forced size, full screen with black bars.
#pragma once

#include <string>

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize& other) const { return width == other.width && height == other.height; }
};

// The part of the window the picture is drawn into (GL viewport: origin bottom left).
struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window to open for a picture of `picture` on a desktop of `desktop` (0 x 0 when SDL does not
// know it). A desktop that holds the picture with room for a title bar and a panel, or one exactly
// the picture's size, keeps the picture's size; a smaller one gets the largest window of the same
// shape that leaves that room.
PixelSize fitWindow(PixelSize desktop, PixelSize picture);
// "WxH" (for example "1366x768") as a size; false for anything else or a size out of reason.
bool parseWindowSize(const std::string& text, PixelSize& size);
// The largest rectangle of the picture's shape inside `window`, centred (black bars beside it).
PictureRect pictureRect(PixelSize window, PixelSize picture);

// The game's video mode: opens the window at the fitted or forced size, toggles full screen and
// keeps the GL viewport on the picture. SDL must be initialised; the GL context survives the
// toggle (SDL 1.2 resizes the window of an OpenGL mode in place).
class ScreenMode {
public:
    // `forced` is QUORBLE_WINDOW's text ("" when unset).
    ScreenMode(PixelSize picture, const std::string& forced);
    // Opens the window; false (SDL's error set) when no mode could be set.
    bool open();
    // Full screen on, or back to the window; false when SDL refused (the old mode stays).
    bool toggleFullScreen();
    // Sets the GL viewport to the picture; call after every mode change.
    void applyViewport() const;
    // True when the picture does not cover the whole window, so the bars need clearing each frame.
    bool hasBars() const;
    bool fullScreen() const { return full; }
    PixelSize window() const { return current; }
    PixelSize windowed() const { return windowedSize; }
    PixelSize desktop() const { return desktopSize; }
    PictureRect rect() const { return pictureRect(current, picture); }

private:
    bool setMode(PixelSize size, bool fullScreenMode);

    PixelSize picture;
    PixelSize desktopSize;
    PixelSize windowedSize;
    PixelSize current;
    bool full = false;
};
