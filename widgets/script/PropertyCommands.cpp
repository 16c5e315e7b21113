// The object property commands: "set", "change", "propel", "bind", "stop-controller" and "stop"
// on an object.

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/FieldRegistry.h"
#include "core/util/Log.h"
#include "widgets/anim/Binder.h"
#include "widgets/anim/EasingCurveFactory.h"
#include "widgets/anim/Propeller.h"
#include "widgets/anim/TerminalPropeller.h"
#include "widgets/anim/Tweener.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

// "align": the first word moves x ("center", "right"), the second y ("center", "bottom").
void AlignDeltas(ScriptContext& c, float* dx, float* dy) {
    *dx = 0.0f;
    *dy = 0.0f;
    if (!c.Params().Has("align")) {
        return;
    }
    const std::vector<ExprValue> words = c.Params().GetValueList("align");
    const DynamicWidget* target = c.Target();
    const float w = static_cast<float>(target->mWidth);
    const float h = static_cast<float>(target->mHeight);
    if (!words.empty()) {
        const std::string first = words[0].AsString();
        if (first == "center")
            *dx = -w * 0.5f;
        if (first == "right")
            *dx = -w;
    }
    if (words.size() > 1) {
        const std::string second = words[1].AsString();
        if (second == "center")
            *dy = -h * 0.5f;
        if (second == "bottom")
            *dy = -h;
    }
}

Outcome Set(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const PropertyTargets props = FindPropertyTargets(c, "property");
    for (float* field : props.fields) {
        target->DropTweensOn(field);
    }
    const std::vector<float> values = c.Params().GetRealList("value");
    const std::vector<float> offsets = c.Params().GetRealList("offset");
    float dx = 0.0f;
    float dy = 0.0f;
    AlignDeltas(c, &dx, &dy);
    PropertyModifiers& modifiers = target->GetModifiers();
    modifiers.RemoveEffects();
    for (size_t i = 0; i < props.fields.size(); ++i) {
        if (!values.empty()) {
            *props.fields[i] = PaddedValue(values, i, 0.0f);
        }
    }
    target->mX += dx;
    target->mY += dy;
    for (size_t i = 0; i < props.fields.size(); ++i) {
        *props.fields[i] += PaddedValue(offsets, i, 0.0f);
    }
    modifiers.ApplyEffects();
    target->PropertiesChanged(props.flags | (dx != 0.0f || dy != 0.0f ? kChangedPosition : 0));
    // A change made at once has ended as soon as it began; whoever follows the object's
    // animations hears so.
    if (AnimationListener* listener = target->GetAnimationListener()) {
        listener->AnimationEnded(target->mId);
    }
    return ScriptContext::kDone;
}

Outcome Change(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const ScriptParams& p = c.Params();
    const PropertyTargets props = FindPropertyTargets(c, "property");
    const size_t n = props.fields.size();
    for (float* field : props.fields) {
        target->DropTweensOn(field);
    }
    std::vector<float> start = p.GetRealList("start");
    if (!start.empty()) {
        PadWithLast(&start, n);
        PropertyModifiers& modifiers = target->GetModifiers();
        modifiers.RemoveEffects();
        for (size_t i = 0; i < n; ++i) {
            *props.fields[i] = start[i];
        }
        modifiers.ApplyEffects();
        target->PropertiesChanged(props.flags);
    }
    std::vector<float> end = p.GetRealList("end");
    PadWithLast(&end, n);
    const std::vector<float> offsets = p.GetRealList("offset");
    float dx = 0.0f;
    float dy = 0.0f;
    AlignDeltas(c, &dx, &dy);
    const std::string curveText = CurveText(c, "curve");
    auto tween = std::make_unique<Tweener>(
        target, NameParam(p, "controller"), MakeEasingCurve(curveText, &p, &c.Vars()),
        p.GetFloatOr("time", 50.0f), p.GetFloatOr("timer", 0.0f), props.flags);
    // The tween moves the base values, under the oscillations and clamps: it starts from them,
    // not from what an oscillation adds on top (which would jump by that offset).
    PropertyModifiers& modifiers = target->GetModifiers();
    modifiers.RemoveEffects();
    for (size_t i = 0; i < n; ++i) {
        float* field = props.fields[i];
        // Without "end" a property keeps its current value rather than reading past the list.
        float goal = end.empty() ? *field : end[i];
        if (field == &target->mX)
            goal += dx;
        if (field == &target->mY)
            goal += dy;
        goal += PaddedValue(offsets, i, 0.0f);
        tween->AddTarget(field, *field, goal);
    }
    modifiers.ApplyEffects();
    target->AddController(std::move(tween));
    return ScriptContext::kDone;
}

