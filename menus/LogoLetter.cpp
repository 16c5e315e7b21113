#include "menus/LogoLetter.h"

#include "menus/LogoBall.h"

LogoLetter::LogoLetter(int x, int y, Image* image) : DynamicWidget(x, y, image, 1.0f) {}

void LogoLetter::Drop(double targetY, double speed, double spring) {
    mTargetY = targetY;
    mFalling = true;
    mSpeed = speed;
    mSpring = spring;
}

void LogoLetter::Tilt(Image* image, int dx, int dy, LogoBall* ball) {
    SetImage(image);
    Move(mX + static_cast<float>(dx), mY);
    mTargetY += dy;
    mFalling = true;
    mSpeed = ball != nullptr ? ball->mVy : 0.0;
    mSpring = 0.04;
    mRider = ball;
    mRiderOffset = ball != nullptr ? static_cast<double>(ball->mY) - mY : 0.0;
}

void LogoLetter::TryUpdateF(float elapsed) {
    DynamicWidget::TryUpdateF(elapsed);
    if (mSpeed == 0.0) {
        return;
    }
    const double dt = elapsed;
    MarkDirty();
    double y = mY + mSpeed * dt;
    if (mFalling) {
        if (y < mTargetY) {
            mSpeed += 0.1 * dt;
        } else {
            mFalling = false;
        }
    }
    if (!mFalling) {
        if (y < mTargetY) {
            y = mTargetY;
            mSpeed = 0.0;
            mLanded = mRider == nullptr;
        } else {
            mSpeed += (mTargetY - y) * mSpring * dt;
        }
    }
    mY = static_cast<float>(y);
    if (mRider != nullptr) {
        mRider->mY = static_cast<float>(y + mRiderOffset);
        mRider->MarkDirty();
    }
}
