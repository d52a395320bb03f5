// The automatic save end to end: the real game saves itself at a landing, a new start says that
// F6 continues, its own first landing keeps the earlier game, and F6 brings back the landing's
// credits, cargo, the pilot's other data and the ship's place.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "autopilot.h"
#include "gameProcess.h"
#include "playedGame.h"
#include "testSupport.h"
#include "xmlValues.h"

namespace {

const char* const SAVED = "Saved automatically";
const int STATE_SLOT = 2;  // the autopilot's quick saves
const int PREPARED_SLOT = 3;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// Sets attribute `name` of the first element that has it.
void setAttribute(std::string& xml, const std::string& name, const std::string& value) {
    xml = std::regex_replace(xml, std::regex("(\\s" + name + "=)\"[^\"]*\""), "$1\"" + value + "\"",
                             std::regex_constants::format_first_only);
}

class EndToEndAutosave : public PlayedGame {
protected:
    void quit() {
        game->key("q");
        EXPECT_EQ(0, game->waitForExit(10.0));
    }
    std::string saves() const { return game->directory() + "saves/"; }
    // Presses `key` until the game reports a load (a key sent while the first frames are still
    // being drawn on a loaded machine can go unseen); false after three tries.
    bool loadWith(const std::string& key) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            size_t before = game->outputSize();
            game->key(key);
            if (game->waitForOutput("Loaded.", 10.0, before)) return true;
        }
        return false;
    }
};

}  // namespace

TEST_F(EndToEndAutosave, LandQuitStartAgainAndContinueWithF6) {
    namespace fs = boost::filesystem;
    // A first game: Haven catches the ship and the landing is saved.
    startGame();
    ASSERT_TRUE(game->waitForOutput(SAVED, 30.0)) << game->output();
    quit();

    // A pilot with money spent, goods aboard and a job taken, as the landing's save holds it.
    fs::copy_directory(saves() + "auto", saves() + "3");
    for (const char* name : {"universeSAV.xml", "PlayerDataSAV.xml"})
        fs::copy_file(saves() + "auto/" + name, saves() + "3/" + name);
    std::string pilot = readFile(saves() + "3/PlayerDataSAV.xml");
    size_t credits = pilot.find("credits=\"");
    ASSERT_NE(credits, std::string::npos) << pilot;
    pilot.insert(credits, "cargo_Crystals=\"5\" paid_Crystals=\"120\" job_1=\"Cinder:Crystals:5\" ");
    credits = pilot.find("credits=\"");
    pilot.replace(credits, pilot.find('"', credits + 9) + 1 - credits, "credits=\"777\"");
    writeFile(saves() + "3/PlayerDataSAV.xml", pilot);
    fs::remove_all(saves() + "auto");

    // That game is loaded and lands again: the landing is saved.
    game = std::make_unique<GameProcess>(work.path());
    startGame();
    size_t before = game->outputSize();
    ASSERT_TRUE(loadWith("F" + std::to_string(PREPARED_SLOT))) << game->output().substr(before);
    ASSERT_TRUE(game->waitForOutput(SAVED, 30.0, before)) << game->output().substr(before);
    game->pause(0.5);
    XmlFile landing;
    std::string error;
    ASSERT_TRUE(landing.load(saves() + "auto/PlayerDataSAV.xml", "player", error)) << error;
    point landedAt{getValF(landing.root(), "x"), getValF(landing.root(), "y")};
    EXPECT_EQ(getVal(landing.root()->first_node("extraData"), "credits"), "777");
    quit();

    // Started again: the hint offers F6, and the new game's own landing keeps the saved one.
    game = std::make_unique<GameProcess>(work.path());
    startGame();
    EXPECT_TRUE(game->waitForOutput("Hint: F6 continues your last game", 5.0)) << game->output();
    game->pause(8.0);
    game->screenshot("autosave-hint");
    EXPECT_EQ(game->output().find(SAVED), std::string::npos) << "the new game overwrote the last one";
    before = game->outputSize();
    ASSERT_TRUE(loadWith("F6")) << game->output().substr(before);
    // A ship saved on a planet loads in flight beside it and lands again; that landing is saved.
    ASSERT_TRUE(game->waitForOutput(SAVED, 20.0, before)) << game->output().substr(before);
    game->pause(0.5);
    game->screenshot("autosave-continued");

    Autopilot pilotEyes(*game, STATE_SLOT);
    ShipState state;
    ASSERT_TRUE(pilotEyes.read(state));
    EXPECT_EQ(state.data["credits"], "777");
    EXPECT_EQ(state.data["cargo_Crystals"], "5");
    EXPECT_EQ(state.data["paid_Crystals"], "120");
    EXPECT_EQ(state.data["job_1"], "Cinder:Crystals:5");
    EXPECT_TRUE(state.landed);
    const PlanetOrbit* haven = pilotEyes.planet("Haven");
    ASSERT_NE(haven, nullptr);
    EXPECT_EQ(state.planet, haven->id);
    // It rides Haven from the saved place on: a second or two of orbit and spin away.
    EXPECT_LT(pointDistance(state.position, landedAt), 400.0f)
        << "landed at (" << landedAt.x << ", " << landedAt.y << "), continued at (" << state.position.x << ", "
        << state.position.y << ")";
    quit();
}

