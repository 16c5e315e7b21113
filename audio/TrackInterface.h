#pragma once
// The music service the application holds: tracks loaded by id, each in a named volume channel
// ("music" for the game's music), with fades stepped once per update. This base is the bare
// interface used without sound: every operation is accepted and does nothing. Loads may come
// from loader threads; everything else runs on the main thread.

#include <memory>
#include <string>

class SoundManager;

class TrackInterface {
public:
    virtual ~TrackInterface() = default;

    // Loads path into id in channel, replacing an earlier track of that id. Files whose
    // extension is "wav", "ogg" or "mp3" are streams; anything else is read as a module.
    virtual bool LoadTrack(int id, const std::string& path, const std::string& channel);
    // Plays at full level (the track's ceiling). offset: a byte position for streams (-1 plays
    // on from where the track stands), an order for modules.
    virtual void PlayTrack(int id, int offset, bool loop);
    virtual void StopTrack(int id);
    virtual void PauseTrack(int id);
    virtual void ResumeTrack(int id);
    virtual void StopAllTracks();
    virtual void UnloadTrack(int id);
    virtual void UnloadAllTracks();
    virtual void PauseAllTracks();   // pauses the playing tracks
    virtual void ResumeAllTracks();  // resumes the paused ones
    virtual void PauseChannel(const std::string& channel);
    virtual void ResumeChannel(const std::string& channel);
    virtual std::string GetTrackChannel(int id);  // empty when not loaded
    // Plays from the current level, rising by rate per update up to the ceiling.
    virtual void PlayTrackFadeIn(int id, int offset, double rate, bool loop);
    // Falls by rate per update; at level 0 the track stops when stopWhenSilent is set.
    virtual void FadeOutTrack(int id, bool stopWhenSilent, double rate);
    virtual void FadeOutAllTracks(bool stopWhenSilent, double rate);
    virtual void FadeOutChannel(const std::string& channel, bool stopWhenSilent, double rate);
    virtual bool IsTrackPlaying(int id);
    // Volumes are factors 0..1: master, per channel (0 until set), and the module amplification
    // (50 is neutral; streams ignore it).
    virtual void SetMasterVolume(double volume);
    virtual void SetChannelVolume(const std::string& channel, double volume);
    virtual double GetChannelVolume(const std::string& channel);
    virtual void SetTrackAmplify(int id, double amplify);
    // Steps the fades; once per application update.
    virtual void Update();
    // Whether a fade is under way, so the updates must come on time.
    virtual bool IsFading() const { return false; }
};

// The application's music interface: the mixer-backed one when manager plays through a device
// (see CreateSoundManager), else the bare TrackInterface. It shares ownership of the mixer, so it
// may outlive manager.
std::unique_ptr<TrackInterface> CreateMusicInterface(SoundManager& manager);
