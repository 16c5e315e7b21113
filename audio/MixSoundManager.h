#pragma once
// SoundManager over our mixer. With a mixer it decodes sounds and plays them on the mixer's 32
// voices (voice = channel); without one it is the silent manager: loads only store the name and
// instances play nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio/AudioOutput.h"
#include "audio/Mixer.h"
#include "audio/PcmData.h"
#include "audio/SoundManager.h"

class MixSoundInstance;

class MixSoundManager : public SoundManager {
public:
    // mixer may be null (silent). output is attached to the mixer and closed before it dies.
    MixSoundManager(std::shared_ptr<Mixer> mixer, std::unique_ptr<AudioOutput> output);
    ~MixSoundManager() override;

    bool Initialized() override;
    int LoadSoundByName(const std::string& fileName) override;
    bool LoadSound(int id, const std::string& fileName) override;
    void ReleaseSound(int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(int id, double volume) override;
    bool SetBasePan(int id, int pan) override;
    SoundInstance* GetSoundInstance(int id) override;
    SoundInstance* FindPlayingInstance(int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void SetCooperativeWindow(void* window, bool flag) override;
    void StopAllSounds() override;
    void StopSound(int id) override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // The mixer the music shares; null for the silent manager.
    const std::shared_ptr<Mixer>& GetMixer() const { return mMixer; }
    // The effect volume set by SetVolume (0..1).
    double GetEffectVolume() const { return mEffectVolume; }
    // Bytes of PCM the id holds as decoded (0 when empty).
    size_t GetSoundDataSize(int id);
    // Replaces the millisecond clock of the channel sweep (tests).
    void SetClockForTesting(std::function<uint64_t()> clock) { mClock = std::move(clock); }

private:
    struct SoundSlot {
        std::shared_ptr<const SoundSamples> samples;
        std::string name;  // empty = free
        size_t dataSize = 0;
        double baseVolume = 1.0;
        int basePan = 0;
    };

    static bool ValidId(int id) { return id >= 0 && id < kMaxSounds; }
    bool LoadInto(int id, const std::string& fileName);
    int FindFreeChannel();

    std::shared_ptr<Mixer> mMixer;
    std::unique_ptr<AudioOutput> mOutput;
    std::mutex mTableMutex;  // the sound slots, shared with loader threads
    SoundSlot mSounds[kMaxSounds];
    std::unique_ptr<MixSoundInstance> mChannels[kMaxChannels];  // main thread only
    double mEffectVolume = 1.0;
    double mSilentMasterVolume = 1.0;
    uint64_t mLastSweep = 0;
    std::function<uint64_t()> mClock;
};
