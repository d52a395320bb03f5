// The sound effects: one OpenAL buffer per kind and a small pool of sources that play them at
// their place relative to the player, quieter with distance. Without an audio device, or for a
// file that cannot be read, it stays silent (reported once) and the game goes on.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "soundCue.h"

class SoundEffects {
public:
    // Loads every effect's file (relative to the working directory). Needs the OpenAL context
    // that ALUT opened for the engine sound; without one every call does nothing.
    SoundEffects();
    ~SoundEffects();
    SoundEffects(const SoundEffects&) = delete;
    SoundEffects& operator=(const SoundEffects&) = delete;

    // Starts the cue's sound from a free source (or the one started longest ago), placed relative
    // to `listener`, unless the same kind started too short a time before `now` (the beam fires
    // every frame) or it happens too far away to be heard.
    void play(const SoundCue& cue, point listener, uint32_t now);
    // Sources started for `kind` since construction (what the tests count).
    unsigned started(SoundKind kind) const { return startCount[static_cast<size_t>(kind)]; }
    // Sources playing right now.
    int playing() const;
    bool usable() const { return !sources.empty(); }
    bool loaded(SoundKind kind) const { return buffers[static_cast<size_t>(kind)] != 0; }

private:
    std::array<unsigned, SOUND_KIND_COUNT> buffers{};
    std::array<unsigned, SOUND_KIND_COUNT> startCount{};
    std::array<uint32_t, SOUND_KIND_COUNT> lastStart{};
    std::array<bool, SOUND_KIND_COUNT> everStarted{};
    std::vector<unsigned> sources;
    std::vector<uint32_t> sourceStarted;  // when each source was last started
};
