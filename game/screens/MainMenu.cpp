#include "game/screens/MainMenu.h"

#include "app/GameApp.h"
#include "core/util/Log.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/MyBoard.h"
#include "game/screens/ScreenFlow.h"

namespace {

// Locked while the player has no bonus progress at all or the first bonus set is still closed.
bool IsBonusLocked() {
    const PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr || state->mProgress[1].empty()) {
        return true;
    }
    return state->mProgress[1].front().mUnlock == 0;
}

// A player who has not begun the story yet (the opening letter is still to come) is greeted,
// not welcomed back.
bool IsFirstVisit() {
    const PlayerState* state = GetCurrentPlayerState();
    return state == nullptr || state->mProgress[0].empty() ||
           !state->mProgress[0].front().mIntroduced;
}

void SetMode(int mode) {
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mMode = mode;
    }
}

}  // namespace

MainMenu::MainMenu(bool fromMap)
    : Menu("main_menu"), mGameName(kDefaultGameName), mFromMap(fromMap) {
    SetPausesWhenInactive(false);
    GetVariables().Set("lock_bonus", ExprValue::FromBool(IsBonusLocked()));
    GetVariables().Set("from_map", ExprValue::FromBool(fromMap));
    GetVariables().Set("first_visit", ExprValue::FromBool(IsFirstVisit()));
}

void MainMenu::KeyChar(char c) {
    Menu::KeyChar(c);
    // The unlock codes change the progress under a menu that is already showing.
    const bool locked = IsBonusLocked();
    const ExprValue* shown = GetVariables().Find("lock_bonus");
    if (shown != nullptr && shown->AsBool() == locked) {
        return;
    }
    GetVariables().Set("lock_bonus", ExprValue::FromBool(locked));
    QueueAnimationRef("main_menu_bonus_lock");
}

Widget* MainMenu::CreateTransition() {
    if (mFromMap) {
        return MakeTransition(this, "mainmenu_transition");
    }
    return Menu::CreateTransition();
}

void MainMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    if (name == "player_select_link") {
        OpenPlayerSelect();
        MarkForRemoval();
    } else if (name == "play") {
        SetMode(0);
        // The board decides where play starts (the opening letter, the map or the set).
        auto* app = dynamic_cast<GameApp*>(gApp);
        if (app != nullptr && app->mBoard != nullptr) {
            app->mBoard->StartPlay();
        } else {
            LogWarning("Main menu: no board to start play on");
        }
        MarkForRemoval();
    } else if (name == "bonus") {
        SetMode(1);
        OpenSelectSet(mGameName, 1, false);
        MarkForRemoval();
    } else if (name == "tips") {
        OpenTips();
        MarkForRemoval();
    } else if (name == "credits") {
        OpenCredits();
        MarkForRemoval();
    } else if (name == "options") {
        OpenOptions(mGameName, "main-menu", 0, 0);
    } else if (name == "quit") {
        OpenConfirmQuit();
    }
}

bool MainMenu::HasScheduledWork() const {
    return ScriptHasScheduledWork();
}
