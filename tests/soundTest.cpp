// The sound effects: which event sounds like what, and the OpenAL module on the silent device
// (ALSOFT_DRIVERS=null): one source started per sound, missing files reported once, no device.
#include <AL/alut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <fstream>

#include "defaultVals.h"
#include "soundCue.h"
#include "soundEffects.h"
#include "testSupport.h"

namespace fs = boost::filesystem;

namespace {

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

struct PlayerCase {
    const char* what;
    PlayerLook before;
    PlayerLook after;
    std::vector<SoundKind> sounds;
};

class PlayerSounds : public ::testing::TestWithParam<PlayerCase> {};

TEST_P(PlayerSounds, FollowWhatTheShipDid) {
    const PlayerCase& c = GetParam();
    EXPECT_EQ(c.sounds, playerSounds(c.before, c.after)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Events, PlayerSounds,
    ::testing::Values(PlayerCase{"nothing", {false, 0, 100.0f, {}}, {false, 0, 100.0f, {}}, {}},
                      PlayerCase{"soft landing", {false, 0, 100.0f, {}}, {true, 0, 100.0f, {}}, {SoundKind::Landing}},
                      PlayerCase{"crash", {false, 0, 100.0f, {}}, {true, 0, 60.0f, {}}, {SoundKind::CrashLanding}},
                      PlayerCase{"take-off", {true, 0, 100.0f, {}}, {false, 0, 100.0f, {}}, {SoundKind::TakeOff}},
                      PlayerCase{"hit", {false, 0, 100.0f, {}}, {false, 0, 90.0f, {}}, {SoundKind::PlayerHit}},
                      PlayerCase{"repaired", {true, 0, 50.0f, {}}, {true, 0, 100.0f, {}}, {}},
                      PlayerCase{"jump", {false, 0, 100.0f, {}}, {false, 2, 100.0f, {}}, {SoundKind::Jump}},
                      PlayerCase{"jump into a shot", {false, 0, 100.0f, {}}, {false, 1, 80.0f, {}},
                                 {SoundKind::Jump, SoundKind::PlayerHit}}));

TEST(ShotSound, BeamHasItsOwnHardOrSlowShotsSoundHeavy) {
    const std::vector<projectileData> saved = WEAPONDATA;
    WEAPONDATA.assign(5, projectileData());
    WEAPONDATA[0].damage = 10.0f;   // a pulse gun
    WEAPONDATA[0].cooldown = 200;
    WEAPONDATA[2].damage = 0.05f;   // a bomb: little damage, long reload
    WEAPONDATA[2].cooldown = 1500;
    WEAPONDATA[3].damage = 40.0f;   // a missile
    WEAPONDATA[3].cooldown = 600;
    WEAPONDATA[4].damage = 6.0f;
    WEAPONDATA[4].cooldown = 600;
    EXPECT_EQ(SoundKind::LightShot, shotSound(0));
    EXPECT_EQ(SoundKind::Beam, shotSound(1));
    EXPECT_EQ(SoundKind::HeavyShot, shotSound(2));
    EXPECT_EQ(SoundKind::HeavyShot, shotSound(3));
    EXPECT_EQ(SoundKind::LightShot, shotSound(4));
    EXPECT_EQ(SoundKind::LightShot, shotSound(99));
    WEAPONDATA = saved;
}

TEST(SoundNames, EveryKindHasAShippedFileAndItsName) {
    for (int i = 0; i < SOUND_KIND_COUNT; ++i) {
        const SoundKind kind = static_cast<SoundKind>(i);
        const std::string file = soundFile(kind);
        EXPECT_TRUE(fs::exists(shippedDataDirectory() + file)) << file;
        const std::string name = file.substr(7, file.size() - 11);  // "sounds/" ... ".wav"
        SoundKind back = SoundKind::Count;
        EXPECT_TRUE(soundKindNamed(name, back)) << name;
        EXPECT_EQ(kind, back);
    }
    SoundKind ignored;
    EXPECT_FALSE(soundKindNamed("engine", ignored));
    EXPECT_FALSE(soundKindNamed("", ignored));
}

// ALUT on the silent device, inside a data directory, for one test.
class SilentDevice {
public:
    explicit SilentDevice(const std::string& directory) : previous(fs::current_path()) {
        fs::current_path(directory);
        ready = alutInit(nullptr, nullptr) == AL_TRUE;
    }
    ~SilentDevice() {
        if (ready) alutExit();
        fs::current_path(previous);
    }
    bool ready = false;

private:
    fs::path previous;
};

TEST(SoundEffects, EveryKindStartsOneSourceNearSoundsOnlyFarOnesAreSkipped) {
    SilentDevice device(shippedDataDirectory());
    ASSERT_TRUE(device.ready) << "no OpenAL device (is ALSOFT_DRIVERS=null set?)";
    std::string out = captureOutput([&] {
        SoundEffects effects;
        ASSERT_TRUE(effects.usable());
        uint32_t now = 1000;
        for (int i = 0; i < SOUND_KIND_COUNT; ++i) {
            const SoundKind kind = static_cast<SoundKind>(i);
            EXPECT_TRUE(effects.loaded(kind)) << soundFile(kind);
            effects.play({kind, {100.0f, 200.0f}}, {0.0f, 0.0f}, now);
            EXPECT_EQ(1u, effects.started(kind)) << soundFile(kind);
        }
        EXPECT_EQ(SOUND_KIND_COUNT, effects.playing());
        // The beam fires every frame; its sound starts again only once the last one has run.
        effects.play({SoundKind::Beam, {0.0f, 0.0f}}, {0.0f, 0.0f}, now + 16);
        EXPECT_EQ(1u, effects.started(SoundKind::Beam));
        effects.play({SoundKind::Beam, {0.0f, 0.0f}}, {0.0f, 0.0f}, now + 400);
        EXPECT_EQ(2u, effects.started(SoundKind::Beam));
        // Out of hearing: not started. At the listener a cue is heard wherever it was made.
        effects.play({SoundKind::Explosion, {90000.0f, 0.0f}}, {0.0f, 0.0f}, now + 1000);
        EXPECT_EQ(1u, effects.started(SoundKind::Explosion));
        effects.play({SoundKind::Sale, {90000.0f, 0.0f}, true}, {0.0f, 0.0f}, now + 1000);
        EXPECT_EQ(2u, effects.started(SoundKind::Sale));
        // A battle: more sounds than sources; the pool takes the oldest and never grows.
        for (int shot = 0; shot < 60; ++shot)
            effects.play({SoundKind::LightShot, {static_cast<float>(shot), 0.0f}}, {0.0f, 0.0f}, now + 2000 + 50 * shot);
        EXPECT_EQ(61u, effects.started(SoundKind::LightShot));
        EXPECT_LE(effects.playing(), 16);
    });
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
}

TEST(SoundEffects, AMissingOrBadFileIsReportedOnceAndStaysSilent) {
    TempDir dir;
    fs::create_directories(dir.path() + "sounds");
    for (int i = 0; i < SOUND_KIND_COUNT; ++i) {
        const std::string file = soundFile(static_cast<SoundKind>(i));
        if (static_cast<SoundKind>(i) != SoundKind::Explosion)
            fs::copy_file(shippedDataDirectory() + file, dir.path() + file);
    }
    dir.write("sounds/click.wav", "not a sound at all");
    SilentDevice device(dir.path());
    ASSERT_TRUE(device.ready);
    std::string out = captureOutput([&] {
        SoundEffects effects;
        EXPECT_FALSE(effects.loaded(SoundKind::Explosion));
        EXPECT_FALSE(effects.loaded(SoundKind::Click));
        for (uint32_t now = 0; now < 1000; now += 100) {
            effects.play({SoundKind::Explosion, {0.0f, 0.0f}}, {0.0f, 0.0f}, now);
            effects.play({SoundKind::Click, {0.0f, 0.0f}, true}, {0.0f, 0.0f}, now);
            effects.play({SoundKind::ShipHit, {0.0f, 0.0f}}, {0.0f, 0.0f}, now);
        }
        EXPECT_EQ(0u, effects.started(SoundKind::Explosion));
        EXPECT_EQ(0u, effects.started(SoundKind::Click));
        EXPECT_EQ(10u, effects.started(SoundKind::ShipHit));
    });
    EXPECT_EQ(countOf(out, "Error, sound sounds/explosion.wav cannot be played"), 1) << out;
    EXPECT_EQ(countOf(out, "Error, sound sounds/click.wav cannot be played"), 1) << out;
    EXPECT_EQ(countOf(out, "Error"), 2) << out;
}

TEST(SoundEffects, WithoutAnAudioDeviceEverythingIsSilent) {
    // No ALUT, so no OpenAL context: what a machine without sound gives.
    std::string out = captureOutput([&] {
        SoundEffects effects;
        EXPECT_FALSE(effects.usable());
        effects.play({SoundKind::Explosion, {0.0f, 0.0f}}, {0.0f, 0.0f}, 0);
        EXPECT_EQ(0u, effects.started(SoundKind::Explosion));
        EXPECT_EQ(0, effects.playing());
    });
    EXPECT_EQ(out, "");
}

}  // namespace
