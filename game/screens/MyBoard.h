#pragma once
// The game's board: the base under every screen once the player has left the title. It decides
// which screen opens for the main menu and which opens when the player chooses to play: the
// opening letter for a new player, the map once every story set is done, else the loading screen
// of the current set.

#include "menus/Board.h"

class MyBoard : public Board {
public:
    MyBoard() = default;

    // Opens the main menu. Main thread.
    void ShowMainMenu() override;
    // Opens the first screen of play for the current player (nothing without one). Main thread.
    void StartPlay() override;
    // The play time it counts in its updates is caught up with the updates owed after a wait,
    // so only the widgets on it can keep the application awake.
    bool HasScheduledWork() const override;
};
