#include "widgets/anim/PropertyClamp.h"

#include <atomic>

#include "core/util/StringUtil.h"
#include "widgets/anim/AnimatedPropertyOwner.h"

std::string PropertyClamp::NextGeneratedName() {
    static std::atomic<int> counter{0};
    return StrFormat("clamp%d", counter.fetch_add(1));
}

PropertyClamp::PropertyClamp(AnimatedPropertyOwner* owner, std::string_view name, int flags)
    : mOwner(owner), mName(name.empty() ? NextGeneratedName() : std::string(name)), mFlags(flags) {}

void PropertyClamp::AddTarget(float* field, float minimum, float maximum) {
    mTargets.push_back({field, minimum, maximum, *field});
}

bool PropertyClamp::AddProperty(std::string_view property, float minimum, float maximum) {
    float* field = mOwner->FindPropertyFor("Clamp", mName, property, mFlags);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, minimum, maximum);
    return true;
}

void PropertyClamp::Apply() {
    for (Target& target : mTargets) {
        target.saved = *target.field;
        float value = target.saved;
        if (value < target.minimum) {
            value = target.minimum;
        }
        if (value > target.maximum) {
            value = target.maximum;
        }
        *target.field = value;
    }
    mOwner->PropertiesChanged(mFlags);
}

void PropertyClamp::Restore() {
    for (const Target& target : mTargets) {
        *target.field = target.saved;
    }
}
