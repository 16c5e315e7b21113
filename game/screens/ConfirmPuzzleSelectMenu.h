#pragma once
// "Leave this puzzle?" asked from the pause dialog. Yes closes every screen and returns to the
// set's puzzle selection; from the tutorial the question is whether to go on to the first story
// set, counting the tutorial as passed, and yes does that.
// Main thread only.

#include <string>

#include "game/screens/ShadedConfirmMenu.h"

class ConfirmPuzzleSelectMenu : public ShadedConfirmMenu {
public:
    // game, mode and set are the puzzle's; options is the dialog asking (the fade target).
    ConfirmPuzzleSelectMenu(const std::string& game, int mode, int set, Widget* options);

    void OnConfirm() override;

private:
    std::string mGame;
    int mMode;
    int mSet;
};
