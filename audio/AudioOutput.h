#pragma once
// Where the mixer's output goes. Created and destroyed on the main thread.

class Mixer;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // True when a device plays what the attached mixer produces.
    virtual bool IsLive() const = 0;
    // The output's frame rate; the mixer is built for it.
    virtual int GetRate() const = 0;
    // Starts pulling mixer (which must outlive this output, or the next Attach). Null stops.
    virtual void Attach(Mixer* mixer) = 0;
};
