#pragma once
// The sound-effect service the rest of the program sees: sounds loaded into ids 0..1023 and
// played through short-lived instances on 32 channels. The application owns one; see
// CreateSoundManager. Loads may come from loader threads; everything else is main thread only.

#include <memory>
#include <string>

class SoundInstance;

class SoundManager {
public:
    static constexpr int kMaxSounds = 1024;
    static constexpr int kMaxChannels = 32;

    virtual ~SoundManager() = default;

    // True when sounds reach an output device; false for the silent manager.
    virtual bool Initialized() = 0;
    // The id already holding fileName, else the highest free id loaded with it; -1 when no id is
    // free or the load fails.
    virtual int LoadSoundByName(const std::string& fileName) = 0;
    // Loads fileName (without extension) into id, replacing what it held. False for an id out of
    // 0..1023 or a failed load (the id is then free). The silent manager only stores the name.
    virtual bool LoadSound(int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(int id) = 0;
    // The effect volume (0..1) that every instance's volume is multiplied by.
    virtual void SetVolume(double volume) = 0;
    // Per-id volume (0..1) and pan (hundredths of a decibel) that new instances take.
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // A new instance of id on a free channel, owned by the manager; null for an invalid or empty
    // id or when all 32 channels are busy.
    virtual SoundInstance* GetSoundInstance(int id) = 0;
    // The first live instance of id that is playing, else null.
    virtual SoundInstance* FindPlayingInstance(int id) = 0;
    virtual void ReleaseSounds() = 0;    // frees every id
    virtual void ReleaseChannels() = 0;  // deletes every live instance
    // Our own master volume (0..1, linear), applied to everything the output plays.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    // Kept for callers that hand over their window; output does not depend on it here.
    virtual void SetCooperativeWindow(void* window, bool flag) = 0;
    // Stop every live instance / those of id; auto-release flags are kept.
    virtual void StopAllSounds() = 0;
    virtual void StopSound(int id) = 0;
    virtual int GetFreeSoundId() = 0;  // lowest id without a sound, -1 when none
    virtual int GetNumSounds() = 0;    // ids holding a sound
};

// The application's sound manager. With tryDevice it opens the default audio device through SDL
// and plays through our mixer; when that fails (or without tryDevice) it logs a warning and
// returns the silent manager, whose loads succeed and whose instances play nothing.
std::unique_ptr<SoundManager> CreateSoundManager(bool tryDevice);
