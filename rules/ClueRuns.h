#pragma once
// The clue runs of a puzzle: for every column and row the lengths of its runs of solid cells,
// each with a done flag that follows what the player has uncovered. The play grid and the tools
// read the same runs, so a shipped puzzle's proof and its board always agree.

#include <vector>

// Cells of a square grid addressed [a][b]: a the column, b the row. Solution values are 0 for a
// hole and non-zero for solid; resolved values 0 untouched, 1 revealed or marked.
using CellGrid = std::vector<std::vector<int>>;

struct ClueRun {
    int run = 0;
    bool done = false;

    bool operator==(const ClueRun&) const = default;
};

using ClueLine = std::vector<ClueRun>;

struct ClueLists {
    std::vector<ClueLine> columns;  // per column a: its runs top to bottom
    std::vector<ClueLine> rows;     // per row b: its runs left to right
};

namespace p7tools {

// The lengths of the runs of solid cells along a line of n cells, in order; solid(j) tells
// whether cell j is solid. An all-hole line has no runs.
template <typename SolidAt>
std::vector<int> LineRuns(int n, SolidAt solid) {
    std::vector<int> runs;
    int count = 0;
    for (int j = 0; j < n; ++j) {
        if (solid(j)) {
            ++count;
        } else if (count > 0) {
            runs.push_back(count);
            count = 0;
        }
    }
    if (count > 0) {
        runs.push_back(count);
    }
    return runs;
}

}  // namespace p7tools

// The runs of every column and row of a square solution, all not done. An all-hole line has an
// empty list.
ClueLists ComputeClueRuns(const CellGrid& solution);

// Recomputes the done flags of one line. solution and resolved hold the line's cells in order
// (top to bottom or left to right) and have the same length. A run is judged only when it is
// closed on both sides by resolved holes or the line's ends, so a clue never turns done while a
// cell beside its run is untouched; flags may also clear.
void UpdateClueDoneFlags(ClueLine& clues, const std::vector<int>& solution,
                         const std::vector<int>& resolved);
