#pragma once
// The map of the story sets (scripts "map_init_<game>", "map_menu_<game>" and
// "map_highlight_button"): the script places one button per set with "set-item"; locked sets are
// disabled, hovering shows a set's name, and a click on an open set makes it the current set and
// opens its loading screen. The animated form arrives over a picture of the screen it replaces.
// Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "menus/Menu.h"

class ButtonWidget;
class Image;

class MapMenu : public Menu {
public:
    static constexpr int kAnimateTime = 80;
    static constexpr int kSetNameX = 512;
    static constexpr int kSetNameY = 5;

    // The plain form (noAnimation true from the board and the level-complete screen).
    MapMenu(const std::string& gameName, bool noAnimation);
    // The animated form over a picture of the screen it replaces (copied; may be null), naming
    // the set to announce (may be empty).
    MapMenu(const Image* snapshot, const std::string& setName, const std::string& gameName);

    const std::string& GetGameName() const { return mGameName; }
    bool IsAnimated() const { return !mNoAnimation; }
    // Entries in the order the script placed them; null for a set without a map position.
    size_t GetEntryCount() const { return mEntries.size(); }
    ButtonWidget* GetEntryButton(size_t i) const;

    void AddedToManager(WidgetManager* manager) override;
    // No updates of its own: at rest whenever its script and widgets are.
    bool HasScheduledWork() const override;
    // "set-item".
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    void ButtonMouseEnter(uint32_t id) override;
    void ButtonDepress(uint32_t id) override;
    // "main_menu".
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    Widget* CreateTransition() override;

private:
    void Start();
    void PlaceSetItem();
    void ShowSetName(const std::string& name);
    // The entry whose button has widget id id; -1 for none.
    int FindEntry(uint32_t id) const;

    struct Entry {
        uint32_t buttonLiveId = 0;  // 0: no button
        uint32_t buttonId = 0;
    };

    std::string mGameName;
    std::vector<Entry> mEntries;
    int mMode = 0;
    bool mNoAnimation = true;
    bool mFadesFromSnapshot = false;  // the arrival's "transition_bg" was made
    std::string mSetName;
    bool mLeaving = false;
};
