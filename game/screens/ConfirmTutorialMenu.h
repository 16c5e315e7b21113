#pragma once
// "Play the tutorial?" asked of a new player. Yes plays the tutorial's first puzzle; no counts
// the tutorial as done and opens the first story set.
// Main thread only.

#include "game/screens/ShadedConfirmMenu.h"

class ConfirmTutorialMenu : public ShadedConfirmMenu {
public:
    ConfirmTutorialMenu();
    // "no": the tutorial set completed, the first story set opened and loading.
    void OnCancel() override;

    void OnConfirm() override;
};
