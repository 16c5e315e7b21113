// The label, button, text-measuring and event commands: "config-label", "config-button",
// "analyze" and "do".

#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/ButtonConfig.h"
#include "widgets/script/ScriptCommands.h"
#include "widgets/script/ScriptText.h"

namespace {

using Outcome = ScriptContext::Outcome;

DynamicWidget& TargetOf(ScriptContext& c) {
    return c.Target() != nullptr ? *c.Target() : c.Host();
}

Outcome ConfigLabel(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    auto* label = dynamic_cast<TextLabel*>(&TargetOf(c));
    if (label == nullptr) {
        return ScriptContext::kDone;
    }
    if (p.Has("font")) {
        label->SetFont(TextParam(p, "font"));
    }
    if (p.Has("text")) {
        label->SetText(PrepareScriptText(p));
    }
    if (p.Has("justification")) {
        label->SetJustification(JustificationCode(TextParam(p, "justification")));
    }
    return ScriptContext::kDone;
}

Outcome ConfigButtonCommand(ScriptContext& c) {
    if (auto* button = dynamic_cast<ButtonWidget*>(&TargetOf(c))) {
        ConfigButton(c.Params(), button);
        button->MarkDirty();
    }
    return ScriptContext::kDone;
}

Outcome Analyze(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    if (!p.Has("font")) {
        return ScriptContext::kDone;
    }
    Font* font = Fonts::Find(TextParam(p, "font"));
    const std::string text = PrepareScriptText(p);
    Graphics measure(nullptr);
    measure.SetFont(font);
    int widest = 0;
    const int height = font != nullptr ? measure.GetWordWrappedHeight(p.GetIntOr("maxWidth", 10000),
                                                                      text, -1, &widest)
                                       : 0;
    if (p.Has("width")) {
        c.Vars().Set(p.FindText("width"), ExprValue::FromInt(widest));
    }
    if (p.Has("height")) {
        c.Vars().Set(p.FindText("height"), ExprValue::FromInt(height));
    }
    if (p.Has("ascent")) {
        c.Vars().Set(p.FindText("ascent"),
                     ExprValue::FromFloat(font != nullptr ? font->GetAscent() : 0.0f));
    }
    return ScriptContext::kDone;
}

Outcome Do(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    c.Host().OnEvent(TextParam(p, "action"), TextParam(p, "parameter"), p.GetInt("object"));
    return ScriptContext::kDone;
}

}  // namespace

void RegisterLabelCommands(CommandTable& table) {
    table.general["config-label"] = ConfigLabel;
    table.object["config-label"] = ConfigLabel;
    table.general["config-button"] = ConfigButtonCommand;
    table.object["config-button"] = ConfigButtonCommand;
    table.general["analyze"] = Analyze;
    table.general["do"] = Do;
}
