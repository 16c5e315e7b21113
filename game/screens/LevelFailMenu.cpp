#include "game/screens/LevelFailMenu.h"

#include "game/screens/ScreenFlow.h"

namespace {

// What the puzzle selection screen is told when it is opened from this screen.
constexpr int kFromFailScreen = -2;

}  // namespace

LevelFailMenu::LevelFailMenu(const std::string& gameName, int mode, int set, int puzzle,
                             int seconds, int mistakes, int hints)
    : LevelStatusMenu("level_fail", gameName, mode, set, puzzle, seconds, mistakes, hints) {
    VariableTable& vars = GetVariables();
    vars.Set("intro", ExprValue::FromBool(false));
    vars.Set("bonus", ExprValue::FromBool(mode >= 1));
}

void LevelFailMenu::OnPrimary() {
    OpenPuzzleLoading(mGameName, mMode, mSet, mPuzzle, false);
}

void LevelFailMenu::OnSecondary() {
    if (mMode >= 1) {
        OpenSelectSet(mGameName, mMode, false);
    } else {
        OpenPuzzleSelect(mGameName, mMode, mSet, kFromFailScreen, 0);
    }
}
