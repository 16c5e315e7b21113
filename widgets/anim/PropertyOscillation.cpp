#include "widgets/anim/PropertyOscillation.h"

#include <atomic>
#include <cmath>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "widgets/anim/AnimatedPropertyOwner.h"

std::string PropertyOscillation::NextGeneratedName() {
    static std::atomic<int> counter{0};
    return StrFormat("oscillation%d", counter.fetch_add(1));
}

std::unique_ptr<PropertyOscillation> PropertyOscillation::Create(
    AnimatedPropertyOwner* owner, std::string_view name, std::unique_ptr<OscillatingCurve> wave,
    double phase, double period, int flags) {
    if (period == 0.0 || !std::isfinite(period) || !std::isfinite(phase) || !wave) {
        LogWarning("Oscillation \"%.*s\": period %g (or its wave) refused",
                   static_cast<int>(name.size()), name.data(), period);
        return nullptr;
    }
    return std::unique_ptr<PropertyOscillation>(
        new PropertyOscillation(owner, name, std::move(wave), phase, 1.0 / period, flags));
}

PropertyOscillation::PropertyOscillation(AnimatedPropertyOwner* owner, std::string_view name,
                                         std::unique_ptr<OscillatingCurve> wave, double phase,
                                         double rate, int flags)
    : mOwner(owner),
      mName(name.empty() ? NextGeneratedName() : std::string(name)),
      mWave(std::move(wave)),
      mPhase(phase),
      mRate(rate),
      mFlags(flags) {}

void PropertyOscillation::AddTarget(float* field, float amplitude) {
    mTargets.push_back({field, amplitude, 0.0f});
}

bool PropertyOscillation::AddProperty(std::string_view property, float amplitude) {
    float* field = mOwner->FindPropertyFor("Oscillation", mName, property, mFlags);
    if (field == nullptr) {
        return false;
    }
    AddTarget(field, amplitude);
    return true;
}

void PropertyOscillation::Advance(double dt) {
    mPhase += dt * mRate;
    const double w = mWave->Evaluate(mPhase);
    for (Target& target : mTargets) {
        const float applied = target.amplitude * static_cast<float>(w);
        target.applied = std::isfinite(applied) ? applied : 0.0f;
        *target.field += target.applied;
    }
    mOwner->PropertiesChanged(mFlags);
}

void PropertyOscillation::Remove() {
    for (Target& target : mTargets) {
        *target.field -= target.applied;
    }
}
