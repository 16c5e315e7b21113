// "oscillate", "clamp", their stop commands, and "arc".

#include "core/util/Log.h"
#include "core/util/Random.h"
#include "widgets/anim/PropertyClamp.h"
#include "widgets/anim/PropertyOscillation.h"
#include "widgets/anim/Tweener.h"
#include "widgets/anim/Waves.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

Outcome Oscillate(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const ScriptParams& p = c.Params();
    const PropertyTargets props = FindPropertyTargets(c, "property");
    const std::vector<float> amplitudes = AngleAmounts(p, "amplitude");
    double phase = p.Has("timer") ? static_cast<double>(p.GetFloat("timer")) : 0.0;
    const std::string start = p.GetString("start");
    if (start == "top") {
        phase = 0.25;
    } else if (start == "bottom") {
        phase = 0.75;
    } else if (start == "random") {
        phase = RandDouble(100.0);
    }
    const std::string& curve = p.FindText("curve");
    std::unique_ptr<OscillatingCurve> wave;
    if (curve == "zigzag") {
        wave = std::make_unique<ZigZagWave>();
    } else if (curve == "noise") {
        wave = std::make_unique<NoiseWave>();
        if (!p.Has("timer")) {
            phase = Rand(100);
        }
    } else if (curve == "sine" || curve.empty()) {
        wave = std::make_unique<SineWave>();
    } else {
        wave = std::make_unique<ExpressionWave>(curve, &c.Vars());
    }
    auto oscillation =
        PropertyOscillation::Create(target, NameParam(p, "oscillation"), std::move(wave), phase,
                                    p.GetFloatOr("rate", 200.0f), props.flags);
    if (!oscillation) {
        return ScriptContext::kDone;  // refused (a rate of 0), already reported
    }
    for (size_t i = 0; i < props.fields.size(); ++i) {
        oscillation->AddTarget(props.fields[i], PaddedValue(amplitudes, i, 0.0f));
    }
    target->AddOscillation(std::move(oscillation));
    return ScriptContext::kDone;
}

Outcome StopOscillation(ScriptContext& c) {
    c.Target()->StopOscillation(c.Params().GetString("oscillation"),
                                c.Params().GetBoolOr("undo", true));
    return ScriptContext::kDone;
}

Outcome StopOscillations(ScriptContext& c) {
    c.Target()->ClearOscillations(c.Params().GetBoolOr("undo", true));
    return ScriptContext::kDone;
}

Outcome Clamp(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const PropertyTargets props = FindPropertyTargets(c, "property");
    const std::vector<float> minimum = c.Params().GetRealList("min");
    const std::vector<float> maximum = c.Params().GetRealList("max");
    auto clamp =
        std::make_unique<PropertyClamp>(target, NameParam(c.Params(), "clamp"), props.flags);
    // Unlike the value lists, a property without its own "min" or "max" entry is not bounded on
    // that side: a clamp of "x,y" with one minimum leaves y free.
    for (size_t i = 0; i < props.fields.size(); ++i) {
        clamp->AddTarget(props.fields[i], i < minimum.size() ? minimum[i] : -1.0e20f,
                         i < maximum.size() ? maximum[i] : 1.0e20f);
    }
    target->AddClamp(std::move(clamp));
    return ScriptContext::kDone;
}

Outcome StopClamp(ScriptContext& c) {
    c.Target()->StopClamp(c.Params().GetString("clamp"), c.Params().GetBoolOr("undo", true));
    return ScriptContext::kDone;
}

Outcome StopClamps(ScriptContext& c) {
    c.Target()->ClearClamps(c.Params().GetBoolOr("undo", true));
    return ScriptContext::kDone;
}

Outcome Arc(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const ScriptParams& p = c.Params();
    const float w = static_cast<float>(target->mWidth);
    const float h = static_cast<float>(target->mHeight);
    float x = p.Has("x") ? p.GetFloat("x") : target->mX;
    const std::string align = p.GetString("align");
    if (align == "right")
        x -= w;
    if (align == "center")
        x -= w * 0.5f;
    float y = p.Has("y") ? p.GetFloat("y") : target->mY;
    const std::string valign = p.GetString("valign");
    if (valign == "bottom")
        y -= h;
    if (valign == "center")
        y -= h * 0.5f;
    const int targetX = static_cast<int>(x + p.GetFloat("dx"));
    const int targetY = static_cast<int>(y + p.GetFloat("dy"));
    const int time = p.GetInt("time");
    const int rise = p.GetInt("max_dy");
    if (rise != 0 && time > 0) {
        target->JumpTo(static_cast<float>(targetX), targetY, rise, p.GetInt("min_dy"), time);
    } else {
        // No rise: the arc flattens into a straight move.
        target->TweenNamedFloat("x", static_cast<float>(targetX), static_cast<float>(time), nullptr,
                                kChangedPosition);
        target->TweenNamedFloat("y", static_cast<float>(targetY), static_cast<float>(time), nullptr,
                                kChangedPosition);
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterOscillationCommands(CommandTable& table) {
    table.object["oscillate"] = Oscillate;
    table.object["stop-oscillation"] = StopOscillation;
    table.object["stop-oscillations"] = StopOscillations;
    table.object["clamp"] = Clamp;
    table.object["stop-clamp"] = StopClamp;
    table.object["stop-clamps"] = StopClamps;
    table.object["arc"] = Arc;
}
