#pragma once
// Moves the owner's "shear_x" and "shear_y" towards targets with a top speed, an optional
// acceleration up to it and damping of the remaining speed; sets "shear_x_offset" and
// "shear_y_offset" at once. Counts as animating.

#include "widgets/anim/Controller.h"

class Shearer final : public Controller {
public:
    // Any target given as kNotGiven (2^28) keeps the current value. Speed 0 sets the shear at
    // once; a negative speed is taken as 0.01. Acceleration 0 starts at the top speed.
    Shearer(AnimatedPropertyOwner* owner, std::string_view name, float shearX, float shearY,
            float offsetX, float offsetY, float speed, float acceleration, float damping,
            int flags);

    bool Update(float dt) override;

private:
    struct Axis {
        float* field = nullptr;
        float target = 0.0f;
        float velocity = 0.0f;
        float acceleration = 0.0f;
        float topSpeed = 0.0f;
    };
    // One step of one axis; strictPassNegative: moving down, arrival only strictly beyond.
    void StepAxis(Axis& axis, float dt, bool strictPassNegative);

    Axis mX;
    Axis mY;
    float mDamping;
};
