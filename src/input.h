// The one input layer between SDL and the game: held keys, held mouse buttons, relative
// motion and discrete events. The game fills it from SDL; tests and benchmarks script it.
#pragma once

#include <array>
#include <utility>
#include <vector>

struct InputEvent {
    enum Kind { KeyDown, ButtonDown, ButtonUp, Quit };
    Kind kind;
    int code;  // SDL key symbol for keys, SDL button number (1-based) for buttons
    bool shift = false;  // a Shift key was down when the key went down
};

class InputState {
public:
    static constexpr int KEY_COUNT = 512;

    bool keyHeld(int sdlKey) const;
    void setKey(int sdlKey, bool held);
    // SDL's mask of held buttons: bit 0 left, bit 1 middle, bit 2 right, bits 3-4 the wheel.
    unsigned char buttonMask() const { return buttons; }
    void setButtons(unsigned char mask) { buttons = mask; }
    bool buttonHeld(int sdlButton) const { return (buttons >> (sdlButton - 1)) & 1; }
    void addMotion(int dx, int dy);
    // Relative motion accumulated since the last call; resets it.
    std::pair<int, int> takeMotion();
    void pushEvent(InputEvent event);
    // Events queued since the last call, in order; empties the queue.
    std::vector<InputEvent> takeEvents();
    // Replace everything with SDL's current state and pending events.
    void pollSdl();

private:
    std::array<bool, KEY_COUNT> keys{};
    unsigned char buttons = 0;
    int motionX = 0;
    int motionY = 0;
    std::vector<InputEvent> events;
};
