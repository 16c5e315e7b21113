#include "widgets/anim/EasingCurveFactory.h"

#include <cmath>
#include <string>

#include "core/util/Log.h"
#include "widgets/anim/EasingCurves.h"
#include "widgets/script/ScriptParams.h"

namespace {

constexpr float kHalfTurnPi = 3.141592502593994f;

float ReadFloat(const ScriptParams* params, std::string_view name, float fallback) {
    return params ? params->GetFloatOr(name, fallback) : fallback;
}

// An exponential base must be a finite positive number; anything else is reported and replaced.
float ReadBase(const ScriptParams* params, float fallback) {
    const float base = ReadFloat(params, "base", fallback);
    if (!std::isfinite(base) || base <= 0.0f) {
        LogWarning("Easing curve: base %g is not a positive number; %g is used instead",
                   static_cast<double>(base), static_cast<double>(fallback));
        return fallback;
    }
    return base;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::unique_ptr<EasingCurve> MakeEasingCurve(std::string_view name, const ScriptParams* params,
                                             const VariableTable* vars) {
    if (name.empty() || name == "linear") {
        return std::make_unique<Linear>();
    }
    if (StartsWith(name, "out_in_")) {
        return std::make_unique<OutInCurve>(
            MakeEasingCurve("in_" + std::string(name.substr(7)), params, vars));
    }
    if (StartsWith(name, "out_")) {
        return std::make_unique<OutCurve>(
            MakeEasingCurve("in_" + std::string(name.substr(4)), params, vars));
    }
    if (StartsWith(name, "in_out_")) {
        return std::make_unique<InOutCurve>(
            MakeEasingCurve("in_" + std::string(name.substr(7)), params, vars));
    }
    if (name == "in_quad") {
        return std::make_unique<InQuad>();
    }
    if (name == "in_cubic") {
        return std::make_unique<InCubic>();
    }
    if (name == "in_quart") {
        return std::make_unique<InQuart>();
    }
    if (name == "in_quint") {
        return std::make_unique<InQuint>();
    }
    if (name == "in_sine") {
        return std::make_unique<InSine>();
    }
    if (name == "in_circ") {
        return std::make_unique<InCirc>();
    }
    if (name == "in_bounce") {
        return std::make_unique<InBounce>();
    }
    if (name == "in_expo") {
        return std::make_unique<InExpo>(ReadBase(params, 10.0f));
    }
    if (name == "in_elastic") {
        const float base = ReadBase(params, 10000.0f);
        const int period = params ? params->GetIntOr("period", 5) : 5;
        const float omega = static_cast<float>(period) * 2.5f * kHalfTurnPi;
        return std::make_unique<InElastic>(base, omega, ReadFloat(params, "fraction", 1.0f));
    }
    if (name == "in_back") {
        return std::make_unique<InBack>(ReadFloat(params, "accel", 2.0f));
    }
    return std::make_unique<ExpressionCurve>(std::string(name), vars);
}
