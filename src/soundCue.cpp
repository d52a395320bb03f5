// Names and choices of the sound effects; nothing here touches OpenAL.
#include "soundCue.h"

#include "defaultVals.h"

namespace {
// File names by kind, in the order of SoundKind.
const char* const SOUND_NAMES[SOUND_KIND_COUNT] = {"beam",    "lightShot",    "heavyShot", "playerHit",
                                                   "shipHit", "explosion",    "landing",   "crashLanding",
                                                   "takeOff", "jump",         "click",     "sale"};
// The beam's row of the projectile table.
const int BEAM_TYPE = 1;
// A shot this strong, or this slow to reload, sounds heavy.
const float HEAVY_DAMAGE = 20.0f;
const int HEAVY_COOLDOWN = 1000;
}  // namespace

std::string soundFile(SoundKind kind) {
    const int index = static_cast<int>(kind);
    if (index < 0 || index >= SOUND_KIND_COUNT) return "";
    return std::string("sounds/") + SOUND_NAMES[index] + ".wav";
}

bool soundKindNamed(const std::string& name, SoundKind& kind) {
    for (int i = 0; i < SOUND_KIND_COUNT; ++i)
        if (name == SOUND_NAMES[i]) {
            kind = static_cast<SoundKind>(i);
            return true;
        }
    return false;
}

SoundKind shotSound(int projectileType) {
    if (projectileType == BEAM_TYPE) return SoundKind::Beam;
    if (projectileType < 0 || static_cast<size_t>(projectileType) >= WEAPONDATA.size()) return SoundKind::LightShot;
    const projectileData& row = WEAPONDATA[static_cast<size_t>(projectileType)];
    return row.damage >= HEAVY_DAMAGE || row.cooldown >= HEAVY_COOLDOWN ? SoundKind::HeavyShot : SoundKind::LightShot;
}

std::vector<SoundKind> playerSounds(const PlayerLook& before, const PlayerLook& after) {
    std::vector<SoundKind> sounds;
    const bool hurt = after.health < before.health;
    if (after.world != before.world) sounds.push_back(SoundKind::Jump);
    if (!before.landed && after.landed) {
        // A crash is a landing that cost hit points.
        sounds.push_back(hurt ? SoundKind::CrashLanding : SoundKind::Landing);
        return sounds;
    }
    if (before.landed && !after.landed) sounds.push_back(SoundKind::TakeOff);
    if (hurt) sounds.push_back(SoundKind::PlayerHit);
    return sounds;
}
