#include "widgets/anim/FrameSequence.h"

#include <cmath>

#include "core/util/Random.h"

int FrameSequence::Advance(float dt) {
    if (!(mFrameTime > 0.0f)) {
        return 0;
    }
    mTimer += dt;
    int due = 0;
    // A non-finite timer would loop for ever; the clock simply restarts.
    if (!std::isfinite(mTimer)) {
        mTimer = 0.0f;
        return 0;
    }
    while (mTimer >= mFrameTime && mFrameTime > 0.0f) {
        mTimer -= mFrameTime;
        ++due;
        // Far behind (a long pause): there is no point in stepping through every lost frame
        // before the next draw; what matters is that the clock keeps its phase.
        if (due > 1000) {
            mTimer = std::fmod(mTimer, mFrameTime);
        }
    }
    return due;
}

void FrameSequence::NormaliseRange() {
    if (mMax < mMin) {
        mMax = mMin;
    }
}

bool FrameSequence::UseRepeat() {
    if (mRepeats <= 0) {
        return false;  // endless
    }
    --mRepeats;
    if (mRepeats == 0) {
        mFrameTime = 0.0f;
        return true;
    }
    return false;
}

int FrameSequence::Step() {
    NormaliseRange();
    if (mMode == kRandom) {
        if (mMax > mMin) {
            int next = mFrame;
            while (next == mFrame) {
                next = RandRange(mMin, mMax + 1);
            }
            mFrame = next;
        }
        return mFrame;
    }
    if (!mList.empty()) {
        if (mIndex < 0 || mIndex >= static_cast<int>(mList.size())) {
            mIndex = 0;
        }
        mFrame = mList[static_cast<size_t>(mIndex)];
        ++mIndex;
        if (mIndex >= static_cast<int>(mList.size())) {
            mIndex = 0;
            UseRepeat();
        }
        return mFrame;
    }
    const int before = mFrame;
    mFrame += mStep;
    bool stopped = false;
    if (mMode == kPingPong) {
        if ((mStep > 0 && mFrame >= mMax) || (mStep < 0 && mFrame <= mMin)) {
            mStep = -mStep;
            stopped = UseRepeat();
        }
    } else if ((mMode == kForward && mFrame > mMax) || (mMode == kBackward && mFrame < mMin)) {
        stopped = UseRepeat();
    }
    if (stopped && mMode != kPingPong) {
        mFrame = before;
    }
    if (mFrame < mMin) {
        mFrame = mMax;
    } else if (mFrame > mMax) {
        mFrame = mMin;
    }
    return mFrame;
}
