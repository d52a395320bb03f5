// Fuzz target: a save directory as a player might damage or edit it, loaded over a running game.
//
// The input is split at "|||" into universeSAV.xml and PlayerDataSAV.xml (a missing second part
// takes the player file of a real save). A refused load must leave the running game exactly as
// it was; an accepted one is played for a few frames (with GL) and must survive its own save.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../tests/testSupport.h"
#include "fuzzSupport.h"
#include "worldState.h"

namespace {

// The player file of a real save of the test content, used when the input has only one part.
std::string validPlayerSave() {
    static std::string text;
    if (text.empty()) {
        std::unique_ptr<Universe> universe = buildFuzzUniverse(minimalContentDirectory());
        fuzzCheck(universe && universe->saveGame("template"), "the test content saves");
        text = minimalContentDirectory().read("saves/template/PlayerDataSAV.xml");
    }
    return text;
}

// What a refused load must not change.
struct Snapshot {
    const Player* player;
    point position;
    size_t worlds;
    size_t planets;
    std::string planetName;
    int element1;
    size_t extraData;

    explicit Snapshot(Universe& universe)
        : player(universe.player.get()),
          position(universe.player->getPosition()),
          worlds(universe.worlds.size()),
          planets(universe.planetIndex.size()),
          planetName(universe.getPlanetData(0).name),
          element1(universe.getPlanetData(0).element1),
          extraData(universe.getExtraPlanetData(0).size()) {}

    bool operator==(const Snapshot& other) const {
        return player == other.player && position.x == other.position.x && position.y == other.position.y &&
               worlds == other.worlds && planets == other.planets && planetName == other.planetName &&
               element1 == other.element1 && extraData == other.extraData;
    }
};

// Writes a save of the test content with ships, a shot and a gravity wall in every world as a
// starting input (QUORBLE_FUZZ_SEED_DIR names the folder).
void writeSeed(const std::string& folder) {
    std::unique_ptr<Universe> universe = buildFuzzUniverse(minimalContentDirectory());
    fuzzCheck(universe != nullptr, "the test content loads");
    for (WorldState& world : universe->worlds) {
        world.ships.push_back(Ship({1500.0f, 800.0f}, "Raider", 1, *universe));
        world.ships.push_back(Ship({-1500.0f, 800.0f}, "Hauler", 2, *universe));
        world.projectiles.push_back(Projectile({100.0f, 100.0f}, 0.5f, world, 4, 0.0f, 0.0f, 1, {0, -100, 100}));
        GravityWall wall(7, {0.0f, 500.0f}, universe->defaultGravTool.left, 4);
        wall.addWell({50.0f, 500.0f});
        world.gravityWalls.push_back(wall);
    }
    fuzzCheck(universe->saveGame("seed"), "the seed saves");
    const TempDir& dir = minimalContentDirectory();
    std::string text = dir.read("saves/seed/universeSAV.xml") + "|||" + dir.read("saves/seed/PlayerDataSAV.xml");
    FILE* out = std::fopen((folder + "/game").c_str(), "wb");
    fuzzCheck(out != nullptr, "the seed folder is writable");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    validPlayerSave();
    if (const char* folder = std::getenv("QUORBLE_FUZZ_SEED_DIR")) writeSeed(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = splitInput(data, size, "|||", 2);
    if (parts.size() < 2) parts.push_back(validPlayerSave());

    const TempDir& content = minimalContentDirectory();
    std::unique_ptr<Universe> universe = buildFuzzUniverse(content);
    fuzzCheck(universe != nullptr, "the test content loads");
    content.write("saves/fuzz/universeSAV.xml", parts[0]);
    content.write("saves/fuzz/PlayerDataSAV.xml", parts[1]);

    LimitedLua lua;
    Snapshot before(*universe);
    bool loaded = universe->loadGame("fuzz", lua.get());
    fuzzCheck(content.read("saves/fuzz/universeSAV.xml") == parts[0] &&
                  content.read("saves/fuzz/PlayerDataSAV.xml") == parts[1],
              "loading leaves the save files as they were");
    if (!loaded) {
        fuzzCheck(Snapshot(*universe) == before, "a refused load leaves the game untouched");
        return 0;
    }
    fuzzCheck(universe->player != nullptr, "a loaded game has a player");
    int world = universe->player->getWorld();
    fuzzCheck(world >= 0 && static_cast<size_t>(world) < universe->worlds.size(), "the loaded player is in a world");
    size_t worldCount = universe->worlds.size();
    simulateFrames(*universe, 6);
    fuzzCheck(universe->saveGame("fuzzAgain"), "a loaded game can be saved");
    fuzzCheck(universe->loadGame("fuzzAgain", lua.get()), "a game saved after a load loads again");
    fuzzCheck(universe->worlds.size() == worldCount, "the second load has every world");
    return 0;
}
