#pragma once
// The ball of the studio logo: it flies in on a parabola, squashes on each of its three bounces
// (on the second letter, on the fourth, then on the ground, where it stops) and plays "bounce"
// and "land". Its image is a strip of at least three cells: round, then two squashed. Main
// thread only.

#include "widgets/anim/DynamicWidget.h"

class LogoBall : public DynamicWidget {
public:
    static constexpr double kGravity = 0.1;  // pixels per time step per time step

    // image (not owned) must have at least three columns; the caller checks. restY are the
    // three heights at which the bounces happen.
    LogoBall(Image* image, int restY0, int restY1, int restY2);

    // Places the ball so that, flying from there, its first bounce comes after steps float
    // updates of 1.0 with its left edge at landingX.
    void AimFirstBounce(double landingX, int steps);

    bool IsSquashing() const { return mSquashTick >= 0; }
    bool IsStopped() const { return mVx == 0.0 && mVy == 0.0; }

    // The squash count (fixed updates).
    void TryUpdate() override;
    // Flight and the bounce test (float updates).
    void TryUpdateF(float elapsed) override;
    void Draw(Graphics* g) override;

    double mVx = 4.41;
    double mVy = -9.6;
    int mBounces = 0;
    bool mBounced = false;  // set at each bounce; the screen clears it when it reacts
    int mSquashTick = -1;
    int mSquashDelay = 6;
    int mRestY[3];
};
