#include "widgets/anim/Shearer.h"

#include <cmath>

#include "widgets/script/ScriptParams.h"

namespace {
constexpr float kStopSpeed = 9.999999747378752e-05f;

float Resolve(float requested, const float* field) {
    if (IsNotGiven(requested)) {
        return field ? *field : 0.0f;
    }
    return requested;
}
}  // namespace

Shearer::Shearer(AnimatedPropertyOwner* owner, std::string_view name, float shearX, float shearY,
                 float offsetX, float offsetY, float speed, float acceleration, float damping,
                 int flags)
    : Controller(owner, name, true, nullptr, flags), mDamping(damping) {
    mX.field = FindTarget("shear_x");
    mY.field = FindTarget("shear_y");
    float* offsetFieldX = FindTarget("shear_x_offset");
    float* offsetFieldY = FindTarget("shear_y_offset");
    mX.target = Resolve(shearX, mX.field);
    mY.target = Resolve(shearY, mY.field);
    if (offsetFieldX) {
        Write(offsetFieldX, Resolve(offsetX, offsetFieldX));
    }
    if (offsetFieldY) {
        Write(offsetFieldY, Resolve(offsetY, offsetFieldY));
    }
    if (mX.field == nullptr || mY.field == nullptr) {
        return;  // nothing to move: finishes at the first update
    }
    if (speed == 0.0f) {
        Write(mX.field, mX.target);
        Write(mY.field, mY.target);
        return;
    }
    const float dx = mX.target - *mX.field;
    const float dy = mY.target - *mY.field;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (d == 0.0f || !std::isfinite(d)) {
        return;
    }
    if (speed < 0.0f) {
        speed = 0.01f;
    }
    mX.topSpeed = dx * speed / d;
    mY.topSpeed = dy * speed / d;
    if (acceleration == 0.0f) {
        mX.velocity = mX.topSpeed;
        mY.velocity = mY.topSpeed;
    } else {
        mX.acceleration = dx >= 0.0f ? acceleration : -acceleration;
        mY.acceleration = dy < 0.0f ? -acceleration : acceleration;
    }
}

void Shearer::StepAxis(Axis& axis, float dt, bool strictPassNegative) {
    if (axis.velocity != 0.0f && axis.acceleration == 0.0f) {
        axis.velocity *= mDamping;
        if (axis.velocity > -kStopSpeed && axis.velocity < kStopSpeed) {
            axis.velocity = 0.0f;
        }
    }
    if (axis.acceleration != 0.0f) {
        axis.velocity += dt * axis.acceleration;
        if ((axis.acceleration > 0.0f && axis.velocity >= axis.topSpeed) ||
            (axis.acceleration < 0.0f && axis.velocity <= axis.topSpeed)) {
            axis.velocity = axis.topSpeed;
            axis.acceleration = 0.0f;
        }
    }
    if (axis.velocity != 0.0f) {
        const float value = *axis.field + dt * axis.velocity;
        bool arrived;
        if (axis.velocity > 0.0f) {
            arrived = value >= axis.target;
        } else {
            arrived = strictPassNegative ? value < axis.target : value <= axis.target;
        }
        if (arrived || !std::isfinite(value)) {
            Write(axis.field, axis.target);
            axis.velocity = 0.0f;
            axis.acceleration = 0.0f;
        } else {
            Write(axis.field, value);
        }
    }
}

bool Shearer::Update(float dt) {
    if (mX.field == nullptr || mY.field == nullptr) {
        return true;
    }
    StepAxis(mX, dt, false);
    StepAxis(mY, dt, true);
    NotifyOwner();
    return mX.velocity == 0.0f && mY.velocity == 0.0f && mX.acceleration == 0.0f &&
           mY.acceleration == 0.0f;
}
