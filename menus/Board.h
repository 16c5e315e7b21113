#pragma once
// The full-screen base widget that the game puts under all of its screens once loading has
// finished: it opens the first screen when it joins the widget manager, counts the current
// player's play time on every update (paused or not), logs the total when it leaves, and draws a
// dark "paused" cover over everything while the application is paused. The game's board
// supplies the screens. Main thread only.

#include <cstdint>

#include "app/PauseListener.h"
#include "widgets/Widget.h"

class Board : public Widget, public PauseListener {
public:
    static constexpr int kPausedOrder = 2147483647;

    // Covers the design area.
    Board();
    ~Board() override;

    // Restacks the board: last of its parent's children (drawn over them) while paused, first
    // otherwise. Called by the application on every change of its pause count. A change made
    // while the parent's children are being walked is applied before the next update.
    void SetPaused(bool paused) override;
    bool IsPaused() const { return mPaused; }

    // The game's screens.
    virtual void ShowMainMenu() = 0;
    virtual void StartPlay() = 0;
    // The screen opened when the board joins the manager; the main menu unless overridden.
    virtual void ShowFirstScreen() { ShowMainMenu(); }

    // One fixed update (100 per second) of the current player's play time.
    void Update() override;
    void Draw(Graphics* g) override;
    // Registers as the application's pause listener, then opens the first screen.
    void AddedToManager(WidgetManager* manager) override;
    // Logs the total play time of the current player, if any.
    void RemovedFromManager(WidgetManager* manager) override;

private:
    void Restack();

    bool mPaused = false;
};
