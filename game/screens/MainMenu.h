#pragma once
// The hub of the game (script "main_menu"): its buttons report named events, which open profile
// selection, the story, the bonus sets, tips, credits, the options or the quit question. It tells
// its script whether the bonus mode is still locked ("lock_bonus"), whether it came from the
// map ("from_map") and whether the player has yet to begin the story ("first_visit"). Main
// thread only.

#include <string>

#include "menus/Menu.h"

class MainMenu : public Menu {
public:
    explicit MainMenu(bool fromMap);

    const std::string& GetGameName() const { return mGameName; }
    bool IsFromMap() const { return mFromMap; }

    // From the map: the main menu's own transition; otherwise the application's.
    Widget* CreateTransition() override;
    // "player_select_link", "play", "bonus", "tips", "credits", "options", "quit".
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    // The menu step (typed developer codes); a code that opened the bonus mode unlocks the
    // bonus entry at once ("lock_bonus" and the script "main_menu_bonus_lock").
    void KeyChar(char c) override;
    // No updates of its own: at rest whenever its script and widgets are.
    bool HasScheduledWork() const override;

private:
    std::string mGameName;
    bool mFromMap;
};
