#pragma once
// The loading screen before a puzzle: loads the "PlayAssets" of the player's device word, then
// opens the level intro panel (early story puzzles, tips on, when asked) or starts the set's
// music, alternating between its tracks from one puzzle to the next, and opens the play screen.

#include <string>

#include "game/data/PuzzleId.h"

#include "game/screens/LoadingMenu.h"

class PuzzleLoadingMenu : public LoadingMenu {
public:
    // The puzzle at (game, mode, set, puzzle); game and mode also become the current player's
    // current game and mode. showIntro lets the level intro open first.
    PuzzleLoadingMenu(const std::string& game, const PuzzleId& id, bool showIntro);

    const std::string& GetGame() const { return mGame; }
    int GetMode() const { return mId.mMode; }
    int GetSet() const { return mId.mSet; }
    int GetPuzzle() const { return mId.mIndex; }
    bool GetShowIntro() const { return mShowIntro; }

    // The base step, then the device's assets start loading.
    void AddedToManager(WidgetManager* manager) override;

protected:
    void MoveOn() override;

private:
    std::string mGame;
    PuzzleId mId;
    bool mShowIntro;
};
