#pragma once
// The four hint bulbs: correct reveals fill them one after another, a full bulb is one hint the
// player can use, and using it empties that bulb. No drawing; the hint meter shows what this
// decides.

#include <array>

class HintBulbs {
public:
    static constexpr int kBulbCount = 4;
    // The picture frames of a bulb: 0 to 10 while filling, 11 when full.
    static constexpr int kFullFrame = 11;

    // fillPerBulb: correct reveals that fill one bulb (below 1 counts as 1). startingHints: how
    // many bulbs start full (clamped to 0..4); they are the available hints.
    HintBulbs(int fillPerBulb, int startingHints);

    // What one AddFill changed.
    struct FillResult {
        bool changed = false;  // false when every bulb was already full
        int bulb = 0;          // the bulb that took the fill
        int frame = 0;         // its frame now
        bool becameFull = false;
    };
    // A correct reveal arrived: n more on the bulb being filled.
    FillResult AddFill(int n);
    // Whether the bulb (0 to 3) is full and a hint is available; any other index is false.
    bool CanUse(int bulb) const;
    // Spends bulb's hint when CanUse allows; false (nothing changes) otherwise.
    bool Use(int bulb);

    int GetFill(int bulb) const { return bulb >= 0 && bulb < kBulbCount ? mFill[bulb] : 0; }
    int GetFillPerBulb() const { return mFillPerBulb; }
    int GetCurrentBulb() const { return mCurrentBulb; }
    int GetAvailableHints() const { return mAvailable; }
    int GetHintsUsed() const { return mHintsUsed; }
    // The frame a bulb with this fill shows.
    int FrameFor(int fill) const;

private:
    void ChooseCurrentBulb();

    int mFillPerBulb;
    std::array<int, kBulbCount> mFill{};
    int mCurrentBulb = 0;
    int mAvailable = 0;
    int mHintsUsed = 0;
};
