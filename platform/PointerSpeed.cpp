#include "platform/PointerSpeed.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"

double PointerSpeed::Factor(int speed) {
    const int s = std::clamp(speed, 1, 20);
    if (s <= 10) {
        return s / 10.0;
    }
    return 1.0 + (s - 10) * 0.25;
}

void PointerSpeed::SetSpeed(int speed) {
    const bool wasScaling = IsScaling();
    mSpeed = std::clamp(speed, 1, 20);
    mFactor = Factor(mSpeed);
    if (!wasScaling) {
        // Nothing was tracked at the desktop's own speed.
        Reset();
    }
}

void PointerSpeed::SetBounds(const PlatformRect& area) {
    mBounded = area.width > 0 && area.height > 0;
    mLeft = area.x;
    mTop = area.y;
    mRight = area.x + area.width;
    mBottom = area.y + area.height;
}

void PointerSpeed::Map(int* x, int* y, bool fromDevice) {
    if (!IsScaling()) {
        return;
    }
    if (mWarpPending && *x == mWarpX && *y == mWarpY) {
        // The pointer arrived where it was put: the game saw it there already.
        mWarpPending = false;
        mReportedX = *x;
        mReportedY = *y;
        *x = static_cast<int>(std::lround(mX));
        *y = static_cast<int>(std::lround(mY));
        return;
    }
    if (!mHasPosition || !fromDevice) {
        mHasPosition = true;
        mWarpPending = false;
        mX = *x;
        mY = *y;
    } else {
        mX += (*x - mReportedX) * mFactor;
        mY += (*y - mReportedY) * mFactor;
        if (mBounded) {
            mX = std::clamp(mX, static_cast<double>(mLeft), static_cast<double>(mRight - 1));
            mY = std::clamp(mY, static_cast<double>(mTop), static_cast<double>(mBottom - 1));
        }
    }
    mReportedX = *x;
    mReportedY = *y;
    // The fraction stays in the scaled position, so slow movements add up instead of vanishing.
    *x = static_cast<int>(std::lround(mX));
    *y = static_cast<int>(std::lround(mY));
}

bool PointerSpeed::TakeWarp(int* x, int* y) {
    if (mWarpPending && ++mWarpWaits > kWarpPatience) {
        // Never reported (the window system kept it elsewhere): placed again from here.
        mWarpPending = false;
    }
    if (!IsScaling() || !mHasPosition || mWarpPending) {
        return false;
    }
    const int wx = static_cast<int>(std::lround(mX));
    const int wy = static_cast<int>(std::lround(mY));
    if (wx == mReportedX && wy == mReportedY) {
        return false;
    }
    mWarpPending = true;
    mWarpWaits = 0;
    mWarpX = wx;
    mWarpY = wy;
    *x = wx;
    *y = wy;
    return true;
}
