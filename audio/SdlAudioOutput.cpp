#include "audio/SdlAudioOutput.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "audio/Mixer.h"
#include "core/util/StringUtil.h"

std::unique_ptr<SdlAudioOutput> SdlAudioOutput::Open(std::string* error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *error = StrFormat("SDL audio could not start: %s", SDL_GetError());
        return nullptr;
    }
    SDL_AudioSpec want;
    std::memset(&want, 0, sizeof(want));
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    // 46 ms a callback: short enough for a click's sound to feel immediate, and half the wake-ups
    // of the audio thread that 1,024 frames cost while music plays at rest.
    want.samples = kDeviceFrames;
    want.callback = &SdlAudioOutput::Callback;
    std::unique_ptr<SdlAudioOutput> output(new SdlAudioOutput());
    want.userdata = output.get();
    SDL_AudioSpec have;
    // Only the rate may differ: SDL converts format and channels for us, and the mixer is then
    // built for the rate the device really runs at.
    output->mDevice =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (output->mDevice == 0) {
        *error = StrFormat("no audio device could be opened: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    output->mRate = have.freq;
    return output;
}

SdlAudioOutput::~SdlAudioOutput() {
    if (Mixer* mixer = mMixer.load()) {
        mixer->SetStartListener(nullptr);
    }
    if (mDevice != 0) {
        SDL_CloseAudioDevice(mDevice);  // waits for a running callback to return
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlAudioOutput::Attach(Mixer* mixer) {
    if (Mixer* old = mMixer.load()) {
        old->SetStartListener(nullptr);
    }
    if (mixer) {
        mixer->SetStartListener([this] { Resume(); });
        SDL_LockAudioDevice(mDevice);
        mMixer.store(mixer);
        mSilentCallbacks = 0;
        mPausedForSilence = false;
        SDL_UnlockAudioDevice(mDevice);
        SDL_PauseAudioDevice(mDevice, 0);
    } else {
        SDL_PauseAudioDevice(mDevice, 1);
        SDL_LockAudioDevice(mDevice);  // a callback in flight finishes before we let go
        mMixer.store(nullptr);
        SDL_UnlockAudioDevice(mDevice);
    }
}

void SdlAudioOutput::Resume() {
    // Under the device lock: a callback that has just found the mixer silent finishes its pause
    // first, so the start that called us is never lost to it.
    SDL_LockAudioDevice(mDevice);
    mSilentCallbacks = 0;
    if (mPausedForSilence.exchange(false)) {
        SDL_PauseAudioDevice(mDevice, 0);
    }
    SDL_UnlockAudioDevice(mDevice);
}

void SdlAudioOutput::Callback(void* self, Uint8* stream, int length) {
    auto* output = static_cast<SdlAudioOutput*>(self);
    Mixer* mixer = output->mMixer.load();
    if (!mixer) {
        std::memset(stream, 0, static_cast<size_t>(length));
        return;
    }
    mixer->Mix(reinterpret_cast<int16_t*>(stream), length / 4);
    if (!mixer->IsSilent()) {
        output->mSilentCallbacks = 0;
    } else if (++output->mSilentCallbacks >= kSilentCallbacksBeforePause) {
        // The callback runs with the device lock held (SDL's lock is recursive), so this pause
        // and Resume never interleave.
        output->mPausedForSilence = true;
        SDL_PauseAudioDevice(output->mDevice, 1);
    }
}
