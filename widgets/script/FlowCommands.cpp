// Control flow ("loop", "for", "break", "continue", the block forms of "if" and "unless"),
// "signal", and the diagnostics "print" and "breakpoint".

#include <cstdlib>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "widgets/WidgetHost.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

Outcome Loop(ScriptContext& c) {
    const int count = c.Params().GetIntOr("count", -1);
    const std::string& condition = c.Params().FindText("cond");
    // A loop without a body would never come back to its end-of-iteration step.
    if (count == 0 || !c.Params().EvalCondition(condition, true) || !c.HasChildren()) {
        c.SkipChildren();
        return ScriptContext::kDone;
    }
    c.PushLoop(count, "", condition, "");
    return ScriptContext::kDone;
}

Outcome For(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string& name = p.FindText("name");
    const std::string& condition = p.FindText("cond");
    const ExprValue from = p.Eval("from");
    c.Vars().Set(name, from);
    bool skip = !p.EvalCondition(condition, true) || !c.HasChildren();
    int count = -1;
    std::string step;
    if (p.Has("to")) {
        const int first = from.AsInt();
        const int to = p.GetInt("to");
        if (to == first) {
            skip = true;
        }
        const int inc = p.GetIntOr("inc", first < to ? 1 : -1);
        if (inc == 0) {
            // The count divides by the increment: such a loop has no defined length.
            LogWarning(
                "Script \"for\" over \"%s\": an \"inc\" of 0 is refused; the loop is skipped",
                name.c_str());
            skip = true;
        } else {
            const long long span = std::llabs(static_cast<long long>(to) - first);
            const long long stepSize = std::llabs(static_cast<long long>(inc));
            count = static_cast<int>((span + stepSize - 1) / stepSize);
            step = StrFormat("%s%+d", name.c_str(), inc);
        }
    } else {
        step = p.FindText("step");
    }
    if (skip) {
        c.SkipChildren();
        return ScriptContext::kDone;
    }
    c.PushLoop(count, name, condition, step);
    return ScriptContext::kDone;
}

Outcome Break(ScriptContext& c) {
    c.LeaveIteration(true);
    return ScriptContext::kDone;
}

Outcome Continue(ScriptContext& c) {
    c.LeaveIteration(false);
    return ScriptContext::kDone;
}

Outcome If(ScriptContext& c) {
    if (!c.Params().GetBool("cond")) {
        c.SkipChildren();
    }
    return ScriptContext::kDone;
}

Outcome Unless(ScriptContext& c) {
    if (c.Params().GetBool("cond")) {
        c.SkipChildren();
    }
    return ScriptContext::kDone;
}

Outcome Signal(ScriptContext& c) {
    const bool stop = c.Params().GetBool("stop");
    AnimationWidget& host = c.Host();
    if (AnimationListener* listener = host.GetAnimationListener()) {
        const std::string message = c.Params().GetString("message");
        listener->AnimationEvent(host.mId, message);
        if (message == "complete") {
            // The listener may have dropped its link meanwhile.
            if (AnimationListener* still = host.GetAnimationListener()) {
                still->AnimationEnded(host.mId);
            }
        }
    }
    return stop ? ScriptContext::kStopTrue : ScriptContext::kDone;
}

Outcome Print(ScriptContext& c) {
    const std::string message = c.Params().GetString("message");
    DebugOutput("%s\n", message.c_str());
    WriteLogLine(message, true);
    return ScriptContext::kDone;
}

Outcome Breakpoint(ScriptContext& c) {
    if (c.Params().Has("message")) {
        const std::string& text = c.Params().FindText("message");
        if (WidgetHost* host = GetWidgetHost();
            host == nullptr || !host->ShowErrorOrLog("Message", text)) {
            LogWarning("Message: %s", text.c_str());
        }
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterFlowCommands(CommandTable& table) {
    table.general["loop"] = Loop;
    table.general["for"] = For;
    table.general["break"] = Break;
    table.general["continue"] = Continue;
    table.general["if"] = If;
    table.general["unless"] = Unless;
    table.general["signal"] = Signal;
    table.general["print"] = Print;
    table.general["breakpoint"] = Breakpoint;
}
