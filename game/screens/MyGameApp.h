#pragma once
// The game's application class: names the game, loads the game's data on the loading thread and
// keeps the players' progress. The screens hook in here as they arrive.

#include <memory>

#include "app/GameApp.h"
#include "game/data/GameData.h"

class MyGameApp : public GameApp {
public:
    MyGameApp();
    // Saves the profiles when a profile is selected and saving is allowed (never before they were
    // read, never in screen-saver mode).
    ~MyGameApp() override;

    bool Init() override;
    // The base loading, then the puzzle catalogue, the grid settings, the sets, the profiles and
    // the localized names, one progress step each.
    void LoadingThreadProc() override;
    int GetExtraLoadingSteps() override { return kGameLoadingSteps; }

private:
    static constexpr int kGameLoadingSteps = 6;
    // Installed from construction to destruction; the loading thread fills it.
    std::unique_ptr<GameData> mGameData;
};
