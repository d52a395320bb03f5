// A private virtual X server of a chosen size for the length of a test, made the display of
// this process (and so of the game and the xdotool and ImageMagick commands it starts).
#pragma once

#include <string>
#include <sys/types.h>

class SizedScreen {
public:
    SizedScreen(int width, int height);
    // Stops the server and gives back the display that was set before.
    ~SizedScreen();
    SizedScreen(const SizedScreen&) = delete;
    SizedScreen& operator=(const SizedScreen&) = delete;
    // True once the server answers on its display.
    bool ready() const { return answering; }
    const std::string& display() const { return name; }

private:
    pid_t pid = -1;
    std::string name;
    std::string previous;
    bool hadPrevious = false;
    bool answering = false;
};
