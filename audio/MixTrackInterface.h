#pragma once
// TrackInterface over our mixer: each playing track holds one mixer stream slot, decoded from
// memory on the audio thread. A loaded track keeps only its file's name: its compressed bytes
// and decoder are made when it starts, and go again once it is stopped and two other tracks
// have started since, so only the current and the next (or last) track are held. A track's gain is
// its channel volume x its level x the master volume x the fixed music gain (and the amplification
// for modules).

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "audio/Mixer.h"
#include "audio/MusicSource.h"
#include "audio/TrackInterface.h"

class MixTrackInterface : public TrackInterface {
public:
    // Music sits this far below sound effects at equal settings (0.4 of full scale).
    static constexpr double kMusicGain = 0.4;

    explicit MixTrackInterface(std::shared_ptr<Mixer> mixer);
    ~MixTrackInterface() override;

    bool LoadTrack(int id, const std::string& path, const std::string& channel) override;
    void PlayTrack(int id, int offset, bool loop) override;
    void StopTrack(int id) override;
    void PauseTrack(int id) override;
    void ResumeTrack(int id) override;
    void StopAllTracks() override;
    void UnloadTrack(int id) override;
    void UnloadAllTracks() override;
    void PauseAllTracks() override;
    void ResumeAllTracks() override;
    void PauseChannel(const std::string& channel) override;
    void ResumeChannel(const std::string& channel) override;
    std::string GetTrackChannel(int id) override;
    void PlayTrackFadeIn(int id, int offset, double rate, bool loop) override;
    void FadeOutTrack(int id, bool stopWhenSilent, double rate) override;
    void FadeOutAllTracks(bool stopWhenSilent, double rate) override;
    void FadeOutChannel(const std::string& channel, bool stopWhenSilent, double rate) override;
    bool IsTrackPlaying(int id) override;
    void SetMasterVolume(double volume) override;
    void SetChannelVolume(const std::string& channel, double volume) override;
    double GetChannelVolume(const std::string& channel) override;
    void SetTrackAmplify(int id, double amplify) override;
    void Update() override;
    bool IsFading() const override;

    // Sets a track's level (0..1) at once, ending no fade.
    void SetTrackVolume(int id, double volume);
    // Sets a track's ceiling; a level above it comes down to it.
    void SetTrackMaxVolume(int id, double volume);
    // The track's current level, -1 when not loaded (tests and diagnostics).
    double GetTrackLevel(int id);
    // How many tracks hold their file and decoder now (tests and diagnostics).
    int CountHeldTracks();

private:
    // Tracks held besides those playing or paused: the most recently started ones.
    static constexpr uint64_t kHeldTracks = 2;

    struct Track {
        std::string path;
        std::unique_ptr<MusicSource> source;  // null while the track is not held
        uint64_t started = 0;                 // order of the last start (0: never)
        bool module = false;
        int slot = -1;  // mixer stream slot while attached
        double level = 0.0;
        double rate = 0.0;
        double ceiling = 1.0;
        bool stopWhenSilent = false;
        double amplify = 1.0;
        std::string channel;
    };

    // Reads and opens a track's file; null with the message logged when it can't be decoded.
    std::unique_ptr<MusicSource> Open(const std::string& path, bool* module) const;
    Track* Find(int id);
    bool Attach(Track& track);
    void Detach(Track& track);
    void ApplyVolume(Track& track);
    void StartAt(Track& track, int offset, bool loop, bool restartModule);
    void Stop(Track& track);
    Mixer::StreamState State(const Track& track) const;

    std::shared_ptr<Mixer> mMixer;
    mutable std::mutex mMutex;  // the track and channel tables, shared with loader threads
    std::map<int, Track> mTracks;
    uint64_t mStarts = 0;
    double mMasterVolume = 1.0;
    std::map<std::string, double> mChannelVolumes;
};
