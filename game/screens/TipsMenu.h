#pragma once
// The tips screen (script "tips"); "mainmenu" returns to the main menu. Main thread only.

#include <string>

#include "menus/Menu.h"

class TipsMenu : public Menu {
public:
    TipsMenu();

    // "mainmenu" (without underscore): the board's main menu, and the screen goes. Others are
    // ignored.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
};

// The step tips and credits share: on "mainmenu" the main menu opens and screen goes (once).
void ReturnToMainMenuOnEvent(Menu* screen, const std::string& name);
