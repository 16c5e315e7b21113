#include "game/screens/ConfirmMainMenu.h"

#include "app/GameApp.h"
#include "app/QuorAppBase.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleBooking.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ScreenFlow.h"

ConfirmMainMenu::ConfirmMainMenu(Widget* options)
    : ShadedConfirmMenu("return_to_menu_title", "return_to_menu_text", "button_menu",
                        "button_cancel", options) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmMainMenu));
}

void ConfirmMainMenu::OnConfirm() {
    if (PlayerState* state = GetCurrentPlayerState()) {
        if (state->mCurrentCountry == 0 && state->mMode == 0) {
            PassTutorialSet(*state);
            state->mCurrentCountry = 1;
            state->mMode = 0;
            // Progress reaches the disk when it changes; the main menu itself saves nothing.
            SaveProfiles();
        }
    }
    auto* app = dynamic_cast<GameApp*>(gApp);
    if (app != nullptr) {
        app->StopAllSounds();
        app->CollectOpenMenus();
    }
    OpenMainMenu();
    if (app != nullptr) {
        app->KillCollectedMenus();
    }
    CloseUnlessKilled();
}
