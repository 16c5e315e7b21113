#include "widgets/script/ButtonConfig.h"

#include "graphics/fonts/Fonts.h"
#include "widgets/NameLookups.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/ScriptParams.h"
#include "widgets/script/ScriptText.h"

void ConfigButton(const ScriptParams& p, ButtonWidget* button) {
    if (p.Has("text")) {
        button->SetLabel(PrepareScriptText(p));
    }
    if (p.Has("font")) {
        button->SetDefaultVisual(Fonts::Find(p.GetString("font")));
    }
    const std::pair<const char*, int> stateFonts[] = {
        {"font_over", ButtonWidget::kOver},
        {"font_down", ButtonWidget::kDown},
        {"font_disabled", ButtonWidget::kDisabled},
    };
    for (const auto& [name, state] : stateFonts) {
        if (p.Has(name)) {
            button->SetStateVisual(Fonts::Find(p.GetString(name)), state);
        }
    }
    if (p.Has("width")) {
        button->Resize(button->mX, button->mY, p.GetInt("width"), button->mHeight);
    }
    if (p.Has("check_pixels")) {
        button->SetCheckPixels(p.GetBool("check_pixels"));
    }
    button->mLabelOffsetX = p.GetIntOr("text_offset_x", button->mLabelOffsetX);
    button->mLabelOffsetY = p.GetIntOr("text_offset_y", button->mLabelOffsetY);
    button->mDownOffsetX = p.GetIntOr("down_text_offset_x", button->mDownOffsetX);
    button->mDownOffsetY = p.GetIntOr("down_text_offset_y", button->mDownOffsetY);
    if (p.Has("use_hand_cursor")) {
        button->mHandCursor = p.GetBool("use_hand_cursor");
    }
    if (p.Has("sound")) {
        button->mClickSound = LookupAssetTableB(p.GetString("sound"));
    }
    if (p.Has("sound_down")) {
        button->mClickSound = LookupAssetTableB(p.GetString("sound_down"));
    }
    if (p.Has("sound_over")) {
        button->mHighlightSound = LookupAssetTableB(p.GetString("sound_over"));
    }
}
