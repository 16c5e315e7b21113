#pragma once
// A puzzle's picture at full board size: a Grid over the picture codes instead of the solution,
// so it has the same background, size and place as the puzzle's play grid.

#include "game/board/Grid.h"

struct PuzzleRecord;

class ArtGrid : public Grid {
public:
    // The record's picture, squared to the record's grid size: cells the picture lacks (all of
    // them for a puzzle without a picture) are empty (-1), so nothing is read out of range.
    explicit ArtGrid(const PuzzleRecord& record);

    // The picture code of cell (a, b); -1 outside the grid.
    int GetCode(int a, int b) const;

    // The background, then every picture cell at full opacity.
    void Draw(Graphics* g) override;

    // The record's picture as an N x N grid of codes, N the record's grid size.
    static CellGrid SquaredPicture(const PuzzleRecord& record);
};
