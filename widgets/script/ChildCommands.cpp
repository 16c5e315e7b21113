// The commands that run other animations: "play" and "spawn" (a child scripted widget), "overlay"
// (a scripted widget over the whole screen beside the host), "call" (another animation's commands
// inline) and "load-after" (queued after the current script). Each does nothing when the table
// has no animation of the name.

#include <memory>

#include "core/util/Log.h"
#include "widgets/anim/OverlayAnimation.h"
#include "widgets/script/AnimationTable.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

bool Skipped(std::string_view name, std::initializer_list<std::string_view> skip) {
    for (std::string_view s : skip) {
        if (name == s) {
            return true;
        }
    }
    return false;
}

// Every parameter but the skipped ones, evaluated by the host, as a variable of target.
void PassArguments(ScriptContext& c, AnimationWidget* target,
                   std::initializer_list<std::string_view> skip) {
    for (const auto& [name, text] : c.Command().mParams) {
        (void)text;
        if (!Skipped(name, skip)) {
            target->GetVariables().Set(name, c.Params().Eval(name));
        }
    }
}

// A child that reports its script's end to the host and counts among its running children.
void Adopt(ScriptContext& c, AnimationWidget* child) {
    c.Host().AddRunningChildAnimation(child->mId);
    static_cast<AnimationListener&>(c.Host()).ListenTo(child);
}

Outcome Play(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string name = p.GetString("animation");
    if (!AnimationTable::Get().Contains(name)) {
        return ScriptContext::kDone;
    }
    auto* child =
        new AnimationWidget(name, p.GetInt("x"), p.GetInt("y"), p.GetBoolOr("remove", true));
    if (p.Has("depth")) {
        child->mZOrder = p.GetInt("depth");
    }
    Adopt(c, child);
    PassArguments(c, child, {"id", "animation", "x", "y", "depth", "remove"});
    if (p.Has("id")) {
        c.Host().RegisterObject(p.FindText("id"), child);
    } else {
        c.RecordObject("", child);
        c.Host().GetLayer()->AddWidget(child);
    }
    return ScriptContext::kDone;
}

Outcome Spawn(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    const std::string name = p.GetString("animation");
    if (!AnimationTable::Get().Contains(name)) {
        return ScriptContext::kDone;
    }
    auto* child = new AnimationWidget(name, 0, 0, p.GetBoolOr("remove", true));
    Adopt(c, child);
    child->SetLayer(host.GetLayer());
    child->GetVariables() = host.GetVariables();
    child->GetVariables().Set("self", ExprValue::FromObject(child));
    PassArguments(c, child, {"id", "animation", "remove"});
    const bool named = p.Has("id");
    const std::string id = named ? p.FindText("id") : std::string();
    AnimationWidget* placeIn = &host;
    if (p.Has("parent")) {
        placeIn = dynamic_cast<AnimationWidget*>(p.GetObject("parent"));
        if (placeIn == nullptr) {
            // A child left unplaced would never run nor be freed: it stays with the host.
            LogWarning(
                "\"spawn\" of '%s': \"parent\" names no scripted widget; placed in the "
                "spawning widget",
                name.c_str());
            placeIn = &host;
        }
    }
    if (named) {
        placeIn->RegisterObject(id, child);
    } else {
        placeIn->AddWidget(child);
    }
    return ScriptContext::kDone;
}

Outcome Overlay(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    const std::string name = p.GetString("animation");
    if (!AnimationTable::Get().Contains(name)) {
        return ScriptContext::kDone;
    }
    if (host.GetParent() == nullptr) {
        LogWarning("\"overlay\" of '%s': the widget has no parent to hold it", name.c_str());
        return ScriptContext::kDone;
    }
    auto* overlay = new OverlayAnimation(name);
    Adopt(c, overlay);
    PassArguments(c, overlay, {"id", "animation"});
    const std::string id = p.Has("id") ? p.FindText("id") : std::string();
    if (!id.empty()) {
        c.Vars().Set(id, ExprValue::FromObject(overlay));
    }
    c.RecordObject(id, overlay);
    host.GetParent()->AddWidget(overlay);
    return ScriptContext::kDone;
}

Outcome Call(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string wanted = p.GetString("animation");
    // Asked first, so that a missing name is named rather than entered as an empty script.
    std::shared_ptr<const Animation> called = AnimationTable::Get().Find(wanted);
    if (!called) {
        if (ReportScriptProblemOnce(c.Command())) {
            LogWarning("\"call\" of the script '%s', which does not exist; skipped%s",
                       wanted.c_str(), c.Command().Where().c_str());
        }
        return ScriptContext::kDone;
    }
    for (const auto& [name, text] : c.Command().mParams) {
        (void)text;
        if (name != "animation") {
            c.Vars().Set(name, p.Eval(name));
        }
    }
    c.CallAnimation(called);
    return ScriptContext::kDone;
}

Outcome LoadAfter(ScriptContext& c) {
    const std::string name = c.Params().GetString("animation");
    if (AnimationTable::Get().Contains(name)) {
        c.Host().QueueAnimationRef(name);
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterChildCommands(CommandTable& table) {
    table.general["play"] = Play;
    table.general["spawn"] = Spawn;
    table.general["overlay"] = Overlay;
    table.general["call"] = Call;
    table.general["load-after"] = LoadAfter;
}
