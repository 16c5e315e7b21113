#include "game/screens/ConfirmRestartPuzzle.h"

#include "app/GameApp.h"
#include "app/QuorAppBase.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ScreenFlow.h"

ConfirmRestartPuzzle::ConfirmRestartPuzzle(Widget* options)
    : ShadedConfirmMenu("restart_title", "restart_text", "button_restart", "button_cancel",
                        options) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmRestartPuzzle));
}

void ConfirmRestartPuzzle::OnConfirm() {
    ClearChildren(false);
    if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        app->KillOpenMenus();
    }
    if (PlayerState* state = GetCurrentPlayerState()) {
        const std::string game = state->mGameName.empty() ? kDefaultGameName : state->mGameName;
        OpenPlayPuzzle(game, {state->mMode, state->mCurrentCountry, state->mPuzzle});
    }
    CloseUnlessKilled();
}
