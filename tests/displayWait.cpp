#include "displayWait.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

bool waitForDisplay(double seconds) {
    if (!std::getenv("DISPLAY")) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (Display* display = XOpenDisplay(nullptr)) {
            XCloseDisplay(display);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
