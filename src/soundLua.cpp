// The engine function that plays a sound effect for the script (see soundLua.h).
#include "soundLua.h"

#include <iostream>
#include <string>

#include "luaTables.h"
#include "soundCue.h"
#include "engineContext.h"
#include "worldState.h"

namespace engineApi {

int playSound(lua_State* L) {
    size_t length = 0;
    const char* text = luaL_checklstring(L, 1, &length);
    Universe* universe = engineUniverse(L);
    SoundKind kind = SoundKind::Sale;
    bool known = false;
    bool queued = false;
    {
        const std::string name(text, length);
        known = soundKindNamed(name, kind);
        if (!known) std::cout << "Error, playSound: there is no sound called " << name << std::endl;
        if (known && universe && universe->player &&
            static_cast<size_t>(universe->player->getWorld()) < universe->worlds.size()) {
            universe->currentWorld().soundCues.push_back({kind, universe->player->getPosition(), true});
            queued = true;
        }
    }
    if (queued) {
        lua_pushboolean(L, 1);
        return 1;
    }
    lua_pushnil(L);
    lua_pushstring(L, known ? "no player to hear it" : "unknown sound");
    return 2;
}

}  // namespace engineApi
