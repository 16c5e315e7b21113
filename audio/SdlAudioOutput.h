#pragma once
// The default SDL2 audio device, 16-bit stereo; its callback pulls the attached mixer on SDL's
// audio thread and plays silence while none is attached.

#include <SDL2/SDL_audio.h>

#include <atomic>
#include <memory>
#include <string>

#include "audio/AudioOutput.h"

class SdlAudioOutput : public AudioOutput {
public:
    // Opens the device (paused until a mixer is attached); null with *error set when there is no
    // usable device. Main thread.
    static std::unique_ptr<SdlAudioOutput> Open(std::string* error);
    ~SdlAudioOutput() override;

    bool IsLive() const override { return true; }
    int GetRate() const override { return mRate; }
    void Attach(Mixer* mixer) override;

private:
    SdlAudioOutput() = default;
    static void Callback(void* self, Uint8* stream, int length);

    SDL_AudioDeviceID mDevice = 0;
    int mRate = 44100;
    std::atomic<Mixer*> mMixer{nullptr};
};
