// Fuzz target: the seven content files as a modder might write them, loaded into a universe.
//
// The input is split at "|||" into up to seven parts: universe.xml, projectiles.xml,
// shaders.xml, relations.xml, shipData.xml, PlayerData.xml, EquipmentData.xml. An empty part
// means the file is missing; files past the last part come from the small test content. A
// universe that loads has its worlds and player built, every planet looked up, a few frames
// played (with GL), and must survive a save and a load of that save.
#include <cstddef>
#include <cstdint>

#include "../tests/testSupport.h"
#include "fuzzSupport.h"
#include "worldState.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = splitInput(data, size, "|||", contentFileNames().size());
    TempDir dir;
    std::map<std::string, std::string> files = minimalContent();
    for (size_t i = 0; i < parts.size(); ++i) files[contentFileNames()[i]] = parts[i];
    for (const auto& file : files)
        if (!file.second.empty()) dir.write(file.first, file.second);

    std::unique_ptr<Universe> universe = buildFuzzUniverse(dir);
    if (!universe) return 0;

    for (unsigned id = 0; id <= universe->planetIndex.size(); ++id) {
        universe->getPlanetData(id);
        universe->getExtraPlanetData(id);
    }
    simulateFrames(*universe, 6);

    // Whatever loaded must be saved and read back: a save is never lost.
    size_t worldCount = universe->worlds.size();
    fuzzCheck(universe->saveGame("fuzz"), "a loaded universe can be saved");
    fuzzCheck(universe->loadGame("fuzz", nullptr), "a save just written loads again");
    fuzzCheck(universe->worlds.size() == worldCount, "the loaded save has every world");
    return 0;
}
