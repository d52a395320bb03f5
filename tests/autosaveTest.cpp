// When the automatic save is written: at a landing (once the ship rides the planet), at a
// take-off, after two minutes of flight; and not over an earlier game until this one takes off.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "autosave.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

struct Step {
    bool landed;  // the ship's state in this frame
    int dt;
    bool saves;   // whether the frame writes the automatic save
};

struct AutosaveCase {
    const char* name;
    bool armed;
    std::vector<Step> steps;
};

class AutosaveWhen : public ::testing::TestWithParam<AutosaveCase> {};

TEST_P(AutosaveWhen, savesOnTheFramesThatMatter) {
    const AutosaveCase& c = GetParam();
    TempDir dir;
    writeContent(dir);
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    Autosave autosave(c.armed);
    for (size_t i = 0; i < c.steps.size(); ++i) {
        *universe->player->getLandedPointer() = c.steps[i].landed;
        bool saved = false;
        captureOutput([&] { saved = autosave.afterFrame(*universe, nullptr, c.steps[i].dt); });
        EXPECT_EQ(saved, c.steps[i].saves) << c.name << ", frame " << i;
    }
    EXPECT_EQ(autosaveExists(*universe), dir.exists("saves/auto/universeSAV.xml"));
}

const bool L = true, F = false;
INSTANTIATE_TEST_SUITE_P(
    Cases, AutosaveWhen,
    ::testing::Values(
        AutosaveCase{"landing", true, {{F, 16, F}, {L, 16, F}, {L, 16, true}, {L, 16, F}, {L, 16, F}}},
        AutosaveCase{"takeOff", true, {{L, 16, F}, {L, 16, true}, {F, 16, true}, {F, 16, F}}},
        AutosaveCase{"twoMinutesOfFlight", true,
                     {{F, 60000, F}, {F, 59999, F}, {F, 1, true}, {F, 60000, F}, {F, 60000, true}}},
        AutosaveCase{"takeOffRestartsTheFlightClock", true,
                     {{F, 110000, F}, {L, 16, F}, {L, 16, true}, {F, 16, true}, {F, 110000, F}, {F, 10000, true}}},
        // An earlier game's save survives this game's first landing and goes at its take-off.
        AutosaveCase{"unarmedUntilTakeOff", false,
                     {{F, 16, F}, {L, 16, F}, {L, 16, F}, {F, 120000, true}, {L, 16, F}, {L, 16, true}}}),
    [](const ::testing::TestParamInfo<AutosaveCase>& info) { return std::string(info.param.name); });

TEST(Autosave, aLoadedGameIsSavedAtItsLanding) {
    TempDir dir;
    writeContent(dir);
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    Autosave autosave(false);
    autosave.gameLoaded();
    *universe->player->getLandedPointer() = true;
    std::string out = captureOutput([&] {
        EXPECT_FALSE(autosave.afterFrame(*universe, nullptr, 16));
        EXPECT_TRUE(autosave.afterFrame(*universe, nullptr, 16));
    });
    EXPECT_NE(out.find("Saved automatically"), std::string::npos) << out;
    EXPECT_TRUE(autosaveExists(*universe));
}

TEST(Autosave, aFailedSaveIsReportedAndPlayGoesOn) {
    TempDir dir;
    writeContent(dir);
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    dir.write("saves", "a file where the saves folder belongs");
    std::string out = captureOutput([&] { EXPECT_FALSE(writeAutosave(*universe, nullptr)); });
    EXPECT_NE(out.find("Error, the automatic save failed"), std::string::npos) << out;
    EXPECT_FALSE(autosaveExists(*universe));
}

}  // namespace
