#include "game/screens/LevelFailMenu.h"

#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/ScreenFlow.h"

namespace {

// What the puzzle selection screen is told when it is opened from this screen.
constexpr int kFromFailScreen = -2;

}  // namespace

LevelFailMenu::LevelFailMenu(const std::string& gameName, const PuzzleId& id, int seconds,
                             int mistakes, int hints)
    : LevelStatusMenu("level_fail", gameName, id, seconds, mistakes, hints) {
    DeclareNoUpdatesOfItsOwn(typeid(LevelFailMenu));
    VariableTable& vars = GetVariables();
    vars.Set("intro", ExprValue::FromBool(false));
    vars.Set("bonus", ExprValue::FromBool(id.mMode >= 1));
}

void LevelFailMenu::OnPrimary() {
    ShowWithTransition(new PuzzleLoadingMenu(mGameName, mId, false));
}

void LevelFailMenu::OnSecondary() {
    if (mId.mMode >= 1) {
        OpenSelectSet(mGameName, mId.mMode, false);
    } else {
        OpenPuzzleSelect(mGameName, mId.mMode, mId.mSet, kFromFailScreen, 0);
    }
}
