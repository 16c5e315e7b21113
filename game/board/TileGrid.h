#pragma once
// A grid with its clue lists: for every column and row the runs of solid tiles, with done flags
// that the play rules keep up to date. The rules themselves live in the play model it owns.

#include <memory>

#include "game/board/Grid.h"
#include "rules/PlayModel.h"

struct PuzzleRecord;

class TileGrid : public Grid {
public:
    // The grid of the record's solution, with its clues; allowedMistakes is handed to the model.
    TileGrid(const PuzzleRecord& record, int allowedMistakes);
    ~TileGrid() override;

    // The clue runs (column lists, row lists) and their done flags.
    const ClueLists& GetClues() const { return mModel->GetClues(); }
    PlayModel& GetModel() { return *mModel; }
    const PlayModel& GetModel() const { return *mModel; }

protected:
    std::unique_ptr<PlayModel> mModel;
};
