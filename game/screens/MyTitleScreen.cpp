#include "game/screens/MyTitleScreen.h"

#include <cmath>

#include "app/GameApp.h"
#include "core/expr/LiveObjectRegistry.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "widgets/NameLookups.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

int ScreenWidth() {
    return gApp != nullptr ? gApp->GetDesignWidth() : 1024;
}

int ScreenHeight() {
    return gApp != nullptr ? gApp->GetDesignHeight() : 768;
}

}  // namespace

MyTitleScreen::MyTitleScreen()
    : TitleScreen(LookupAssetTableA("TitleBackground")),
      mLogo(LookupAssetTableA("GameLogo")),
      mBarBase(LookupAssetTableA("Loadingbar_base")),
      mBarTop(LookupAssetTableA("Loadingbar_Top")) {}

ButtonWidget* MyTitleScreen::GetPlayButton() const {
    return mPlayButtonLiveId != 0
               ? dynamic_cast<ButtonWidget*>(LiveObjectRegistry::ResolveWidget(mPlayButtonLiveId))
               : nullptr;
}

void MyTitleScreen::LoadingComplete() {
    TitleScreen::LoadingComplete();
    if (mPlayButtonLiveId != 0) {
        return;
    }
    const int x = static_cast<int>(std::lround(0.5 * ScreenWidth()));
    const int y = static_cast<int>(std::lround(0.75 * ScreenHeight()));
    ButtonWidget* button = AddButton(this, x, y, "play_game_btn", "", false);
    button->Move(static_cast<float>(x - button->mWidth / 2),
                 static_cast<float>(y - button->mHeight / 2));
    button->SetButtonListener(this);
    mPlayButtonId = button->mId;
    mPlayButtonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
    MarkDirty();
}

void MyTitleScreen::AddedToManager(WidgetManager* manager) {
    TitleScreen::AddedToManager(manager);
    // The application tells the title screen that exists when loading ends; a title screen made
    // later asks for itself.
    if (gApp != nullptr && gApp->IsLoadingComplete()) {
        LoadingComplete();
    }
}

void MyTitleScreen::Update() {
    TitleScreen::Update();
    if (mPlayButtonLiveId == 0 && mBarTop != nullptr && gApp != nullptr) {
        const int fill = static_cast<int>(gApp->GetLoadingThreadProgress() *
                                          static_cast<float>(mBarTop->GetWidth()));
        if (fill != mShownFill) {
            mShownFill = fill;
            MarkDirty();
        }
    }
}

bool MyTitleScreen::HasScheduledWork() const {
    if (mPlayButtonLiveId == 0 && mBarTop != nullptr && gApp != nullptr) {
        return true;
    }
    return ScriptHasScheduledWork();
}

void MyTitleScreen::Draw(Graphics* g) {
    TitleScreen::Draw(g);
    const float width = static_cast<float>(ScreenWidth());
    const float height = static_cast<float>(ScreenHeight());
    if (mLogo != nullptr) {
        g->DrawImage(mLogo, (width - static_cast<float>(mLogo->GetWidth())) * 0.5f,
                     0.375f * height - static_cast<float>(mLogo->GetHeight()) * 0.5f);
    }
    if (mPlayButtonLiveId != 0 || mBarBase == nullptr) {
        return;
    }
    const float y = std::round(0.75f * height - static_cast<float>(mBarBase->GetHeight()) * 0.5f);
    g->DrawImage(mBarBase, (width - static_cast<float>(mBarBase->GetWidth())) * 0.5f, y);
    if (mBarTop == nullptr || gApp == nullptr) {
        return;
    }
    const int fill = static_cast<int>(gApp->GetLoadingThreadProgress() *
                                      static_cast<float>(mBarTop->GetWidth()));
    if (fill > 0) {
        g->DrawImage(mBarTop, (width - static_cast<float>(mBarTop->GetWidth())) * 0.5f, y,
                     Rect(0, 0, fill, mBarTop->GetHeight()));
    }
}

void MyTitleScreen::ButtonDepress(uint32_t id) {
    TitleScreen::ButtonDepress(id);
    if (id != mPlayButtonId || mPlayButtonId == 0) {
        return;
    }
    auto* app = dynamic_cast<GameApp*>(gApp);
    if (app != nullptr && !app->mCurrentPlayerName.empty()) {
        CloseThroughApp();
        return;
    }
    OpenEnterName(this);
}
