// The automatic save: one more slot beside the five, written at every landing, every take-off
// and every two minutes of flight, and read back with F6.
#include "autosave.h"

#include <boost/filesystem.hpp>

#include <iostream>

#include "player.h"
#include "scriptGuard.h"
#include "luaTables.h"
#include "worldState.h"


const char* const AUTOSAVE_SLOT = "auto";

namespace {
const long FLIGHT_SAVE_MS = 120000;
}  // namespace

bool autosaveExists(const Universe& universe) {
    boost::system::error_code error;
    std::string folder = universe.dataPath("saves/") + AUTOSAVE_SLOT + "/";
    return boost::filesystem::is_regular_file(folder + "universeSAV.xml", error) &&
           boost::filesystem::is_regular_file(folder + "PlayerDataSAV.xml", error);
}

bool writeAutosave(Universe& universe, lua_State* L) {
    if (universe.saveGame(AUTOSAVE_SLOT)) {
        std::cout << "Saved automatically" << std::endl;
        return true;
    }
    if (L) {
        lua_pushstring(L, "the automatic save failed; the game goes on, Shift+F1 ... F5 still save by hand");
        reportScriptError(L, "Error, ");
    } else {
        std::cout << "Error, the automatic save failed" << std::endl;
    }
    return false;
}

bool Autosave::afterFrame(Universe& universe, lua_State* L, int dt) {
    if (!universe.player) return false;
    bool landed = universe.player->isLanded();
    bool save = false;
    if (landed) {
        // The touch-down frame still holds the flight's velocity; a frame later the ship rides
        // the planet, and a load of that moment lands again softly.
        if (landingPending) save = true;
        landingPending = !wasLanded;
    } else {
        landingPending = false;
        if (wasLanded) {
            armed = true;
            save = true;
            flightMs = 0;
        } else if ((flightMs += dt) >= FLIGHT_SAVE_MS) {
            save = true;
        }
    }
    wasLanded = landed;
    if (!save || !armed) return false;
    flightMs = 0;
    return writeAutosave(universe, L);
}

void Autosave::gameLoaded() {
    armed = true;
    wasLanded = false;
    landingPending = false;
    flightMs = 0;
}
