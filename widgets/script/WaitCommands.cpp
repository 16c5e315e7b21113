// "wait-for", "persist" and "stop" (the form without an object).

#include "widgets/NameLookups.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

Outcome WaitFor(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    c.SetTimeOut(p.GetFloatOr("time", 0.0f));
    if (p.Has("time") && p.GetFloat("time") == 0.0f) {
        return ScriptContext::kDone;
    }
    if (p.GetBoolOr("click", false)) {
        host.ListenForClicks(true);
    }
    const std::string& event = p.FindText("event");
    if (event == "animations") {
        return c.Wait(AnimationWidget::kWaitAnimations);
    }
    if (event == "objects") {
        return host.HasBusyChild() ? c.Wait(AnimationWidget::kWaitObjects) : ScriptContext::kDone;
    }
    if (p.Has("id")) {
        if (Widget* object = p.GetObject("id")) {
            c.SetWaitObject(object);
            if (event == "mouse_up")
                return c.Wait(AnimationWidget::kWaitMouseUp);
            if (event == "mouse_down")
                return c.Wait(AnimationWidget::kWaitMouseDown);
            if (event == "mouse_hover")
                return c.Wait(AnimationWidget::kWaitMouseHover);
            if (event == "mouse_leave")
                return c.Wait(AnimationWidget::kWaitMouseLeave);
            if (event == "animation") {
                auto* script = dynamic_cast<AnimationWidget*>(object);
                return script != nullptr && !script->IsIdle()
                           ? c.Wait(AnimationWidget::kWaitObjectScript)
                           : ScriptContext::kDone;
            }
            if ((event.empty() || event == "controller") && p.Has("controller")) {
                c.SetWaitController(p.GetString("controller"));
                return c.Wait(AnimationWidget::kWaitController);
            }
            if (event.empty() || event == "object") {
                auto* animated = dynamic_cast<DynamicWidget*>(object);
                return animated != nullptr && animated->IsAnimating()
                           ? c.Wait(AnimationWidget::kWaitObject)
                           : ScriptContext::kDone;
            }
            return ScriptContext::kDone;
        }
    }
    if (p.Has("sound")) {
        const int id = LookupAssetTableB(p.GetString("sound"));
        if (id < 0) {
            return c.Wait(AnimationWidget::kWaitCondition);
        }
        c.SetTimeOut(0.0f);
        c.SetWaitSound(id);
        return c.Wait(AnimationWidget::kWaitSound);
    }
    if (p.Has("track")) {
        const int id = LookupNamedId(p.GetString("track"));
        if (id < 0) {
            return c.Wait(AnimationWidget::kWaitCondition);
        }
        c.SetTimeOut(0.0f);
        c.SetWaitSound(id);
        return c.Wait(AnimationWidget::kWaitTrack);
    }
    if (p.GetBoolOr("cond", false)) {
        return ScriptContext::kDone;
    }
    return c.Wait(AnimationWidget::kWaitCondition);
}

Outcome Persist(ScriptContext& c) {
    AnimationWidget& host = c.Host();
    host.SetRunState(AnimationWidget::kPersist);
    if (AnimationListener* listener = host.GetAnimationListener()) {
        listener->AnimationPersisted(host.mId);
    }
    return ScriptContext::kStopTrue;
}

Outcome Stop(ScriptContext& c) {
    c.Host().FinishScript();
    return ScriptContext::kStopTrue;
}

}  // namespace

void RegisterWaitCommands(CommandTable& table) {
    table.general["wait-for"] = WaitFor;
    table.general["persist"] = Persist;
    table.general["stop"] = Stop;
}
