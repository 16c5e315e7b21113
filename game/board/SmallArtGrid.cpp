#include "game/board/SmallArtGrid.h"

#include "game/board/ArtGrid.h"
#include "game/board/ArtTiles.h"
#include "game/data/PuzzleRecord.h"

SmallArtGrid::SmallArtGrid(const PuzzleRecord& record, int x, int y, bool showPicture)
    : SmallGrid(record.GetGridSize()) {
    Move(static_cast<float>(x), static_cast<float>(y));
    if (showPicture) {
        mPicture = ArtGrid::SquaredPicture(record);
    } else {
        mShowFrame = true;
    }
}

void SmallArtGrid::Draw(Graphics* g) {
    if (mShowFrame) {
        SmallGrid::Draw(g);
    }
    const float cell = static_cast<float>(mCellSize);
    for (size_t a = 0; a < mPicture.size(); ++a) {
        for (size_t b = 0; b < mPicture[a].size(); ++b) {
            DrawArtTile(g, cell, mPicture[a][b], static_cast<int>(a), static_cast<int>(b));
        }
    }
}
