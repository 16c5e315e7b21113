#pragma once
// Our software mixer: 32 sound-effect voices and a few music streams, resampled to the output
// rate with linear interpolation, summed, scaled by the master gain and clipped to 16 bits.
//
// Threads: Mix runs on the audio thread; everything else on the main thread. One std::mutex
// guards the voice and stream tables. The main thread holds it only to copy a few scalars or
// pointers (no allocation, IO or freeing inside), so the audio thread never waits on main-thread
// work; the audio thread holds it for one mix block, which the main thread may briefly wait for.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "audio/PcmData.h"

class MusicSource;

class Mixer {
public:
    static constexpr int kVoiceCount = 32;
    static constexpr int kStreamCount = 16;

    enum class StreamState { kStopped, kPlaying, kPaused };

    // outputRate: frames per second of the output (the device's rate).
    explicit Mixer(int outputRate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    int GetOutputRate() const { return mOutputRate; }

    // Audio thread (or a test standing in for it): fills frames interleaved stereo samples.
    void Mix(int16_t* out, int frames);
    // Whether no voice and no stream plays. Any thread.
    bool IsSilent() const;
    // Called on the main thread after a voice or a stream starts, outside the lock (the output
    // wakes a device paused for silence); null removes it.
    void SetStartListener(std::function<void()> listener) { mStartListener = std::move(listener); }

    // The master gain (0..1, linear) applied to everything; our stand-in for a system volume.
    void SetMasterGain(double gain);
    double GetMasterGain() const;

    // Starts a voice from frame 0. data must stay alive until DetachVoice(slot) or the next
    // StartVoice on the slot has returned. rateHz is the playback rate of data's frames.
    void StartVoice(int slot, const SoundSamples* data, double rateHz, bool loop, float leftGain,
                    float rightGain);
    void StopVoice(int slot);
    // Stops the voice and forgets its data; after it returns the data may be freed.
    void DetachVoice(int slot);
    void SetVoiceGains(int slot, float leftGain, float rightGain);
    void SetVoiceRate(int slot, double rateHz);
    bool IsVoicePlaying(int slot) const;

    // Gives a stream slot to source (stopped, at its current position); -1 when all are taken.
    // source must stay alive until DetachStream(slot) has returned.
    int AttachStream(MusicSource* source);
    void DetachStream(int slot);
    // A stream whose gain (or the master gain) is 0 is not decoded while it plays: its time goes
    // on, so it is heard from where it would be once its gain is above 0 again, and a stream
    // that does not loop still ends when it would.
    void SetStreamGain(int slot, float gain);
    void SetStreamLoop(int slot, bool loop);
    void PlayStream(int slot);  // from where it stands
    void PauseStream(int slot);
    void StopStream(int slot);  // keeps the position, like a pause that reads as stopped
    // Asks for a seek in the source's unit; the audio thread performs it before the next decode.
    void SeekStream(int slot, int64_t position);
    StreamState GetStreamState(int slot) const;

private:
    struct Voice {
        const SoundSamples* data = nullptr;
        double position = 0.0;  // in frames of data
        double rate = 0.0;      // frames of data per second
        float left = 1.0f;
        float right = 1.0f;
        bool loop = false;
        bool playing = false;
    };
    struct Stream {
        MusicSource* source = nullptr;
        std::vector<int16_t> buffer;  // decoded stereo frames; allocated once
        int frames = 0;               // valid frames in buffer
        double position = 0.0;        // in frames of buffer
        int64_t pendingSeek = -1;
        float gain = 1.0f;
        bool loop = false;
        StreamState state = StreamState::kStopped;
        // Playing silent: nothing is decoded, only the time is kept, as the source frame under
        // the read position (fraction included).
        bool quiet = false;
        double quietPosition = 0.0;
    };

    void MixVoice(Voice& voice, float* acc, int frames);
    void MixStream(Stream& stream, float* acc, int frames);
    // Keeps a silent stream's time over frames of output without decoding; false when its source
    // can't tell its length and position (the stream is then mixed at gain 0).
    bool PassQuietly(Stream& stream, int frames);
    // Moves the stream's decoder to a source frame and empties what was decoded ahead.
    void SeekStream(Stream& stream, int64_t frame);
    bool Refill(Stream& stream);

    const int mOutputRate;
    mutable std::mutex mMutex;
    std::function<void()> mStartListener;  // main thread
    double mMasterGain = 1.0;
    Voice mVoices[kVoiceCount];
    Stream mStreams[kStreamCount];
    std::vector<float> mAccumulator;  // one block of stereo sums; audio thread only
};
