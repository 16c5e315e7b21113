#include "game/screens/TipsMenu.h"

#include "game/screens/ScreenFlow.h"

TipsMenu::TipsMenu() : Menu("tips") {
    DeclareNoUpdatesOfItsOwn(typeid(TipsMenu));
}

void TipsMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    ReturnToMainMenuOnEvent(this, name);
}

void ReturnToMainMenuOnEvent(Menu* screen, const std::string& name) {
    // A second "mainmenu" while the screen is already going would open a second main menu.
    if (name != "mainmenu" || screen->mRemoved) {
        return;
    }
    // The credits may stand over the options and the main menu they came from, or over a screen
    // the closing letter's developer code was typed on: all of it goes.
    OpenInPlaceOfAll(OpenMainMenu);
    screen->MarkForRemoval();
}
