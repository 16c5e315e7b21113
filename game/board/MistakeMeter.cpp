#include "game/board/MistakeMeter.h"

#include <algorithm>
#include <cmath>

#include "game/board/BoardAssets.h"
#include "game/data/GridSettings.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/anim/AnimationWidget.h"

MistakeMeter::MistakeMeter(int x, int y, int width, int height, int gridSize)
    : DynamicWidget(x, y, nullptr, 1.0f), mTitle(LocalizedTexts::Lookup("mistakes_title")) {
    Resize(static_cast<float>(x), static_cast<float>(y), width, height);
    if (const GridSettings* settings = FindGridSettings(gridSize)) {
        mAllowed = std::max(1, settings->mMistakes);
    }
    const std::string device = CurrentDeviceWord();
    Image* picture = FindBoardImage((gridSize < 15 ? "chanceLarge_" : "chanceSmall_") + device);
    const int rows = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(mAllowed))));
    const int perRow = mAllowed / rows;
    const int sx = width / (perRow + 1);
    const int sy = (height - 40) / std::max(rows, 3);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < perRow && static_cast<int>(mMarks.size()) < mAllowed; ++c) {
            auto* mark = new DynamicWidget(0, 0, picture, 1.0f);
            const float cx = static_cast<float>(sx * (c + 1));
            const float cy = std::trunc((r + 0.5f) * sy + 40.0f);
            mark->Move(cx - mark->mWidth / 2.0f, cy - mark->mHeight / 2.0f);
            mMarks.push_back(mark);
            AddWidget(mark);
        }
    }
}

Point MistakeMeter::GetMarkTarget(int k) {
    if (k >= 0 && k < static_cast<int>(mMarks.size())) {
        DynamicWidget* mark = mMarks[k];
        const FRect inMeter =
            mark->ToParentRect(FRect(mark->mWidth * 0.5f, mark->mHeight * 0.5f, 0.0f, 0.0f));
        const FRect inParent = ToParentRect(FRect(inMeter.mX, inMeter.mY, 0.0f, 0.0f));
        return Point(static_cast<int>(inParent.mX), static_cast<int>(inParent.mY));
    }
    return Point(static_cast<int>(mX + mWidth * 0.5f), static_cast<int>(mY + mHeight * 0.5f));
}

void MistakeMeter::AdvanceMark() {
    if (mShownMarks >= 0 && mShownMarks < static_cast<int>(mMarks.size())) {
        mMarks[mShownMarks]->SetFrame(1);
    }
    ++mShownMarks;
}

AnimationWidget* MistakeMeter::SpawnExplosion(AnimationListener* listener) {
    auto* explosion = new AnimationWidget("explosion", 0, 0, true);
    explosion->GetVariables().Set("meter_x", ExprValue::FromFloat(mX + mWidth * 0.5f));
    explosion->GetVariables().Set("meter_y", ExprValue::FromFloat(mY + mHeight * 0.5f));
    if (listener != nullptr) {
        listener->ListenTo(explosion);
    }
    if (GetParent() != nullptr) {
        GetParent()->AddWidget(explosion);
    }
    return explosion;
}

void MistakeMeter::Draw(Graphics* g) {
    DynamicWidget::Draw(g);
    Font* font = Fonts::Find("hud_title");
    if (font == nullptr || mTitle.empty()) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Color(255, 255, 255));
    g->DrawString(mTitle, mWidth / 2.0f - font->StringWidth(mTitle) / 2.0f, 15.0f);
}
