#include "game/screens/ConfirmPuzzleSelectMenu.h"

#include "app/GameApp.h"
#include "app/QuorAppBase.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleBooking.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ScreenFlow.h"

namespace {

// The tutorial's sketches are not a place to go back to: the answer passes them and goes on to
// the first story set, and the question says so.
bool LeavesTheTutorial(int mode, int set) {
    return mode == 0 && set == 0;
}

const char* TitleKey(int mode, int set) {
    if (LeavesTheTutorial(mode, set)) {
        return "leave_tutorial_title";
    }
    return mode < 1 ? "return_to_museum_title" : "return_to_desk_title";
}

const char* TextKey(int mode, int set) {
    if (LeavesTheTutorial(mode, set)) {
        return "leave_tutorial_text";
    }
    return mode < 1 ? "return_to_museum_text" : "return_to_desk_text";
}

const char* OkKey(int mode, int set) {
    if (LeavesTheTutorial(mode, set)) {
        return "button_go_on";
    }
    return mode < 1 ? "button_museum" : "button_desk";
}

}  // namespace

ConfirmPuzzleSelectMenu::ConfirmPuzzleSelectMenu(const std::string& game, int mode, int set,
                                                 Widget* options)
    : ShadedConfirmMenu(TitleKey(mode, set), TextKey(mode, set), OkKey(mode, set), "button_cancel",
                        options),
      mGame(game),
      mMode(mode),
      mSet(set) {
    DeclareNoUpdatesOfItsOwn(typeid(ConfirmPuzzleSelectMenu));
}

void ConfirmPuzzleSelectMenu::OnConfirm() {
    auto* app = dynamic_cast<GameApp*>(gApp);
    if (app != nullptr) {
        app->StopAllSounds();
        app->CollectOpenMenus();
    }
    // Copies: killing the collected menus kills this dialog too.
    const std::string game = mGame;
    const int mode = mMode;
    const int set = mSet;
    if (LeavesTheTutorial(mode, set)) {
        if (PlayerState* state = GetCurrentPlayerState()) {
            PassTutorialSet(*state);
            state->mCurrentCountry = 1;
            SaveProfiles();  // saved when it changes, not once the set's screens are loaded
        }
        OpenSetLoading(-1);
    } else {
        OpenPuzzleSelect(game, mode, set, -1, 1);
    }
    if (app != nullptr) {
        app->KillCollectedMenus();
    }
}
