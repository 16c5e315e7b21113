#pragma once
// The credits (script "credits"), with the named properties "time" (the player's play time) and
// "version"; "mainmenu" returns to the main menu. Main thread only.

#include <string>

#include "menus/Menu.h"

class CreditsMenu : public Menu {
public:
    // Saves the profiles first (the play time shown is the one on disk).
    CreditsMenu();

    // As TipsMenu: "mainmenu" returns to the main menu; others are ignored.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
};
