#include "widgets/anim/TerminalPropeller.h"

TerminalPropeller::TerminalPropeller(AnimatedPropertyOwner* owner, std::string_view name,
                                     std::unique_ptr<EasingCurve> curve, float position, float rate,
                                     bool snap, int flags)
    : Propeller(owner, name, std::move(curve), position, rate, flags, true), mSnap(snap) {}

void TerminalPropeller::AddTarget(float* field, float amount, float limit) {
    Propeller::AddTarget(field, amount);
    mLimits.push_back({limit, *field < limit});
}

bool TerminalPropeller::AddProperty(std::string_view property, float amount, float limit) {
    float* field = FindTarget(property);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, amount, limit);
    return true;
}

bool TerminalPropeller::Update(float dt) {
    if (!Advance(dt)) {
        return true;
    }
    bool arrived = false;
    for (size_t i = 0; i < mTargets.size() && !arrived; ++i) {
        const float value = *mTargets[i].field;
        const Limit& limit = mLimits[i];
        arrived = value == limit.limit || (value > limit.limit && limit.rising) ||
                  (value < limit.limit && !limit.rising);
    }
    if (arrived && mSnap) {
        for (size_t i = 0; i < mTargets.size(); ++i) {
            Write(mTargets[i].field, mLimits[i].limit);
        }
        NotifyOwner();
    }
    return arrived;
}
