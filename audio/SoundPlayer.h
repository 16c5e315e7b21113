#pragma once
// The game-side layer in front of the sound manager: one-shot sounds that don't restart within
// a number of updates, and looping sounds shared by reference count, with fades stepped once per
// update. Main thread only.

#include <functional>
#include <map>
#include <set>

class SoundInstance;
class SoundManager;

struct LoopingSoundEntry {
    SoundInstance* instance = nullptr;  // held until released
    float rate = 0.0f;                  // change of level per update; 0 = not fading
    float level = 0.0f;                 // 0..1
    int count = 0;                      // users of the loop
};

class SoundPlayer {
public:
    // manager must outlive the player. effectVolume reads the application's sound-effect volume
    // (0..1) at each use.
    SoundPlayer(SoundManager* manager, std::function<double()> effectVolume);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays id once at its volume x volume, unless it was asked for within minTicks updates
    // (-1 never holds back). The ask counts even when no channel was free.
    void PlaySound(int id, int minTicks, double volume);
    // Starts or shares the loop of id; fadeInRate 0 starts at full level. Null when no instance
    // could be had. Asked for while it fades out after its last user let go, the loop is taken up
    // again and fades back in.
    LoopingSoundEntry* PlayLooping(int id, float fadeInRate);
    // Lets go of one use; the last one stops the loop, or fades it out when fadeOutRate > 0.
    void StopLooping(int id, float fadeOutRate);
    // Releases every loop at once.
    void ReleaseAll();
    // Mutes or restores the loops of the listed ids.
    void SetLoopsMuted(bool mute, const std::set<int>& ids);
    // Advances the tick and steps the fades; once per application update.
    void Update();
    // Whether a loop is fading in or out.
    bool IsFading() const;

    int GetTick() const { return mTick; }
    // The loop of id, or null (tests and diagnostics).
    const LoopingSoundEntry* FindLoop(int id) const;

private:
    SoundManager* mManager;
    std::function<double()> mEffectVolume;
    std::map<int, int> mLastPlayTicks;
    std::map<int, LoopingSoundEntry> mLoops;
    int mTick = 0;
};
