// Shared pieces of the fuzz targets: quiet output, an optional GL window, input splitting, a
// universe built from the small test content, a Lua state with limits, and a few game frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "startLua.h"

class Font;
class TempDir;
class Universe;

// Once per process: silences standard output (the game is chatty; QUORBLE_FUZZ_VERBOSE=1 keeps
// it), keeps temporary files in memory when /dev/shm exists, and opens a GL window when a
// display is there (run under xvfb-run). True when GL is usable.
bool fuzzSetUp();
bool haveGl();

// Stops the fuzzer on a broken invariant, with the reason on standard error.
void fuzzCheck(bool condition, const char* what);

// The input split at every `separator` into at most `maxParts` parts (the last part keeps any
// further separators).
std::vector<std::string> splitInput(const uint8_t* data, size_t size, const std::string& separator, size_t maxParts);

// The seven content files in the order the universe reads them.
const std::vector<std::string>& contentFileNames();

// The test content written once into a directory that lives as long as the process.
const TempDir& minimalContentDirectory();

// A universe from `dir` as the game starts it, without shaders: constructed, worlds and player
// built. Null when the content was refused (then the error must name a file).
std::unique_ptr<Universe> buildFuzzUniverse(const TempDir& dir);

// A few frames of the active world with the player flying, turning and firing every weapon;
// needs GL (does nothing without it).
void simulateFrames(Universe& universe, int frames);

// The fonts handed to UI displays: the real font when GL is up, otherwise none.
std::vector<Font*> fuzzFonts();

// A Lua state for untrusted scripts: no io/os/loading of files, an instruction budget and a
// memory cap. Once either runs out, every further script instruction raises an error, so the
// engine still gets to finish its own work with a small memory reserve.
class LimitedLua {
public:
    LimitedLua();
    ~LimitedLua();
    LimitedLua(const LimitedLua&) = delete;
    LimitedLua& operator=(const LimitedLua&) = delete;
    lua_State* get() const { return lua.get(); }
    // Gives the script a fresh instruction budget (before each engine call into Lua).
    void refill();

private:
    LuaState lua;
};
