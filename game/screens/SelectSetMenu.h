#pragma once
// The bonus set list (script "select_set_<game>"): the script places the set buttons in columns
// ("set-column") and the info box ("set-info"); hovering a set shows its progress, or how many
// story sets it still needs; a click opens the set's loading screen. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "menus/Menu.h"

class SelectSetMenu : public Menu {
public:
    // mode is 1 from every caller; allDone (the last bonus set was just finished) becomes the
    // script's "bonus_complete". Counts the player's completed story sets.
    SelectSetMenu(const std::string& gameName, int mode, bool allDone);

    // "set-info" ("x", "y", "width", "font") and "set-column" ("x", "y", "spacing", "sets",
    // "font", "menu_button").
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    void ButtonMouseEnter(uint32_t id) override;
    // A locked set's button takes no pointer (a disabled widget counts as none), so the pointer
    // over it reaches the menu, which shows that set's info as a hover would.
    void MouseMove(int x, int y) override;
    void ButtonDepress(uint32_t id) override;
    // "main_menu" back to the main menu; "summary_shown" the notice that every bonus set is done.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    void Draw(Graphics* g) override;
    // The hovered set's info text, word-wrapped in the info box.
    void DrawOverlay(Graphics* g) override;

    int GetHoveredSet() const { return mHovered; }
    const std::string& GetInfoText() const { return mInfoText; }
    int GetSetButtonCount() const { return static_cast<int>(mSetButtons.size()); }
    // The button of bonus set i, or null.
    Widget* GetSetButton(int i) const;

private:
    void PlaceColumn();
    void RebuildInfoText();
    void HoverSet(int set);
    int FindSetIndex(uint32_t widgetId) const;

    std::string mGameName;
    int mMode;
    std::vector<uint32_t> mSetButtons;  // live ids, by set index
    int mHovered = -1;
    int mInfoX = 0;
    int mInfoY = 0;
    int mInfoWidth = 200;
    std::string mInfoFont = "tiny";
    std::string mInfoText;
    int mCompletedStorySets = 0;
    bool mLeaving = false;
};
