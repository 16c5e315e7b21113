#pragma once
// The hub of the game (script "main_menu"): its buttons report named events, which open profile
// selection, the story, the bonus sets, tips, credits, the options or the quit question. It tells
// its script whether the bonus mode is still locked ("lock_bonus") and whether it came from the
// map ("from_map"). Main thread only.

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

private:
    std::string mGameName;
    bool mFromMap;
};
