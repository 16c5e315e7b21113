#pragma once
// The shared base of the level-complete and level-fail screens: it fills the script's texts
// (puzzle name, time, mistakes, hints), makes the two status buttons the script asks for
// ("add-status-button"), and on a click closes every menu that was open (the play screen and
// this one) around the subclass's handler, so only the screens the handler opens stay. Main
// thread only.

#include <cstdint>
#include <string>

#include "game/data/PuzzleId.h"

#include "menus/Menu.h"

class LevelStatusMenu : public Menu {
public:
    // Sets "puzzle_name", "puzzle_time", "puzzle_mistakes" and "puzzle_hints", then queues
    // scriptName. seconds of play time; mistakes and hints as counted in play.
    LevelStatusMenu(const std::string& scriptName, const std::string& gameName, const PuzzleId& id,
                    int seconds, int mistakes, int hints);

    // The buttons' handlers: "ok" and "quit". Every subclass gives both.
    virtual void OnPrimary() = 0;
    virtual void OnSecondary() = 0;

    // "add-status-button" ("text", "x", "y", "id"): a factory button centred on x; "id" "ok" is
    // the primary button, "quit" the secondary one.
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    // A click on a status button: collect the open menus, run the handler, close the collected
    // menus. Only the first click acts; nothing touches a menu after it was closed.
    void ButtonDepress(uint32_t id) override;

    Widget* GetPrimaryButton() const;
    Widget* GetSecondaryButton() const;
    const std::string& GetGameName() const { return mGameName; }
    int GetMode() const { return mId.mMode; }
    int GetSet() const { return mId.mSet; }
    int GetPuzzle() const { return mId.mIndex; }

protected:
    std::string mGameName;
    PuzzleId mId;

private:
    uint32_t mPrimaryLiveId = 0;
    uint32_t mSecondaryLiveId = 0;
    bool mResolved = false;
};
