// Shared pieces of the fuzz targets (see fuzzSupport.h).
#include "fuzzSupport.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "../tests/testSupport.h"
#include "font.h"
#include "gameMain.h"
#include "glHeaders.h"
#include "loadGalaxy.h"
#include "timer.h"
#include "worldState.h"

namespace {

bool glReady = false;

const char* const CONTENT_FILES[] = {"universe.xml",  "projectiles.xml", "shaders.xml",      "relations.xml",
                                     "shipData.xml", "PlayerData.xml",  "EquipmentData.xml"};

// Instructions a script may run per engine call, checked every HOOK_STEP instructions.
const long INSTRUCTION_BUDGET = 500000;
const int HOOK_STEP = 100;
// Memory the script may hold, and the reserve left for the engine once it has run out.
const long long MEMORY_CAP = 96LL << 20;
const long long MEMORY_RESERVE = 64LL << 20;

struct Budget {
    long instructions = 0;
    long long used = 0;
    bool memoryOut = false;
    bool stopped = false;
};

Budget* budgetOf(lua_State* L) {
    void* ud = nullptr;
    lua_getallocf(L, &ud);
    return static_cast<Budget*>(ud);
}

void budgetHook(lua_State* L, lua_Debug*) {
    Budget* budget = budgetOf(L);
    budget->instructions += HOOK_STEP;
    if (budget->memoryOut || budget->instructions > INSTRUCTION_BUDGET) budget->stopped = true;
    if (budget->stopped) {
        // From now on the very next instruction of any script code fails too.
        lua_sethook(L, budgetHook, LUA_MASKCOUNT, 1);
        luaL_error(L, "fuzz budget exhausted");
    }
}

void* limitedAlloc(void* ud, void* block, size_t oldSize, size_t newSize) {
    Budget* budget = static_cast<Budget*>(ud);
    if (newSize == 0) {
        std::free(block);
        if (block) budget->used -= static_cast<long long>(oldSize);
        return nullptr;
    }
    long long grow = static_cast<long long>(newSize) - (block ? static_cast<long long>(oldSize) : 0);
    long long limit = budget->memoryOut ? MEMORY_CAP + MEMORY_RESERVE : MEMORY_CAP;
    if (grow > 0 && budget->used + grow > limit) {
        budget->memoryOut = true;
        return nullptr;
    }
    void* moved = std::realloc(block, newSize);
    if (moved) budget->used += grow;
    return moved;
}

int abortOnPanic(lua_State* L) {
    std::fprintf(stderr, "Lua panic (an error outside any protected call): %s\n", lua_tostring(L, -1));
    std::abort();
}

}  // namespace

bool fuzzSetUp() {
    static bool done = false;
    if (done) return glReady;
    done = true;
    if (!std::getenv("QUORBLE_FUZZ_VERBOSE")) std::cout.setstate(std::ios::badbit);
    if (FILE* shm = std::fopen("/dev/shm", "r")) {
        std::fclose(shm);
        setenv("TMPDIR", "/dev/shm", 0);
    }
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (std::getenv("DISPLAY")) {
        ensureGlContext();
        glReady = SDL_GetVideoSurface() != nullptr;
    }
    return glReady;
}

bool haveGl() { return glReady; }

void fuzzCheck(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "Fuzz invariant broken: %s\n", what);
    std::abort();
}

std::vector<std::string> splitInput(const uint8_t* data, size_t size, const std::string& separator, size_t maxParts) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < maxParts) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) break;
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

const std::vector<std::string>& contentFileNames() {
    static const std::vector<std::string> names(std::begin(CONTENT_FILES), std::end(CONTENT_FILES));
    return names;
}

const TempDir& minimalContentDirectory() {
    static TempDir* dir = nullptr;  // lives until the process ends
    if (!dir) {
        dir = new TempDir();
        writeContent(*dir);
    }
    return *dir;
}

std::unique_ptr<Universe> buildFuzzUniverse(const TempDir& dir) {
    auto universe = std::make_unique<Universe>(dir.path());
    if (!universe->loaded()) {
        fuzzCheck(universe->getLoadError().find(".xml") != std::string::npos, "a refused content file is named");
        return nullptr;
    }
    if (!initializeStars(*universe, nullptr)) return nullptr;
    universe->player = initializePlayer(*universe);
    if (!universe->player) return nullptr;
    return universe;
}

void simulateFrames(Universe& universe, int frames) {
    if (!glReady || !universe.player || universe.worlds.empty()) return;
    // Thrust and turn; alternate the mouse buttons so both sides of the gravity tool lay walls.
    universe.input.setKey(SDLK_w, true);
    universe.input.setKey(SDLK_a, true);
    unsigned now = 100000;
    for (int frame = 0; frame < frames; ++frame) {
        int dt = frame == frames - 1 ? 3000 : (frame % 4 == 0 ? 0 : 16);
        now += static_cast<unsigned>(dt);
        Player& player = *universe.player;
        int world = player.getWorld();
        fuzzCheck(world >= 0 && static_cast<size_t>(world) < universe.worlds.size(), "the player is in a world");
        point target{player.getPosition().x + 500.0f, player.getPosition().y + 300.0f};
        unsigned char buttons = frame % 3 == 0 ? 1 : (frame % 3 == 1 ? 4 : 0);
        respawnShips(universe);
        player.update(dt, target, buttons, universe.currentWorld());
        player.cycleWeaponUp();
        player.shoot(now, universe.currentWorld(), target, dt);
        processWormholes(universe, static_cast<int>(now));
        universe.updateGravityWalls(dt);
        processProjectiles(universe.currentWorld(), universe, dt, static_cast<int>(now));
        universe.player->drawTrail(static_cast<int>(now), universe);
        runTimer(static_cast<int>(now), universe.currentWorld());
        universe.player->draw();
        processStars(universe.currentWorld(), universe.player.get(), dt);
        processShips(universe, universe.player.get(), dt, static_cast<int>(now));
    }
    universe.input = InputState();
    glFinish();
}

std::vector<Font*> fuzzFonts() {
    static Font* font = nullptr;  // the glyph set is process-wide; made once
    if (!glReady) return {nullptr};
    if (!font) font = new Font(shippedDataDirectory() + "subatomic.quillory.ttf");
    return {font};
}

LimitedLua::LimitedLua() {
    lua_State* L = lua.get();
    // Blocks made so far came from the default allocator, which also uses malloc and free.
    lua_setallocf(L, limitedAlloc, new Budget());
    lua_atpanic(L, abortOnPanic);
    // Nothing a fuzzed script does may reach the files, the process or the hook.
    for (const char* name : {"io", "os", "dofile", "loadfile", "require", "package", "module", "debug"}) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }
    refill();
}

LimitedLua::~LimitedLua() {
    lua_State* L = lua.get();
    void* ud = nullptr;
    lua_getallocf(L, &ud);
    // The state is closed by LuaState after this body, still through limitedAlloc: the budget
    // must outlive it, so it is handed to a plain allocator first.
    lua_setallocf(L, [](void*, void* block, size_t, size_t newSize) -> void* {
        if (newSize == 0) {
            std::free(block);
            return nullptr;
        }
        return std::realloc(block, newSize);
    }, nullptr);
    delete static_cast<Budget*>(ud);
}

void LimitedLua::refill() {
    lua_State* L = lua.get();
    Budget* budget = budgetOf(L);
    budget->instructions = 0;
    budget->stopped = budget->memoryOut;
    lua_sethook(L, budgetHook, LUA_MASKCOUNT, budget->stopped ? 1 : HOOK_STEP);
}
