#pragma once
// A SoundInstance on one mixer voice. Without a mixer or samples it is silent: it accepts every
// call and never plays.

#include <memory>

#include "audio/SoundInstance.h"

class Mixer;
class MixSoundManager;
struct SoundSamples;

class MixSoundInstance : public SoundInstance {
public:
    // samples may be null (silent). The instance owns a reference to them, so releasing the id
    // while it plays is safe. Made by MixSoundManager only.
    MixSoundInstance(MixSoundManager* manager, Mixer* mixer, int channel, int id,
                     std::shared_ptr<const SoundSamples> samples);
    ~MixSoundInstance() override;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override { return mVolume; }

    // Stops and rewinds like Stop, but an auto-release instance still releases itself afterwards.
    void StopKeepingAutoRelease();
    int GetId() const { return mId; }
    double GetFrequency() const { return mFrequency; }
    // Recomputes the voice gains from volumes, pans and the manager's effect volume.
    void ApplyVolume();

private:
    bool Audible() const { return mMixer && mSamples; }
    // The voice gains from volumes, pans and the manager's effect volume.
    void ComputeGains(float* left, float* right) const;

    MixSoundManager* mManager;
    Mixer* mMixer;
    int mChannel;
    std::shared_ptr<const SoundSamples> mSamples;
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int mId;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    int mPan = 0;
    double mVolume = 1.0;
    double mSourceFrequency = 44100.0;  // the sound's own rate
    double mFrequency = 44100.0;        // after pitch
};