Outcome Propel(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const ScriptParams& p = c.Params();
    const PropertyTargets props = FindPropertyTargets(c, "property");
    const std::vector<float> amounts = AngleAmounts(c.Params(), "velocity");
    const std::string curveText = CurveText(c, "curve");
    auto curve = MakeEasingCurve(curveText, &p, &c.Vars());
    const float position = p.GetFloatOr("timer", 0.0f);
    const float rate = p.GetFloatOr("curve_speed", 0.01f);
    const std::string name = NameParam(p, "controller");
    if (p.Has("end")) {
        const std::vector<float> limits = p.GetRealList("end");
        auto propeller = std::make_unique<TerminalPropeller>(
            target, name, std::move(curve), position, rate, p.GetBool("snap"), props.flags);
        // A missing limit is the base value where the propeller starts.
        PropertyModifiers& modifiers = target->GetModifiers();
        modifiers.RemoveEffects();
        for (size_t i = 0; i < props.fields.size(); ++i) {
            propeller->AddTarget(props.fields[i], PaddedValue(amounts, i, 0.0f),
                                 PaddedValue(limits, i, *props.fields[i]));
        }
        modifiers.ApplyEffects();
        target->AddController(std::move(propeller));
    } else {
        auto propeller = std::make_unique<Propeller>(target, name, std::move(curve), position, rate,
                                                     props.flags);
        for (size_t i = 0; i < props.fields.size(); ++i) {
            propeller->AddTarget(props.fields[i], PaddedValue(amounts, i, 0.0f));
        }
        target->AddController(std::move(propeller));
    }
    return ScriptContext::kDone;
}

Outcome Bind(ScriptContext& c) {
    DynamicWidget* target = c.Target();
    const std::vector<std::string> expressions = c.Params().GetNameList("value");
    if (expressions.empty()) {
        return ScriptContext::kDone;
    }
    // Each entry of "property" names a property of the target, or is an expression giving the
    // "_ptr" handle of a field (of this or another widget: "other.x_ptr").
    struct Entry {
        float* field = nullptr;
        int32_t handle = 0;
    };
    std::vector<Entry> entries;
    int flags = 0;
    const ExpressionEvaluator evaluator(&c.Vars());
    for (const std::string& name : c.Params().GetNameList("property")) {
        if (float* field = target->FindAnimatedProperty(name, flags)) {
            entries.push_back({field, 0});
            continue;
        }
        // Only a handle is worth evaluating; a plain unknown name must not be looked up as a
        // named constant (that would enter it in the table).
        if (name.find("_ptr") != std::string::npos) {
            const ExprValue value = evaluator.Evaluate(name);
            if (value.GetTag() == ExprValue::kInt &&
                FieldRegistry::GetFloat(value.AsInt()) != nullptr) {
                entries.push_back({nullptr, value.AsInt()});
                continue;
            }
        }
        // Neither: say so in the words every property command uses.
        target->FindPropertyFor("Script command", c.Command().mCommand, name, flags);
    }
    auto binder =
        std::make_unique<Binder>(target, NameParam(c.Params(), "controller"), &c.Vars(), flags);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string expression = i < expressions.size() ? expressions[i] : expressions.back();
        if (entries[i].field != nullptr) {
            binder->AddTarget(entries[i].field, std::move(expression));
        } else {
            binder->AddHandle(entries[i].handle, std::move(expression));
        }
    }
    target->AddController(std::move(binder));
    return ScriptContext::kDone;
}

Outcome StopController(ScriptContext& c) {
    c.Target()->StopController(c.Params().GetString("controller"));
    return ScriptContext::kDone;
}

Outcome StopObject(ScriptContext& c) {
    c.Target()->ClearControllers();
    return ScriptContext::kDone;
}

}  // namespace

void RegisterPropertyCommands(CommandTable& table) {
    table.object["set"] = Set;
    table.object["change"] = Change;
    table.object["propel"] = Propel;
    table.object["bind"] = Bind;
    table.object["stop-controller"] = StopController;
    table.object["stop"] = StopObject;
}
