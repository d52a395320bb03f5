// Sound effects through OpenAL: buffers from data/sounds/, a pool of sources, distance attenuation.
#include "soundEffects.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alut.h>

#include <cmath>
#include <iostream>

namespace {
// Enough for a battle: a new sound past this many takes the source that started longest ago.
const int POOL_SIZE = 16;
// Distances in game units. At the reference distance (about half the screen's height at the
// start zoom) a sound plays at full level, at ten times that at a tenth; past the last it is
// not started at all.
const float REFERENCE_DISTANCE = 2000.0f;
const float ROLLOFF = 1.0f;
const float MAX_DISTANCE = 40000.0f;
const float HEARING_LIMIT = 30000.0f;
const float EFFECT_GAIN = 0.8f;
// A kind started again sooner than this is left alone: the beam and the guns of a crowd of ships
// would otherwise restart their sound every frame.
const uint32_t MIN_GAP_MS = 40;
const uint32_t BEAM_GAP_MS = 200;
}  // namespace

SoundEffects::SoundEffects() {
    if (!alcGetCurrentContext()) return;
    for (int i = 0; i < SOUND_KIND_COUNT; ++i) {
        const std::string file = soundFile(static_cast<SoundKind>(i));
        const ALuint buffer = alutCreateBufferFromFile(file.c_str());
        if (buffer == AL_NONE) {
            std::cout << "Error, sound " << file << " cannot be played: " << alutGetErrorString(alutGetError())
                      << std::endl;
            continue;
        }
        buffers[static_cast<size_t>(i)] = buffer;
    }
    for (int i = 0; i < POOL_SIZE; ++i) {
        ALuint source = 0;
        alGetError();
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) break;
        alSourcef(source, AL_REFERENCE_DISTANCE, REFERENCE_DISTANCE);
        alSourcef(source, AL_ROLLOFF_FACTOR, ROLLOFF);
        alSourcef(source, AL_MAX_DISTANCE, MAX_DISTANCE);
        alSourcef(source, AL_GAIN, EFFECT_GAIN);
        sources.push_back(source);
        sourceStarted.push_back(0);
    }
}

SoundEffects::~SoundEffects() {
    for (unsigned source : sources) {
        ALuint s = source;
        alSourceStop(s);
        alDeleteSources(1, &s);
    }
    for (unsigned buffer : buffers) {
        if (buffer == 0) continue;
        ALuint b = buffer;
        alDeleteBuffers(1, &b);
    }
}

int SoundEffects::playing() const {
    int count = 0;
    for (unsigned source : sources) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) ++count;
    }
    return count;
}

void SoundEffects::play(const SoundCue& cue, point listener, uint32_t now) {
    const size_t kind = static_cast<size_t>(cue.kind);
    if (kind >= buffers.size() || buffers[kind] == 0 || sources.empty()) return;
    const uint32_t gap = cue.kind == SoundKind::Beam ? BEAM_GAP_MS : MIN_GAP_MS;
    if (everStarted[kind] && now - lastStart[kind] < gap) return;
    const float dx = cue.atListener ? 0.0f : cue.where.x - listener.x;
    const float dy = cue.atListener ? 0.0f : cue.where.y - listener.y;
    if (!(std::hypot(dx, dy) <= HEARING_LIMIT)) return;

    size_t chosen = 0;
    bool found = false;
    for (size_t i = 0; i < sources.size() && !found; ++i) {
        ALint state = AL_STOPPED;
        alGetSourcei(sources[i], AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            chosen = i;
            found = true;
        }
    }
    if (!found)
        for (size_t i = 1; i < sources.size(); ++i)
            if (now - sourceStarted[i] > now - sourceStarted[chosen]) chosen = i;

    const ALuint source = sources[chosen];
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffers[kind]));
    // The listener stays at the origin (the engine sound's place), so positions are the player's
    // offsets; a sound at the listener is heard at full level from the middle.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, dx, dy, 0.0f);
    alSourcePlay(source);
    sourceStarted[chosen] = now;
    lastStart[kind] = now;
    everStarted[kind] = true;
    ++startCount[kind];
}
