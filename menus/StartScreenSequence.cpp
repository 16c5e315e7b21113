#include "menus/StartScreenSequence.h"

#include "app/GameApp.h"
#include "app/QuorAppBase.h"
#include "menus/DistributorScreen.h"
#include "menus/LogoScreen.h"

StartScreenSequence::StartScreenSequence(std::function<Widget*()> createTitle)
    : mCreateTitle(std::move(createTitle)) {}

void StartScreenSequence::ShowNext(bool screenSaverMode) {
    enum { kLogo, kSplash, kSplash2, kTitle, kDone };
    switch (mStep++) {
        case kLogo:
            if (!screenSaverMode) {
                Menu::ShowAsDialog(new LogoScreen);
                return;
            }
            ShowNext(screenSaverMode);
            return;
        case kSplash:
            Menu::ShowAsDialog(new DistributorScreen("splash"));
            return;
        case kSplash2:
            Menu::ShowAsDialog(new DistributorScreen("splash2"));
            return;
        case kTitle: {
            Widget* title = mCreateTitle ? mCreateTitle() : nullptr;
            if (auto* menu = dynamic_cast<Menu*>(title)) {
                Menu::ShowAsDialog(menu);
            } else if (title != nullptr && gApp != nullptr) {
                gApp->AddDialog(title);
            }
            return;
        }
        default:
            mStep = kDone;
            return;
    }
}

void FinishStartScreen(Menu* screen, bool* finished) {
    if (*finished) {
        return;
    }
    *finished = true;
    screen->MarkForRemoval();
    if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        app->ShowNextStartScreen();
    }
}
