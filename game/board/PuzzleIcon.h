#pragma once
// A 46 x 46 thumbnail of a puzzle's picture, drawn once into its own surface (the picture in
// the middle 40 x 40, a 3-pixel margin around it), with sparkles over a newly solved puzzle.

#include "widgets/anim/DynamicWidget.h"

struct PuzzleRecord;

class PuzzleIcon : public DynamicWidget {
public:
    static constexpr int kSide = 46;
    static constexpr int kInset = 3;

    // Centred on (x, y). isNew adds a child running "new_puzzle_sparkles" with the variables
    // "width" and "height".
    PuzzleIcon(int x, int y, const PuzzleRecord& record, bool isNew);

    // Drawn once: only its animated state and the sparkles can move.
    bool HasScheduledWork() const override { return AnimatedStateHasScheduledWork(); }
};
