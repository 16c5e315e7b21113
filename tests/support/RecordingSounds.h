#pragma once
// A sound manager and its instances that play nothing and record what is asked of them, for tests
// of what drives sounds (the sound player, menus, scripts).

#include <memory>
#include <string>
#include <vector>

#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"

struct RecordingInstance : SoundInstance {
    int id = 0;
    double volume = 1.0;
    double volumeAtPlay = -1.0;  // the volume when Play was last asked for
    bool playing = false;
    bool looping = false;
    bool autoRelease = false;
    bool released = false;
    void Release() override {
        playing = false;
        released = true;
    }
    void SetBaseVolume(double) override {}
    void SetBasePan(int) override {}
    void AdjustPitch(double) override {}
    void SetVolume(double v) override { volume = v; }
    void SetPan(int) override {}
    bool Play(bool loop, bool autoRel) override {
        volumeAtPlay = volume;
        playing = true;
        looping = loop;
        autoRelease = autoRel;
        return true;
    }
    void Stop() override { playing = false; }
    bool IsPlaying() override { return playing; }
    bool IsReleased() override { return released; }
    double GetVolume() override { return volume; }
};

// Hands out a new instance for every ask and keeps them all for inspection.
struct RecordingSoundManager : SoundManager {
    std::vector<std::unique_ptr<RecordingInstance>> made;
    bool full = false;            // no free channel: asks get no instance
    double instanceVolume = 1.0;  // what a new instance's volume starts at
    bool Initialized() override { return true; }
    int LoadSoundByName(const std::string&) override { return 0; }
    bool LoadSound(int, const std::string&) override { return true; }
    void ReleaseSound(int) override {}
    void SetVolume(double) override {}
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    SoundInstance* GetSoundInstance(int id) override {
        if (full) {
            return nullptr;
        }
        made.push_back(std::make_unique<RecordingInstance>());
        made.back()->id = id;
        made.back()->volume = instanceVolume;
        return made.back().get();
    }
    SoundInstance* FindPlayingInstance(int) override { return nullptr; }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void SetCooperativeWindow(void*, bool) override {}
    void StopAllSounds() override {}
    void StopSound(int) override {}
    int GetFreeSoundId() override { return 0; }
    int GetNumSounds() override { return 0; }
};
