// The looping engine sound: ALUT, one buffer and one source, released when destroyed.
#pragma once

#include <string>

class EngineSound {
public:
    EngineSound(int argc, char** argv, const std::string& wavPath);
    ~EngineSound();
    EngineSound(const EngineSound&) = delete;
    EngineSound& operator=(const EngineSound&) = delete;
    bool isPlaying() const { return playing; }

private:
    bool alutReady = false;
    bool playing = false;
    unsigned buffer = 0;
    unsigned source = 0;
};
