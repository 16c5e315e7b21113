#pragma once
// The screen after a lost puzzle (script "level_fail"): retry the puzzle, or leave for the set's
// puzzle selection (story) or the bonus set list (bonus). Main thread only.

#include <string>

#include "game/screens/LevelStatusMenu.h"

class LevelFailMenu : public LevelStatusMenu {
public:
    // Sets "intro" (false) and "bonus" (mode 1 and above) for the script.
    LevelFailMenu(const std::string& gameName, const PuzzleId& id, int seconds, int mistakes,
                  int hints);

    // Retry: the puzzle's loading screen, without the intro panel.
    void OnPrimary() override;
    // Leave.
    void OnSecondary() override;
};
