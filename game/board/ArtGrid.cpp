#include "game/board/ArtGrid.h"

#include <algorithm>

#include "game/board/ArtTiles.h"
#include "game/data/PuzzleRecord.h"
#include "graphics/Graphics.h"

CellGrid ArtGrid::SquaredPicture(const PuzzleRecord& record) {
    const int n = record.GetGridSize();
    CellGrid picture(static_cast<size_t>(n),
                     std::vector<int>(static_cast<size_t>(n), PuzzleRecord::kNoPicture));
    const int columns = std::min(n, static_cast<int>(record.mPicture.size()));
    for (int a = 0; a < columns; ++a) {
        const std::vector<int>& column = record.mPicture[static_cast<size_t>(a)];
        const int rows = std::min(n, static_cast<int>(column.size()));
        for (int b = 0; b < rows; ++b) {
            picture[static_cast<size_t>(a)][static_cast<size_t>(b)] =
                column[static_cast<size_t>(b)];
        }
    }
    return picture;
}

ArtGrid::ArtGrid(const PuzzleRecord& record) : Grid(SquaredPicture(record)) {}

int ArtGrid::GetCode(int a, int b) const {
    if (a < 0 || b < 0 || a >= mSize || b >= mSize) {
        return PuzzleRecord::kNoPicture;
    }
    return mCells[static_cast<size_t>(a)][static_cast<size_t>(b)];
}

void ArtGrid::Draw(Graphics* g) {
    Grid::Draw(g);
    const float tile = static_cast<float>(mTileSize);
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            DrawArtTile(g, tile, GetCode(a, b), a, b);
        }
    }
}
