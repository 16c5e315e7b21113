#pragma once
// "Quit the game?" asked from the main menu; it says the progress is kept only while the profiles
// can be saved. Yes asks the application to quit; the dialog stays until the application goes.
// Main thread only.

#include "game/screens/ShadedConfirmMenu.h"

class ConfirmQuitMenu : public ShadedConfirmMenu {
public:
    ConfirmQuitMenu();

    void OnConfirm() override;
};
