#pragma once
// The intro panel before one of the first puzzles (script "intro_<set>_<puzzle>", numbered from
// 1). Its script may add a check box ("checkbox") that switches these panels off for the player.
// "ok", or the end of the script, opens the puzzle's loading screen (once) and closes the panel.
// Main thread only.

#include <cstdint>
#include <string>

#include "game/data/PuzzleId.h"

#include "menus/Menu.h"
#include "widgets/controls/CheckboxListener.h"

class Checkbox;

class LevelIntroMenu : public Menu, public CheckboxListener {
public:
    LevelIntroMenu(const std::string& gameName, const PuzzleId& id);

    // "c_device" and the panel's script, then the menu's own step (menu list, focus). A panel
    // without a script goes straight on to the puzzle.
    void AddedToManager(WidgetManager* manager) override;
    // "checkbox" ("x", "y"): the tips box.
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    // The box's state becomes the player's disable-tips flag (saved at once).
    void CheckboxChanged(uint32_t id, bool checked) override;
    // "ok" leads on; every event then goes to the base.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    void OnAnimationFinished() override;
    void OnScriptEnd() override;

    // The intro's script name for a set and puzzle (both from 0).
    static std::string ScriptName(int set, int puzzle);
    Checkbox* GetCheckbox() const;

private:
    // Opens the puzzle's loading screen and closes the panel; only the first call acts.
    void LeadOn();

    std::string mGameName;
    PuzzleId mId;
    uint32_t mCheckboxLiveId = 0;
    bool mDone = false;
};
