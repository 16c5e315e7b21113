#pragma once
// What the play grid and the hint meter need of the play screen that hosts them: its tool
// buttons, the layer the trails fly in, the thrown tiles of a lost puzzle, and the hints. The
// screen implements it and hands itself to the grid and the meter; the link is weak both ways.

#include "widgets/ListenerLink.h"

class DynamicWidget;
class WidgetContainer;

class PlayGridHost : public ListenerBase {
public:
    // The right button switches the tool (the player's toggle option).
    virtual void NextTool() = 0;
    // The grid was solved or lost: no tool stays highlighted.
    virtual void ClearToolHighlights() = 0;
    // Where trails fly; null leaves them in the grid's parent.
    virtual WidgetContainer* GetTrailLayer() = 0;
    // A tile thrown off the collapsing grid along a jump to (targetX, targetY) over ticks.
    virtual void AddExplosionTile(DynamicWidget* tile, float targetX, float targetY, int ticks) = 0;
    // The collapse has thrown its tiles: the screen ends the puzzle as lost.
    virtual void FailPuzzle() = 0;
    // A hint at (x, y) on the screen should reveal count tiles; false when there is none it may
    // reveal now, and the hint is not spent.
    virtual bool UseHintAt(int x, int y, int count) = 0;
};
