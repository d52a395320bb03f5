// Engine functions about what the pilot is shown on the screen beside the windows.
#pragma once

struct lua_State;

namespace engineApi {

// showHint(text) -> true, or nil and a reason: the line of guidance shown on screen until the
// next call; "" clears it.
int showHint(lua_State* L);

}  // namespace engineApi
