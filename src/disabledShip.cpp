// A ship whose hull is gone: the script's "playerDisabled" hook (the engine functions a script
// needs to recover it are in playerLua).
#include "disabledShip.h"

#include <cmath>
#include <iostream>
#include <string>

#include "landing.h"
#include "luaTables.h"
#include "scriptGuard.h"
#include "startLua.h"
#include "worldState.h"

bool DisabledWatch::afterFrame(Universe& universe, lua_State* L) {
    if (!universe.player) return false;
    if (universe.player->getHealth() > 0.0f) {
        reported = false;
        return false;
    }
    if (reported) return false;
    reported = true;
    std::cout << "The ship is disabled" << std::endl;
    if (!L) return true;
    int base = lua_gettop(L);
    lua_getglobal(L, "playerDisabled");
    // The hook is optional: without it the ship flies on as it always did.
    if (lua_isfunction(L, -1)) callScript(L, 0, 0, "Lua event error, ");
    lua_settop(L, base);
    return true;
}
