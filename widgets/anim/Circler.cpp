#include "widgets/anim/Circler.h"

#include <cmath>

Circler::Circler(AnimatedPropertyOwner* owner, std::string_view name,
                 std::unique_ptr<EasingCurve> curve, int centerX, int centerY, float sweepDegrees,
                 float duration, int flags)
    : Controller(owner, name, true, std::move(curve), flags),
      mX(FindTarget("x")),
      mY(FindTarget("y")),
      mCenterX(centerX),
      mCenterY(centerY) {
    if (mX != nullptr && mY != nullptr) {
        const float dx = *mX - static_cast<float>(centerX);
        const float dy = *mY - static_cast<float>(centerY);
        mRadius = std::sqrt(dx * dx + dy * dy);
        mStartAngle = std::atan2(dy, dx) * -57.2957763671875f;
    }
    mEndAngle = mStartAngle + sweepDegrees;
    if (duration > 0.0f) {
        mRate = 1.0f / duration;
    } else {
        // Nothing to divide by: the arc is complete at the first update.
        mRate = 0.0f;
        mPosition = 1.0f;
    }
}

bool Circler::Update(float dt) {
    mPosition += mRate * dt;
    if (mPosition > 1.0f) {
        mPosition = 1.0f;
    }
    if (mX == nullptr || mY == nullptr) {
        return true;
    }
    const float c = EvaluateCurve(mPosition);
    const float angle = (1.0f - c) * mStartAngle + c * mEndAngle;
    const float a = angle * -3.1415927410125732f / 180.0f;
    Write(mX, static_cast<float>(mCenterX) + mRadius * std::cos(a));
    Write(mY, static_cast<float>(mCenterY) + mRadius * std::sin(a));
    NotifyOwner();
    return mPosition >= 1.0f;
}
