// Reloading the script into the running game's Lua state (F9): the new top level runs in place of
// the old one; when it fails, the globals the old one defined are put back.
#pragma once

#include <string>

struct lua_State;

// Runs the script file `path` again. True when it ran; false when it could not be read or raised
// an error (reported like any script error), in which case every global is as it was before.
// `message` is the one line to show either way.
bool reloadScript(lua_State* L, const std::string& path, std::string& message);
