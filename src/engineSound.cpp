// The looping engine sound through ALUT and OpenAL.
#include "engineSound.h"

#include <AL/al.h>
#include <AL/alut.h>

#include "basics.h"

EngineSound::EngineSound(int argc, char** argv, const std::string& wavPath) {
    if (!alutInit(&argc, argv)) {
        reportSoundError();
        return;
    }
    alutReady = true;
    buffer = alutCreateBufferFromFile(wavPath.c_str());
    if (buffer == AL_NONE) {
        reportSoundError();
        return;
    }
    ALuint newSource = 0;
    alGenSources(1, &newSource);
    source = newSource;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcef(source, AL_REFERENCE_DISTANCE, 500.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcei(source, AL_LOOPING, AL_TRUE);
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcePlay(source);
    playing = true;
}

EngineSound::~EngineSound() {
    if (!alutReady) return;
    if (source != 0) {
        ALuint s = source;
        alSourceStop(s);
        alDeleteSources(1, &s);
    }
    if (buffer != 0) {
        ALuint b = buffer;
        alDeleteBuffers(1, &b);
    }
    alutExit();
}
