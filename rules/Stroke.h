#pragma once
// A press-drag-release stroke over a square grid of cells, locked to one axis: it runs along the
// row or the column of the cell where it started, whichever the pointer has moved further along
// (a tie keeps the column).

#include <vector>

#include "rules/CellPos.h"

class Stroke {
public:
    // Starts at cell (a, b): start and current are that cell.
    void Begin(int a, int b);
    // The pointer moved without a press: start and current follow it unclamped. True when the
    // current cell changed.
    bool Hover(int a, int b);
    // The held pointer is over cell (a, b) of a grid of n cells a side: it is clamped into the
    // grid and the current cell locked to the start's row or column. True when the current cell
    // changed.
    bool DragTo(int a, int b, int n);
    // The unit step from start towards current: along a when the columns differ, else along b.
    CellPos Step() const;
    // Every cell from start to current, both included, in order.
    std::vector<CellPos> Cells() const;
    // Start becomes current (the stroke has been acted on).
    void Finish() { mStart = mCurrent; }

    CellPos GetStart() const { return mStart; }
    CellPos GetCurrent() const { return mCurrent; }

private:
    CellPos mStart;
    CellPos mCurrent;
};
