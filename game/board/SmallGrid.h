#pragma once
// A puzzle board in miniature for the selection screens: the framed preview image of its size
// ("SmallGrid<N>_<game>", a 3-pixel rim around the cells) as a button.

#include "widgets/controls/ActiveWidget.h"

class SmallGrid : public ActiveWidget {
public:
    // The preview of an N x N board for the current player's game; a missing image is logged
    // and leaves the widget empty.
    explicit SmallGrid(int size);

    int GetSize() const { return mSize; }
    // The side of one cell in pixels: the image's cell width less the rim, over N.
    double GetCellSize() const { return mCellSize; }

    // The frame, shifted so that the rim hangs outside the cell area at the origin.
    void Draw(Graphics* g) override;
    // Neither this nor the framed picture on it adds updates of its own.
    bool HasScheduledWork() const override { return ScriptHasScheduledWork(); }

protected:
    int mSize = 0;
    double mCellSize = 0.0;
};
