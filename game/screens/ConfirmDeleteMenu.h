#pragma once
// "Delete this profile?" asked by the profile selection screen. Yes has that screen delete its
// selected profile.
// Main thread only.

#include <string>

#include "game/board/WeakWidget.h"
#include "game/screens/ShadedConfirmMenu.h"

class PlayerSelectMenu;

class ConfirmDeleteMenu : public ShadedConfirmMenu {
public:
    // name is the profile's name, put into the localized "delete_text"; asker is followed weakly
    // (a screen gone before the answer is simply not told).
    ConfirmDeleteMenu(const std::string& name, PlayerSelectMenu* asker);

    void OnConfirm() override;

private:
    WeakWidget<PlayerSelectMenu> mAsker;
};
