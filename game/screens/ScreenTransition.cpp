#include "game/screens/ScreenTransition.h"

// The Transition base already hands the next screen to the dialog table; adding it a second time
// here would enter it twice, so the game's transition adds nothing of its own. The picture is the
// last presented frame, as the player saw it.
ScreenTransition::ScreenTransition(Menu* nextMenu) : ScreenTransition(nextMenu, kDefaultScript) {}

ScreenTransition::ScreenTransition(Menu* nextMenu, const std::string& scriptName)
    : Transition(scriptName, nextMenu, false) {}
