#pragma once
// What the application asks of the audio layer: effect and channel volumes and one-shot samples.
// The audio layer implements it; until it is attached the application only stores the values.
// Main thread.

#include <string>

class AppAudioControl {
public:
    virtual ~AppAudioControl() = default;
    // volume 0 to 1, already 0 while the game is muted.
    virtual void ApplySfxVolume(double volume) = 0;
    virtual void ApplyChannelVolume(const std::string& channel, double volume) = 0;
    // Plays a sound effect once on a new auto-releasing instance.
    virtual void PlaySample(int soundId) = 0;
};
