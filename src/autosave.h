// The automatic save: one more slot beside the five, written at every landing, every take-off
// and every two minutes of flight, and read back with F6.
#pragma once

#include <string>

class Universe;
struct lua_State;

// The slot's folder name under saves/.
extern const char* const AUTOSAVE_SLOT;

// Whether a complete automatic save is there to continue.
bool autosaveExists(const Universe& universe);

// Writes the automatic save now. On failure the game goes on; the reason is printed and shown on
// the screen's error line (through `L`, when there is a script state).
bool writeAutosave(Universe& universe, lua_State* L);

// Watches the ship from frame to frame and saves when it lands, takes off, or has flown two
// minutes since the last save.
class Autosave {
public:
    // `armed` false keeps an earlier game's save until the pilot takes off or loads a game, so
    // the landing a new game starts with does not overwrite the game F6 would continue.
    explicit Autosave(bool armed = true) : armed(armed) {}
    // After each frame's simulation; answers whether it saved.
    bool afterFrame(Universe& universe, lua_State* L, int dt);
    // A game was loaded: its landing (if any) is to be saved, and the flight clock restarts.
    void gameLoaded();

private:
    bool armed;
    bool wasLanded = false;
    bool landingPending = false;  // landed this frame; saved next frame, once the ship rides
    long flightMs = 0;
};
