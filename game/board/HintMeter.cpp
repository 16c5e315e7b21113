#include "game/board/HintMeter.h"

#include <charconv>

#include "app/GameApp.h"
#include "core/util/StringUtil.h"
#include "game/board/BoardAssets.h"
#include "game/board/PlayGridHost.h"
#include "game/data/GridSettings.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"

namespace {

int FillPerBulb(int gridSize) {
    const GridSettings* settings = FindGridSettings(gridSize);
    return settings != nullptr ? settings->mHints : 1;
}

}  // namespace

HintMeter::HintMeter(int x, int y, int width, int height, int gridSize, int startingHints)
    : AnimationWidget("hint_meter", x, y, false),
      mBulbs(FillPerBulb(gridSize), startingHints),
      mTitle(LocalizedTexts::Lookup("hints_title")) {
    if (const GridSettings* settings = FindGridSettings(gridSize)) {
        mHintReward = settings->mHintReward;
    }
    Resize(static_cast<float>(x), static_cast<float>(y), width, height);
    SyncPlayerHints();
    VariableTable& vars = GetVariables();
    vars.Set("c_x", ExprValue::FromInt(x));
    vars.Set("c_y", ExprValue::FromInt(y));
    vars.Set("c_numhints", ExprValue::FromInt(mBulbs.GetAvailableHints()));
    PlayAnimationRef("hint_meter_init");
    vars.Set("hint_frame", ExprValue::FromInt(0));
}

void HintMeter::SyncPlayerHints() {
    if (PlayerState* player = GetCurrentPlayerState()) {
        player->mNumHints = mBulbs.GetAvailableHints();
    }
}

void HintMeter::ShowBulb(int bulb, int frame) {
    VariableTable& vars = GetVariables();
    vars.Set("c_prevfillamount", ExprValue::FromInt(0));
    vars.Set("hint_bulb", ExprValue::FromString(StrFormat("hint_bulb%d", bulb + 1)));
    vars.Set("hint_frame", ExprValue::FromInt(frame));
    PlayAnimationRef("update_hint_meter");
}

void HintMeter::AddFill(int n) {
    const HintBulbs::FillResult result = mBulbs.AddFill(n);
    if (!result.changed) {
        return;
    }
    if (result.becameFull) {
        if (auto* app = dynamic_cast<GameApp*>(gApp)) {
            app->PlaySoundEffectByName("Glow");
        }
    }
    ShowBulb(result.bulb, result.frame);
    if (result.becameFull) {
        SyncPlayerHints();
        PlayerState* player = GetCurrentPlayerState();
        if (player != nullptr && !player->mSeenHint) {
            player->mSeenHint = true;
            ShowBoardNotice("hint_intro", "menu");
        }
    }
}

Point HintMeter::ToParentPoint(float x, float y) {
    const FRect mapped = ToParentRect(FRect(x, y, 0.0f, 0.0f));
    return Point(static_cast<int>(mapped.mX), static_cast<int>(mapped.mY));
}

Point HintMeter::GetTrailTarget() {
    return ToParentPoint(static_cast<float>((mBulbs.GetCurrentBulb() + 1) * 50),
                         static_cast<float>(mHeight / 2) + 10.0f);
}

void HintMeter::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name != "hint") {
        AnimationWidget::OnEvent(name, parameter, object);
        return;
    }
    int bulb = -1;
    const auto [end, error] =
        std::from_chars(parameter.data(), parameter.data() + parameter.size(), bulb);
    if (error != std::errc() || end != parameter.data() + parameter.size() ||
        !mBulbs.CanUse(bulb)) {
        return;  // a bad index, an unfilled bulb or no hint left
    }
    const Point from =
        ToParentPoint(static_cast<float>(bulb * 50), static_cast<float>(mHeight / 2) + 10.0f);
    PlayGridHost* host = mHost.Get();
    if (host != nullptr && !host->UseHintAt(from.mX, from.mY, mHintReward)) {
        return;  // nothing the hint may uncover now: the lantern stays lit
    }
    mBulbs.Use(bulb);
    SyncPlayerHints();
    GetVariables().Set("hint_bulb", ExprValue::FromString(StrFormat("hint_bulb%d", bulb + 1)));
    PlayAnimationRef("use_hint");
    SaveProfiles();
}

void HintMeter::Draw(Graphics* g) {
    AnimationWidget::Draw(g);
    Font* font = Fonts::Find("hud_title2");
    if (font == nullptr || mTitle.empty()) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Color(255, 255, 255));
    const float x = static_cast<float>(mWidth / 2 + LookupConstant("hint_text_offset_ipad")) -
                    font->StringWidth(mTitle) / 2.0f;
    g->DrawString(mTitle, x, static_cast<float>(LookupConstant("hint_text_offset_y_ipad")));
}
