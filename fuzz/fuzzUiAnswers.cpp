// Fuzz target: what "ui.lua" answers to "addUI", "updateUI" and "planetTick".
//
// The input is either a whole script (it compiles as a chunk) or an expression list that every
// one of the three functions returns, for example a creation table literal followed by a name.
// The engine raises one event, then clicks, drags and hovers over the middle of every element
// and lets every display talk to the script, three rounds; planets tick in between. After every
// engine call the Lua stack must be as high as before it.
#include <cstddef>
#include <cstdint>

#include "../tests/testSupport.h"
#include "fuzzSupport.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

// The script made from the input (see the file comment).
std::string scriptFor(lua_State* L, const std::string& input) {
    if (luaL_loadbuffer(L, input.data(), input.size(), "input") == 0) {
        lua_pop(L, 1);
        return input;
    }
    lua_pop(L, 1);
    return "local function answer(...) return " + input +
           "\nend\n"
           "function addUI(...) return answer(...) end\n"
           "function updateUI(...) return answer(...) end\n"
           "function planetTick(...) return answer(...) end\n";
}

void checkHeight(lua_State* L, int height, const char* what) { fuzzCheck(lua_gettop(L) == height, what); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    minimalContentDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TempDir& content = minimalContentDirectory();
    std::unique_ptr<Universe> universe = buildFuzzUniverse(content);
    fuzzCheck(universe != nullptr, "the test content loads");
    LimitedLua lua;
    lua_State* L = lua.get();
    std::vector<Font*> fonts = fuzzFonts();

    TempDir scriptDir;
    scriptDir.write("ui.lua", scriptFor(L, std::string(reinterpret_cast<const char*>(data), size)));
    loadScript(L, scriptDir.path() + "ui.lua");
    const int height = lua_gettop(L);
    checkHeight(L, 0, "loading the script leaves nothing on the stack");

    lua.refill();
    initLua(*universe, L);
    checkHeight(L, height, "initLua leaves the stack as it was");

    std::vector<float> event{1.0f, 2.0f, 3.0f, 4.0f};
    for (int round = 0; round < 3; ++round) {
        lua.refill();
        uiEvent(*universe, event, fonts, L);
        checkHeight(L, height, "uiEvent leaves the stack as it was");
        for (size_t d = 0; d < universe->displays.size();) {
            uiDisplay& display = universe->displays[d];
            for (size_t i = 0; i < display.size(); ++i) {
                uiDisplayBase* element = display.element(i);
                point middle{(element->minCorner.x + element->maxCorner.x) / 2.0f,
                             (element->minCorner.y + element->maxCorner.y) / 2.0f};
                point nearLow{element->minCorner.x + 0.01f, element->minCorner.y + 0.01f};
                int dt = 400;
                display.mouseHover(middle);
                display.mouseClick(middle, *universe, L);
                display.mouseDrag(middle, dt, *universe, L);
                display.mouseClick(nearLow, *universe, L);
                display.mouseDrag(nearLow, dt, *universe, L);
            }
            if (haveGl()) display.draw();
            lua.refill();
            bool keep = display.update(*universe, fonts, L);
            checkHeight(L, height, "an update leaves the stack as it was");
            if (keep)
                ++d;
            else
                universe->displays.erase(universe->displays.begin() + static_cast<long>(d));
        }
        for (int id : {-1, 0, 2, 3}) {
            lua.refill();
            callPlanetTick(L, id);
            checkHeight(L, height, "planetTick leaves the stack as it was");
        }
        event[0] += 1.0f;
    }
    universe->displays.clear();
    return 0;
}
