#pragma once
// The base of every full-size puzzle board: a square of N by N tiles over the board's background
// picture, placed on the screen from the grid settings of its size. The background also covers
// the clue margins left of and above the tiles.

#include "rules/ClueRuns.h"
#include "widgets/anim/AnimationWidget.h"

class Grid : public AnimationWidget {
public:
    // cells: the solution (or picture) grid [a][b], copied. Reads the tile size, the offsets and
    // the background of its size; a missing image or grid setting is logged and leaves a tile
    // size or offset of 0.
    explicit Grid(const CellGrid& cells);

    int GetSize() const { return mSize; }
    int GetTileSize() const { return mTileSize; }
    int GetOffsetX() const { return mOffsetX; }
    int GetOffsetY() const { return mOffsetY; }
    const CellGrid& GetCells() const { return mCells; }

    // The background hangs offset-x left of and offset-y above the first tile.
    void Draw(Graphics* g) override;
    // The tile square takes the pointer; the background hangs beside it and does not.
    bool Contains(float x, float y) const override;

protected:
    CellGrid mCells;
    int mSize = 0;
    int mTileSize = 0;
    int mOffsetX = 0;
    int mOffsetY = 0;
};
