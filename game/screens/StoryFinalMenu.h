#pragma once
// The closing letter after the last story set (script "story_final"), with the named properties
// "letter_start" and "letter_end"; "ok" leads to the credits. Main thread only.

#include <string>

#include "menus/Menu.h"

class StoryFinalMenu : public Menu {
public:
    StoryFinalMenu();

    // "ok": the credits open and the letter goes (once). Other events are ignored.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
};
