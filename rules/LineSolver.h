#pragma once

#include <cstdint>
#include <vector>

namespace p7tools {

// State of one cell while a puzzle is being deduced.
enum class Cell : uint8_t { Unknown = 0, Filled = 1, Empty = 2 };

// Deduces what one row or column must hold from its clue runs and the cells known so far.
// The object only keeps scratch buffers, so one instance serves any number of lines.
class LineSolver {
public:
    // Fills in every cell that is the same in all arrangements of the runs that agree with the
    // known cells. Returns false (cells untouched) when no arrangement agrees. Clue lengths must be
    // positive; an empty clue list means an all-hole line.
    bool Solve(const std::vector<int>& clues, std::vector<Cell>& cells);

    // The quick first look at a line with nothing known: cells covered by a run both when all runs
    // are pushed left and when all are pushed right are filled, and a line whose runs fill it
    // exactly is settled. Returns false when the runs cannot fit the line at all.
    static bool ApplyOverlap(const std::vector<int>& clues, std::vector<Cell>& cells);

private:
    // fwd_[j * (n + 1) + i]: cells [0, i) can hold runs 0..j-1.
    std::vector<uint8_t> fwd_;
    // bwd_[j * (n + 2) + i]: cells [i, n) can hold runs j..k-1.
    std::vector<uint8_t> bwd_;
    std::vector<int> emptyPrefix_;
    std::vector<int> fillCover_;
    std::vector<uint8_t> canEmpty_;
};

}  // namespace p7tools
