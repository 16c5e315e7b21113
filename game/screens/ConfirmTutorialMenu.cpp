#include "game/screens/ConfirmTutorialMenu.h"

#include "app/GameApp.h"
#include "app/QuorAppBase.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleBooking.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/ScreenFlow.h"

ConfirmTutorialMenu::ConfirmTutorialMenu()
    : ShadedConfirmMenu("confirm_tutorial_title", "confirm_tutorial_text", "button_yes",
                        "button_no", nullptr) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmTutorialMenu));
}

void ConfirmTutorialMenu::OnConfirm() {
    if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        app->KillOpenMenus();
    }
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mSeenTutorial = true;
    }
    ShowWithTransition(new PuzzleLoadingMenu(kDefaultGameName, {0, 0, 0}, true));
    CloseUnlessKilled();
}

void ConfirmTutorialMenu::OnCancel() {
    if (PlayerState* state = GetCurrentPlayerState()) {
        PassTutorialSet(*state);
        state->mCurrentCountry = 1;
    }
    if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        app->KillOpenMenus();
    }
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mSeenTutorial = true;
    }
    OpenSetLoading(-1);
    if (IsStillShown()) {
        ShadedConfirmMenu::OnCancel();
    }
}
