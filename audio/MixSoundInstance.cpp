#include "audio/MixSoundInstance.h"

#include <algorithm>
#include <cmath>

#include "audio/MixSoundManager.h"
#include "audio/Mixer.h"
#include "audio/PcmData.h"
#include "audio/VolumeLaw.h"

MixSoundInstance::MixSoundInstance(MixSoundManager* manager, Mixer* mixer, int channel, int id,
                                   std::shared_ptr<const SoundSamples> samples)
    : mManager(manager), mMixer(mixer), mChannel(channel), mSamples(std::move(samples)), mId(id) {
    if (mSamples) {
        mSourceFrequency = mSamples->sampleRate;
        mFrequency = mSourceFrequency;
    }
}

MixSoundInstance::~MixSoundInstance() {
    if (Audible()) {
        mMixer->DetachVoice(mChannel);  // before our reference to the samples goes
    }
}

void MixSoundInstance::ComputeGains(float* left, float* right) const {
    const double v = mVolume * mBaseVolume * mManager->GetEffectVolume();
    const float gain = AttenuationToGain(VolumeToAttenuation(v));
    PanToGains(mPan + mBasePan, left, right);
    *left *= gain;
    *right *= gain;
}

void MixSoundInstance::ApplyVolume() {
    // Before the first Play the voice is not ours yet, and Play sets the gains as it starts it.
    if (!Audible() || !mHasPlayed) {
        return;
    }
    float left = 1.0f;
    float right = 1.0f;
    ComputeGains(&left, &right);
    mMixer->SetVoiceGains(mChannel, left, right);
}

void MixSoundInstance::Release() {
    Stop();
    mReleased = true;
}

void MixSoundInstance::SetBaseVolume(double volume) {
    mBaseVolume = volume;
    ApplyVolume();
}

void MixSoundInstance::SetBasePan(int pan) {
    mBasePan = pan;
    ApplyVolume();
}

void MixSoundInstance::SetVolume(double volume) {
    mVolume = volume;
    ApplyVolume();
}

void MixSoundInstance::SetPan(int pan) {
    mPan = pan;
    ApplyVolume();
}

void MixSoundInstance::AdjustPitch(double semitones) {
    // A NaN from a script would slip through the clamp and stop the voice's position for good.
    const double shift = std::isnan(semitones) ? 0.0 : semitones;
    mFrequency = std::clamp(mSourceFrequency * std::pow(2.0, shift / 12.0), 100.0, 100000.0);
    if (Audible()) {
        mMixer->SetVoiceRate(mChannel, mFrequency);
    }
}

bool MixSoundInstance::Play(bool looping, bool autoRelease) {
    mAutoRelease = autoRelease;
    mHasPlayed = true;
    if (!Audible()) {
        return true;
    }
    float left = 1.0f;
    float right = 1.0f;
    ComputeGains(&left, &right);
    mMixer->StartVoice(mChannel, mSamples.get(), mFrequency, looping, left, right);
    return true;
}

void MixSoundInstance::Stop() {
    if (Audible()) {
        mMixer->StopVoice(mChannel);
    }
    mAutoRelease = false;
}

void MixSoundInstance::StopKeepingAutoRelease() {
    const bool autoRelease = mAutoRelease;
    Stop();
    mAutoRelease = autoRelease;
}

bool MixSoundInstance::IsPlaying() {
    return Audible() && mMixer->IsVoicePlaying(mChannel);
}

bool MixSoundInstance::IsReleased() {
    if (!mReleased && mAutoRelease && mHasPlayed && !IsPlaying()) {
        Release();
    }
    return mReleased;
}
