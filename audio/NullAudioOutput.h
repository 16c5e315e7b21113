#pragma once
// The output of a machine without a sound device, and of tests that pull the mixer themselves:
// nothing is pulled and nothing is heard.

#include "audio/AudioOutput.h"

class NullAudioOutput : public AudioOutput {
public:
    explicit NullAudioOutput(int rate = 44100) : mRate(rate) {}
    bool IsLive() const override { return false; }
    int GetRate() const override { return mRate; }
    void Attach(Mixer*) override {}

private:
    int mRate;
};
