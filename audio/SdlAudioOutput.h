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
    // Also pauses the device once the mixer has been silent for about a second, and resumes it
    // when the mixer starts a voice or a stream, so nothing is mixed while nothing plays.
    void Attach(Mixer* mixer) override;
    // Whether the device is paused for silence (tests and diagnostics). Any thread.
    bool IsPausedForSilence() const { return mPausedForSilence.load(); }

private:
    // Frames the device asks for in one callback.
    static constexpr int kDeviceFrames = 2048;
    // Silent callbacks before the device is paused: about a second, so a run of short sounds
    // does not pause and resume the device between them.
    static constexpr int kSilentCallbacksBeforePause = 44100 / kDeviceFrames;

    SdlAudioOutput() = default;
    static void Callback(void* self, Uint8* stream, int length);
    // Main thread: resumes a device paused for silence.
    void Resume();

    SDL_AudioDeviceID mDevice = 0;
    int mRate = 44100;
    std::atomic<Mixer*> mMixer{nullptr};
    int mSilentCallbacks = 0;  // audio thread
    std::atomic<bool> mPausedForSilence{false};
};
