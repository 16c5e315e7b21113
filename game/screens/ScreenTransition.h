#pragma once
// The game's change from one screen to the next: a transition that opens the next screen beneath
// a picture of the screen being left while its script plays over it. Screens return one from
// CreateTransition; the application shows it in the next screen's place. Main thread only.

#include <string>

#include "menus/Transition.h"

class ScreenTransition : public Transition {
public:
    static constexpr const char* kDefaultScript = "transition";

    // nextMenu (may be null) is in the application's dialog table when the constructor returns,
    // exactly once; the table owns it.
    explicit ScreenTransition(Menu* nextMenu);
    ScreenTransition(Menu* nextMenu, const std::string& scriptName);
};
