#pragma once
// The application's sound: the sound manager, the music interface and the sound player, with the
// volume and sample calls the application forwards to them, and the loader through which the
// asset catalogue turns its sound and track entries into ids.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/AppAudioControl.h"
#include "graphics/assets/AudioAssetLoader.h"

class SoundManager;
class SoundPlayer;
class TrackInterface;

class AppAudio : public AppAudioControl, public AudioAssetLoader {
public:
    // Opens the audio device when tryDevice is set and one exists; otherwise every sound is
    // silent and the game plays on. effectVolume reads the application's sound-effect volume.
    // Main thread, after the per-user data folder is settled (the wave cache lives there).
    AppAudio(bool tryDevice, std::function<double()> effectVolume);
    // Stops and releases every sound, then the player, the music and the manager, in that order.
    ~AppAudio() override;
    AppAudio(const AppAudio&) = delete;
    AppAudio& operator=(const AppAudio&) = delete;

    // Once per fixed update: the sound player's fades and throttles, then the music fades.
    void Update();
    // Whether a sound or music fade is under way.
    bool IsFading() const;

    // AppAudioControl.
    void ApplySfxVolume(double volume) override;
    void ApplyChannelVolume(const std::string& channel, double volume) override;
    void PlaySample(int soundId) override;

    // AudioAssetLoader; any thread.
    int LoadSound(const std::string& path) override;
    int LoadTrack(const std::string& path) override;

    SoundManager* GetSoundManager() const { return mSoundManager.get(); }
    TrackInterface* GetMusic() const { return mMusic.get(); }
    SoundPlayer* GetSoundPlayer() const { return mSoundPlayer.get(); }

private:
    std::unique_ptr<SoundManager> mSoundManager;
    std::unique_ptr<TrackInterface> mMusic;
    std::unique_ptr<SoundPlayer> mSoundPlayer;
    std::atomic<int> mNextTrackId{1};
};
