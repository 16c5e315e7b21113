#pragma once
// The loading screen before a set's puzzle selection: loads the "SetAssets" of the current
// player's set (the assets whose path holds the set's background, or its name), starts the set's
// music and opens the set's puzzle selection. A set the set table lacks is reported and leads
// back to the main menu.

#include "game/screens/LoadingMenu.h"

class SetLoadingMenu : public LoadingMenu {
public:
    // setArgument is kept (-1 from the board).
    explicit SetLoadingMenu(int setArgument);

    int GetSetArgument() const { return mSetArgument; }
    // The set's record was missing when the screen was added.
    bool HasFailed() const { return mFailed; }

    // The base step, then the set's assets start loading.
    void AddedToManager(WidgetManager* manager) override;

protected:
    void MoveOn() override;

private:
    int mSetArgument;
    bool mFailed = false;
};
