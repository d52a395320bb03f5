// A ship whose hull is gone: the script's "playerDisabled" hook (the engine functions a script
// needs to recover it are in playerLua).
#pragma once

class Universe;
struct lua_State;

// Calls the script's optional global "playerDisabled" once when the ship's hit points fall to
// zero or below, and again only after they have risen above zero in between.
class DisabledWatch {
public:
    // After each frame's simulation; answers whether the hook was called.
    bool afterFrame(Universe& universe, lua_State* L);

private:
    bool reported = false;
};
