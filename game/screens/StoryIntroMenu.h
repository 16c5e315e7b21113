#pragma once
// The opening letter before the first story set (script "story_intro"). Its script shows the
// named properties "letter_start" and "letter_end" and sends "ok" when the player has read it.
// Main thread only.

#include <string>

#include "menus/Menu.h"

class StoryIntroMenu : public Menu {
public:
    StoryIntroMenu();

    // "ok": the first story set counts as introduced, the profiles are saved, the set's loading
    // screen (a player who has seen the tutorial) or the tutorial question follows, and the
    // letter goes. Once only; other events are ignored.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
};
