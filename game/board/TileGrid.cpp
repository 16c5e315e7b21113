#include "game/board/TileGrid.h"

#include "game/data/PuzzleRecord.h"

TileGrid::TileGrid(const PuzzleRecord& record, int allowedMistakes)
    : Grid(record.mSolution),
      mModel(std::make_unique<PlayModel>(record.mSolution, allowedMistakes)) {}

TileGrid::~TileGrid() = default;
