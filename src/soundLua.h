// The engine function that lets the script be heard, for the rules it keeps (sales, jobs).
#pragma once

struct lua_State;

namespace engineApi {

// playSound(name) -> true, or nil and a reason. `name` is a file of sounds/ without ".wav"
// ("sale", "click", "explosion", ...); the sound plays at the player, once the frame is drawn.
int playSound(lua_State* L);

}  // namespace engineApi
