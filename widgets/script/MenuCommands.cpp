// The commands that reach the menu a scripted widget stands in: "notice-menu" and the counted
// looping sounds "start-soundloop" and "stop-soundloop". The menus live above this layer, so the
// widget reaches its owning menu through MenuInterface.

#include "core/util/Log.h"
#include "widgets/MenuInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

std::string ScriptName(ScriptContext& c) {
    return c.Host().ScriptNameOf(c.Command());
}

// A fade of 0 or less means at once.
float FadeRate(const ScriptParams& p) {
    const float fade = p.GetFloatOr("fade", 0.0f);
    return fade > 0.0f ? fade : 1.0f;
}

Outcome NoticeMenuCommand(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    if (Widget* open = host.GetNoticeMenu()) {
        open->MarkForRemoval();
        host.SetNoticeMenu(nullptr);
    }
    MenuInterface* menu = host.GetOwningMenu();
    if (menu == nullptr) {
        LogWarning("Script '%s': \"notice-menu\" on a widget that stands in no menu; skipped",
                   ScriptName(c).c_str());
        return ScriptContext::kDone;
    }
    Widget* notice = menu->OpenNotice(p.GetString("text"));
    host.SetNoticeMenu(notice);
    if (p.GetBoolOr("continue", false)) {
        return ScriptContext::kStopFalse;
    }
    if (notice == nullptr) {
        return ScriptContext::kDone;  // nothing to wait for
    }
    if (p.GetBoolOr("unpause", true)) {
        // The menu keeps running while its notice covers it, and gets its setting back when the
        // notice goes.
        const bool previous = menu->SetPausesWhenInactive(false);
        host.SetNoticeRestore(true, previous);
    }
    return c.Wait(AnimationWidget::kNoticeMenu);
}

Outcome StartSoundLoop(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    const int soundId = LookupAssetTableB(p.GetString("name"));
    if (!host.StartMenuSoundLoop(soundId, FadeRate(p))) {
        LogWarning("Script '%s': \"start-soundloop\" on a widget that stands in no menu; skipped",
                   ScriptName(c).c_str());
    }
    return ScriptContext::kDone;
}

Outcome StopSoundLoop(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    const int soundId = LookupAssetTableB(p.GetString("name"));
    // Only a loop this widget started is released: another widget's count is not ours to drop.
    if (!host.StopMenuSoundLoop(soundId, FadeRate(p))) {
        DebugOutput("Script '%s': \"stop-soundloop\" of a sound this widget did not start\n",
                    ScriptName(c).c_str());
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterMenuCommands(CommandTable& table) {
    table.general["notice-menu"] = &NoticeMenuCommand;
    table.general["start-soundloop"] = &StartSoundLoop;
    table.general["stop-soundloop"] = &StopSoundLoop;
}
