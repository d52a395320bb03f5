// Engine functions about the screen (see screenLua.h for what each answers).
#include "screenLua.h"

#include <string>

#include "engineContext.h"
#include "worldState.h"

namespace {

// Longer than this is no longer one line on any screen, and most likely a script's mistake.
constexpr size_t MAX_HINT_LENGTH = 400;

}  // namespace

namespace engineApi {

int showHint(lua_State* L) {
    const int type = lua_type(L, 1);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return refuseCall(L, std::string("showHint: a hint is text, not ") + lua_typename(L, type));
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    if (length > MAX_HINT_LENGTH)
        return refuseCall(L, "showHint: a hint of " + std::to_string(length) + " characters is longer than " +
                             std::to_string(MAX_HINT_LENGTH));
    Universe* universe = engineUniverse(L);
    if (universe) universe->hint.show(std::string(text, length));
    lua_pushboolean(L, 1);
    return 1;
}

}  // namespace engineApi
