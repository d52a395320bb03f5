// playSound(name): the script's way to be heard, for the rules it keeps (sales, jobs).
#include "soundLua.h"

#include <iostream>
#include <string>

#include "luaTables.h"
#include "scriptGuard.h"
#include "soundCue.h"
#include "startLua.h"
#include "worldState.h"

namespace {

// playSound(name) -> true | nil, reason. `name` is a file of sounds/ without ".wav" ("sale",
// "click", "explosion", ...); the sound plays at the player, once the frame is drawn.
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

}  // namespace

void registerSoundFunctions(lua_State* L) { registerEngineFunction(L, "playSound", playSound); }
