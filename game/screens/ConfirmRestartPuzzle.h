#pragma once
// "Restart this puzzle?" asked from the pause dialog. Yes closes every screen and plays the
// current puzzle again from its start.
// Main thread only.

#include "game/screens/ShadedConfirmMenu.h"

class ConfirmRestartPuzzle : public ShadedConfirmMenu {
public:
    // options is the dialog asking (the fade target; not owned, may be null).
    explicit ConfirmRestartPuzzle(Widget* options);

    void OnConfirm() override;
};
