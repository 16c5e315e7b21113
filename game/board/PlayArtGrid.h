#pragma once
// The picture revealed tile by tile over a solved play grid. Each tile starts to appear at its
// own tick, in a shuffled order, and fades in over "art_reveal_speed" ticks; once the last one
// has appeared, the play grid's tiles fade away under it.

#include <vector>

#include "game/board/ArtGrid.h"
#include "game/board/WeakWidget.h"

class PlayTileGrid;

class PlayArtGrid : public ArtGrid {
public:
    // Over playGrid (moved to its place). The grid is held weakly: the play screen may remove it
    // first. Uses CRand for the order.
    PlayArtGrid(const PuzzleRecord& record, PlayTileGrid* playGrid);

    // False while the reveal runs; afterwards true, and the first such call starts the play
    // grid's tile fade (when the grid is still there).
    bool StepArtReveal();

    int GetStepCounter() const { return mStep; }
    int GetEndStep() const { return mEndStep; }
    int GetFadeLength() const { return mFadeLength; }
    // The tick at which cell (a, b) starts to appear.
    int GetRevealStep(int a, int b) const;
    // The alpha cell (a, b) is drawn with now: 0 before its step, then rising to 255.
    int GetTileAlpha(int a, int b) const;

    // One tick of the reveal; nothing once it has ended.
    void Update() override;
    // Busy until the reveal has ended.
    bool HasScheduledWork() const override;
    // Only the picture cells: the play grid stays visible around and under them.
    void Draw(Graphics* g) override;

private:
    int mStep = 0;
    int mFadeLength = 0;
    int mEndStep = 0;
    std::vector<int> mRevealSteps;  // [a * N + b]
    WeakWidget<PlayTileGrid> mPlayGrid;
    bool mFadeStarted = false;
};
