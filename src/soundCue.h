// What the game asks to be heard: the kinds of sound effect, and the cues that the simulation
// leaves in its world for the sound module to play at the end of the frame.
#pragma once

#include <string>
#include <vector>

#include "basics.h"

enum class SoundKind {
    Beam,
    LightShot,
    HeavyShot,
    PlayerHit,
    ShipHit,
    Explosion,
    Landing,
    CrashLanding,
    TakeOff,
    Jump,
    Click,
    Sale,
    Count
};

constexpr int SOUND_KIND_COUNT = static_cast<int>(SoundKind::Count);

// One sound to start: where it happens in the world, or at the listener (a click, a chime).
struct SoundCue {
    SoundKind kind;
    point where;
    bool atListener = false;
};

// The file of a kind under data/ ("sounds/explosion.wav").
std::string soundFile(SoundKind kind);
// The kind whose file is "sounds/<name>.wav" ("sale" for sale.wav); false for an unknown name.
bool soundKindNamed(const std::string& name, SoundKind& kind);
// The firing sound of a projectile type: the beam's own, heavy for slow hard-hitting types, light
// for the rest.
SoundKind shotSound(int projectileType);

// What the player's ship did between two looks at it: the cues of landing, crashing, taking off,
// jumping to another world and being hit.
struct PlayerLook {
    bool landed = false;
    int world = 0;
    float health = 0.0f;
    point position;
};
std::vector<SoundKind> playerSounds(const PlayerLook& before, const PlayerLook& after);
