#pragma once
// One playing copy of a loaded sound effect, handed out by SoundManager::GetSoundInstance. The
// manager owns it: callers Release it (or play it with auto-release) and never delete it. Main
// thread only.

class SoundInstance {
public:
    virtual ~SoundInstance() = default;

    // Stops the sound and marks it released; the manager deletes it at a later channel sweep, so
    // the pointer must not be used after this.
    virtual void Release() = 0;
    // Volume factor (0..1) and pan (hundredths of a decibel, -10000 left .. 10000 right) taken
    // from the sound id; they combine with the instance's own volume and pan.
    virtual void SetBaseVolume(double volume) = 0;
    virtual void SetBasePan(int pan) = 0;
    // Plays at the sound's own rate times 2^(semitones / 12), clamped to 100..100000 Hz.
    virtual void AdjustPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;  // 0..1
    virtual void SetPan(int pan) = 0;           // hundredths of a decibel
    // Plays from the start, looping or once; with autoRelease the instance releases itself when
    // it has finished. True when it plays (a silent instance answers true and plays nothing).
    virtual bool Play(bool looping, bool autoRelease) = 0;
    // Stops and rewinds; clears auto-release.
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // True once released; an auto-release instance that has finished releases itself here.
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};
