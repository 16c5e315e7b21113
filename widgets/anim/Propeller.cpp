#include "widgets/anim/Propeller.h"

#include <cmath>

#include "core/util/Log.h"

Propeller::Propeller(AnimatedPropertyOwner* owner, std::string_view name,
                     std::unique_ptr<EasingCurve> curve, float position, float rate, int flags)
    : Propeller(owner, name, std::move(curve), position, rate, flags, false) {}

Propeller::Propeller(AnimatedPropertyOwner* owner, std::string_view name,
                     std::unique_ptr<EasingCurve> curve, float position, float rate, int flags,
                     bool counted)
    : Controller(owner, name, counted, std::move(curve), flags) {
    mPosition = position;
    mRate = rate;
    if (rate == 0.0f || !std::isfinite(rate) || !std::isfinite(position)) {
        // The amounts are divided by the rate, so a rate of 0 has no meaning.
        LogWarning("Propeller \"%s\": rate %g refused; it stops at once", GetName().c_str(),
                   static_cast<double>(rate));
        mValid = false;
    }
}

void Propeller::AddTarget(float* field, float amount) {
    if (mValid && mRate != 1.0f) {
        amount /= mRate;
    }
    const float applied = mPosition != 0.0f ? amount * EvaluateCurve(mPosition) : 0.0f;
    mTargets.push_back({field, amount, std::isfinite(applied) ? applied : 0.0f});
}

bool Propeller::AddProperty(std::string_view property, float amount) {
    float* field = FindTarget(property);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, amount);
    return true;
}

bool Propeller::Advance(float dt) {
    if (!mValid) {
        return false;
    }
    mPosition += mRate * dt;
    const float c = EvaluateCurve(mPosition);
    for (Target& target : mTargets) {
        const float offset = target.amount * c;
        if (!std::isfinite(offset)) {
            Write(target.field, offset);  // reports it and keeps the field
            continue;
        }
        Write(target.field, *target.field + (offset - target.applied));
        target.applied = offset;
    }
    NotifyOwner();
    return true;
}

bool Propeller::Update(float dt) {
    return !Advance(dt);
}
