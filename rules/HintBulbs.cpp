#include "rules/HintBulbs.h"

#include <algorithm>
#include <cmath>

HintBulbs::HintBulbs(int fillPerBulb, int startingHints) : mFillPerBulb(std::max(1, fillPerBulb)) {
    const int full = std::clamp(startingHints, 0, kBulbCount);
    for (int i = 0; i < full; ++i) {
        mFill[i] = mFillPerBulb;
    }
    mAvailable = full;
    mCurrentBulb = std::min(full, kBulbCount - 1);
}

int HintBulbs::FrameFor(int fill) const {
    if (fill >= mFillPerBulb) {
        return kFullFrame;
    }
    const int frame = static_cast<int>(std::floor(fill / (mFillPerBulb / 12.0)));
    return std::min(frame, 10);
}

void HintBulbs::ChooseCurrentBulb() {
    for (int i = 0; i < kBulbCount; ++i) {
        if (mFill[i] == 0) {
            mCurrentBulb = i;
            break;
        }
    }
    // A part-filled bulb goes on filling before an empty one starts.
    for (int i = 0; i < kBulbCount; ++i) {
        if (mFill[i] > 0 && mFill[i] < mFillPerBulb) {
            mCurrentBulb = i;
            break;
        }
    }
}

HintBulbs::FillResult HintBulbs::AddFill(int n) {
    FillResult result;
    if (mAvailable >= kBulbCount) {
        return result;
    }
    ChooseCurrentBulb();
    int& fill = mFill[mCurrentBulb];
    if (fill >= mFillPerBulb) {
        return result;  // no bulb left to fill
    }
    fill = std::min(fill + n, mFillPerBulb);
    result.changed = true;
    result.bulb = mCurrentBulb;
    result.frame = FrameFor(fill);
    if (fill >= mFillPerBulb) {
        result.becameFull = true;
        ++mAvailable;
        ChooseCurrentBulb();
    }
    return result;
}

bool HintBulbs::CanUse(int bulb) const {
    return bulb >= 0 && bulb < kBulbCount && mFill[bulb] >= mFillPerBulb && mAvailable >= 1;
}

bool HintBulbs::Use(int bulb) {
    if (!CanUse(bulb)) {
        return false;
    }
    ++mHintsUsed;
    --mAvailable;
    mFill[bulb] = 0;
    return true;
}
