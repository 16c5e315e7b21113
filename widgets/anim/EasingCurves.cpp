#include "widgets/anim/EasingCurves.h"

#include <cmath>

namespace {
// The constants the curves are defined with, kept at their single-precision values.
constexpr float kHalfTurnPi = 3.141592502593994f;
constexpr float kDefaultExpoBase = 10.0f;
}  // namespace

float InQuart::Evaluate(float t) {
    const float sq = t * t;
    return sq * sq;
}

float InQuint::Evaluate(float t) {
    const float sq = t * t;
    return t * (sq * sq);
}

float InSine::Evaluate(float t) {
    return 1.0f - std::cos(t * kHalfTurnPi * 0.5f);
}

InExpo::InExpo(float base) : mBase(base) {
    if (!std::isfinite(mBase) || mBase <= 0.0f) {
        mBase = kDefaultExpoBase;
    }
}

float InExpo::Evaluate(float t) {
    const float denominator = mBase - 1.0f;
    if (std::fabs(denominator) < 1e-6f) {
        return t;  // the limit of the formula as the base tends to 1
    }
    return (std::pow(mBase, t) - 1.0f) / denominator;
}

float InCirc::Evaluate(float t) {
    const float u = 1.0f - t;
    const float radicand = 1.0f - u * u;
    return radicand > 0.0f ? std::sqrt(radicand) : 0.0f;
}

float InBack::Evaluate(float t) {
    const float sq = t * t;
    return (mAccel + 1.0f) * sq * t - mAccel * sq;
}

InElastic::InElastic(float base, float omega, float fraction)
    : mExpo(base), mOmega(omega), mFraction(fraction) {}

float InElastic::Evaluate(float t) {
    return mExpo.Evaluate(t) * (mFraction * std::sin(mOmega * t) + 1.0f - mFraction);
}

float InBounce::Evaluate(float t) {
    float d;
    float top;
    if (t > 0.646f) {
        d = t - 1.0f;
        top = 1.0f;
    } else if (t > 0.293f) {
        d = t - 0.46966999769210815f;
        top = 0.25f;
    } else if (t > 0.116f) {
        d = t - 0.20450499653816223f;
        top = 0.0625f;
    } else {
        d = t - 0.06030749902129173f;
        top = 0.027000000700354576f;
    }
    const float sq = d * d;
    const float scaled = 8.0f * sq;
    return top - scaled;
}

float InOutCurve::Evaluate(float t) {
    const float u = 2.0f * t;
    if (u < 1.0f) {
        return mInner->Evaluate(u) * 0.5f;
    }
    return 1.0f - mInner->Evaluate(2.0f - u) * 0.5f;
}

OutInCurve::OutInCurve(std::unique_ptr<EasingCurve> inner)
    : mInOut(std::make_unique<OutCurve>(std::move(inner))) {}