// A ship with almost no hull crashes onto Haven: it is disabled, towed to the planet it last
// landed on, patched, charged what it can pay (the last 100 credits stay, the cargo pays the
// rest), told so, and the game saves itself with the tow's landing.
TEST_F(EndToEndAutosave, ADisabledShipIsTowedPatchedChargedAndSaved) {
    startGame();
    ASSERT_TRUE(game->waitForOutput(SAVED, 30.0)) << game->output();
    game->pause(2.0);  // a planet tick notes the landing
    game->key("shift+F" + std::to_string(PREPARED_SLOT));
    game->pause(1.0);
    std::string pilot = readFile(saves() + "3/PlayerDataSAV.xml");
    ASSERT_NE(pilot.find("lastLanding=\""), std::string::npos) << pilot;

    // Put the ship 300 units above where it stood, falling back at three units a millisecond.
    XmlFile saved;
    std::string error;
    ASSERT_TRUE(saved.load(saves() + "3/PlayerDataSAV.xml", "player", error)) << error;
    float x = getValF(saved.root(), "x"), y = getValF(saved.root(), "y"), theta = getValF(saved.root(), "theta");
    point out{std::cos(theta), std::sin(theta)};
    setAttribute(pilot, "x", std::to_string(x + out.x * 300.0f));
    setAttribute(pilot, "y", std::to_string(y + out.y * 300.0f));
    setAttribute(pilot, "xSpd", std::to_string(-out.x * 3.0f));
    setAttribute(pilot, "ySpd", std::to_string(-out.y * 3.0f));
    setAttribute(pilot, "hitpoints", "50");
    setAttribute(pilot, "credits", "150");
    size_t credits = pilot.find("credits=\"");
    pilot.insert(credits, "cargo_Crystals=\"5\" paid_Crystals=\"120\" ");
    writeFile(saves() + "3/PlayerDataSAV.xml", pilot);

    size_t before = game->outputSize();
    ASSERT_TRUE(loadWith("F" + std::to_string(PREPARED_SLOT))) << game->output().substr(before);
    ASSERT_TRUE(game->waitForOutput("The ship is disabled", 10.0, before)) << game->output().substr(before);
    ASSERT_TRUE(game->waitForOutput("Lua debug:Disabled! Towed to Haven", 5.0, before)) << game->output().substr(before);
    ASSERT_TRUE(game->waitForOutput(SAVED, 5.0, before)) << game->output().substr(before);
    std::string told = game->output().substr(before);
    EXPECT_NE(told.find("hull patched to 40% - tow fee 50 cr and your cargo (5 units)"), std::string::npos) << told;
    EXPECT_NE(told.find("Hint: Disabled and towed to Haven: fee 50 cr and your cargo, hull at 40%"), std::string::npos) << told;
    game->pause(0.8);
    game->screenshot("towed-to-haven");

    XmlFile towed;
    ASSERT_TRUE(towed.load(saves() + "auto/PlayerDataSAV.xml", "player", error)) << error;
    XmlNode* data = towed.root()->first_node("extraData");
    EXPECT_EQ(getVal(data, "credits"), "100");
    EXPECT_EQ(data->first_attribute("cargo_Crystals"), nullptr);
    EXPECT_EQ(getVal(data, "towedSince"), "towed");
    EXPECT_FLOAT_EQ(getValF(towed.root(), "hitpoints"), 400.0f);

    // Landed and steerable: the window's launch takes it off again.
    game->holdKey("s", 1.0);
    before = game->outputSize();
    game->holdKey("w", 0.3);
    EXPECT_TRUE(game->waitForOutput(SAVED, 5.0, before)) << "no take-off save";
    quit();
}
