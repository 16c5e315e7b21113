#pragma once
// The full-screen menu that covers the change from one screen to the next: it shows a picture of
// the old screen (the child "screenshot") above everything while the next menu is already open
// beneath it, lets its script animate that picture, and removes itself when the script ends.
// Main thread only.

#include <string>

#include "menus/Menu.h"

class Transition : public Menu {
public:
    static constexpr int kOnTop = 100000;

    // Takes the picture (of the widget tree drawn again when renderTree, else of the last
    // presented frame), then opens nextMenu (may be null) through the dialog table and names it
    // "menu" for the script.
    Transition(const std::string& scriptName, Menu* nextMenu, bool renderTree);

    void OnScriptEnd() override;
    // A script the table lacks has nothing to end: the transition goes at once.
    void OnAnimationFinished() override;
};
