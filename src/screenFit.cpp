// Fitting the game's fixed picture to the screen, and the SDL video mode that shows it.
#include "screenFit.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <iostream>

#include "glHeaders.h"

namespace {
// Room a desktop keeps around a window: a title bar and a panel above or below, borders beside.
const int CHROME_HEIGHT = 80;
const int CHROME_WIDTH = 16;
// A forced size below this is a typo rather than a wish.
const int SMALLEST_WINDOW = 64;
const int LARGEST_WINDOW = 16384;
}  // namespace

PixelSize fitWindow(PixelSize desktop, PixelSize picture) {
    if (desktop.width <= 0 || desktop.height <= 0 || desktop == picture) return picture;
    const int roomWidth = desktop.width - CHROME_WIDTH;
    const int roomHeight = desktop.height - CHROME_HEIGHT;
    if (roomWidth >= picture.width && roomHeight >= picture.height) return picture;
    // Height from the tighter of the two limits, width from the height, so the shape is kept exactly
    // for 5:4 (heights in steps of four give whole widths).
    long height = roomHeight;
    const long heightFromWidth = static_cast<long>(roomWidth) * picture.height / picture.width;
    if (heightFromWidth < height) height = heightFromWidth;
    height -= height % 4;
    if (height < SMALLEST_WINDOW) height = SMALLEST_WINDOW;
    const long width = height * picture.width / picture.height;
    return {static_cast<int>(width), static_cast<int>(height)};
}

bool parseWindowSize(const std::string& text, PixelSize& size) {
    int width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2) return false;
    if (width < SMALLEST_WINDOW || height < SMALLEST_WINDOW || width > LARGEST_WINDOW || height > LARGEST_WINDOW)
        return false;
    size = {width, height};
    return true;
}

PictureRect pictureRect(PixelSize window, PixelSize picture) {
    if (window.width <= 0 || window.height <= 0) return {0, 0, picture.width, picture.height};
    // Integer cross-multiplication keeps an exact fit exact (no one-pixel bar from rounding).
    int width = window.width;
    int height = static_cast<int>(static_cast<long>(window.width) * picture.height / picture.width);
    if (height > window.height) {
        height = window.height;
        width = static_cast<int>(static_cast<long>(window.height) * picture.width / picture.height);
    }
    return {(window.width - width) / 2, (window.height - height) / 2, width, height};
}

ScreenMode::ScreenMode(PixelSize pictureSize, const std::string& forced) : picture(pictureSize) {
    // Asked before the first mode is set: afterwards SDL reports the window instead of the desktop.
    if (const SDL_VideoInfo* info = SDL_GetVideoInfo()) desktopSize = {info->current_w, info->current_h};
    windowedSize = fitWindow(desktopSize, picture);
    if (!forced.empty()) {
        PixelSize size;
        if (parseWindowSize(forced, size))
            windowedSize = size;
        else
            std::cout << "Error, QUORBLE_WINDOW should be a size such as 1024x819, not " << forced << std::endl;
    }
    if (!(windowedSize == picture))
        std::cout << "Window " << windowedSize.width << " x " << windowedSize.height << " on a desktop of "
                  << desktopSize.width << " x " << desktopSize.height << std::endl;
}

bool ScreenMode::setMode(PixelSize size, bool fullScreenMode) {
    Uint32 flags = SDL_OPENGL;
    if (fullScreenMode) flags |= SDL_FULLSCREEN;
    if (!SDL_SetVideoMode(size.width, size.height, 32, flags)) return false;
    current = size;
    full = fullScreenMode;
    return true;
}

bool ScreenMode::open() { return setMode(windowedSize, false); }

bool ScreenMode::toggleFullScreen() {
    bool done = false;
    if (full)
        done = setMode(windowedSize, false);
    else if (desktopSize.width > 0 && desktopSize.height > 0)
        done = setMode(desktopSize, true);
    if (!done) {
        std::cout << "Error, full screen could not be " << (full ? "left" : "entered") << ": " << SDL_GetError()
                  << std::endl;
        return false;
    }
    applyViewport();
    return true;
}

bool ScreenMode::hasBars() const {
    const PictureRect r = rect();
    return r.x != 0 || r.y != 0 || r.width != current.width || r.height != current.height;
}

void ScreenMode::applyViewport() const {
    const PictureRect r = rect();
    glViewport(r.x, r.y, r.width, r.height);
}
