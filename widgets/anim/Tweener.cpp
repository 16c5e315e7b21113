#include "widgets/anim/Tweener.h"

#include <algorithm>

Tweener::Tweener(AnimatedPropertyOwner* owner, std::string_view name,
                 std::unique_ptr<EasingCurve> curve, float duration, float elapsed, int flags)
    : Controller(owner, name, true, std::move(curve), flags) {
    if (duration > 0.0f) {
        mRate = 1.0f / duration;
        mPosition = elapsed / duration;
    } else {
        mRate = 1.0f;
        mPosition = 0.0f;
    }
}

void Tweener::AddTarget(float* field, float start, float end) {
    mTargets.push_back({field, start, end});
}

bool Tweener::AddProperty(std::string_view property, float end) {
    float* field = FindTarget(property);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, *field, end);
    return true;
}

bool Tweener::Update(float dt) {
    mPosition += mRate * dt;
    // Summing the rate in single precision falls short of 1 by a rounding step (50 steps of
    // 0.02 give 0.9999999), which would hold a tween one update past its duration.
    if (mPosition > 1.0f - 1.0e-6f) {
        mPosition = 1.0f;
    }
    const float c = EvaluateCurve(mPosition);
    for (const Target& target : mTargets) {
        Write(target.field, target.start * (1.0f - c) + target.end * c);
    }
    NotifyOwner();
    return mPosition >= 1.0f;
}

bool Tweener::HasTarget(const float* field) const {
    return std::any_of(mTargets.begin(), mTargets.end(),
                       [field](const Target& target) { return target.field == field; });
}

bool Tweener::DropTarget(const float* field) {
    std::erase_if(mTargets, [field](const Target& target) { return target.field == field; });
    return mTargets.empty();
}
