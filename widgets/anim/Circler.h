#pragma once
// Moves the owner's "x" and "y" along a circular arc about a centre, sweeping an angle in
// degrees over a duration along a curve. Counts as animating.

#include "widgets/anim/Controller.h"

class Circler final : public Controller {
public:
    // The radius and start angle come from the current position. A duration of 0 or less (or an
    // owner without "x" and "y") finishes at the first update, at the end angle.
    Circler(AnimatedPropertyOwner* owner, std::string_view name, std::unique_ptr<EasingCurve> curve,
            int centerX, int centerY, float sweepDegrees, float duration, int flags);

    bool Update(float dt) override;

    float GetRadius() const { return mRadius; }
    float GetStartAngle() const { return mStartAngle; }
    float GetEndAngle() const { return mEndAngle; }

private:
    float* mX;
    float* mY;
    int mCenterX;
    int mCenterY;
    float mStartAngle = 0.0f;
    float mEndAngle = 0.0f;
    float mRadius = 0.0f;
};
