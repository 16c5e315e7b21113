#pragma once
// One letter of the studio logo: it drops towards its resting line, overshoots and springs back,
// and can carry the logo ball riding on it. Motion runs in the float updates; speeds are pixels
// per time step. Main thread only.

#include "widgets/anim/DynamicWidget.h"

class LogoBall;

class LogoLetter : public DynamicWidget {
public:
    // At (x, y) with the letter image (not owned), at rest until dropped.
    LogoLetter(int x, int y, Image* image);

    // Falls towards targetY from the given speed, with the spring pulling it back afterwards.
    void Drop(double targetY, double speed, double spring);
    // Dips under the ball (which then rides on it) and springs back: the image changes, the
    // letter moves by dx and its rest line by dy.
    void Tilt(Image* image, int dx, int dy, LogoBall* ball);

    void TryUpdateF(float elapsed) override;

    double mSpeed = 0.0;
    double mTargetY = 0.0;
    double mSpring = 0.0;
    bool mFalling = false;
    bool mLanded = false;  // came to rest without a rider; the screen clears it when it reacts
    LogoBall* mRider = nullptr;  // a sibling under the same screen
    double mRiderOffset = 0.0;
};
