#pragma once
// A puzzle's preview on the selection screen: the empty frame while the puzzle is unsolved, the
// finished picture in small once it is solved.

#include "game/board/SmallGrid.h"

struct PuzzleRecord;

class SmallArtGrid : public SmallGrid {
public:
    // At (x, y). showPicture false keeps only the frame; true keeps a copy of the picture
    // (squared to the grid size) and no frame.
    SmallArtGrid(const PuzzleRecord& record, int x, int y, bool showPicture);

    bool ShowsFrame() const { return mShowFrame; }
    bool ShowsPicture() const { return !mPicture.empty(); }

    // The frame when shown, then every picture cell.
    void Draw(Graphics* g) override;

private:
    bool mShowFrame = false;
    std::vector<std::vector<int>> mPicture;  // [a][b]; empty without a picture
};
