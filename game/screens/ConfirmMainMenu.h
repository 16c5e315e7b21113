#pragma once
// "Return to the menu?" asked from the options or pause dialog. Yes closes every screen and opens
// the main menu; leaving the tutorial this way counts the tutorial as passed.
// Main thread only.

#include "game/screens/ShadedConfirmMenu.h"

class ConfirmMainMenu : public ShadedConfirmMenu {
public:
    // options is the dialog asking (the fade target; not owned, may be null).
    explicit ConfirmMainMenu(Widget* options);

    void OnConfirm() override;
};
