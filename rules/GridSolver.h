#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/ClueRuns.h"
#include "rules/LineSolver.h"

namespace p7tools {

// A square solution: cell (a, b) is column a, row b, stored row by row; 1 solid, 0 hole.
struct SolutionGrid {
    int n = 0;
    std::vector<uint8_t> cells;

    bool At(int a, int b) const { return cells[static_cast<size_t>(b) * n + a] != 0; }
};

// The clue runs of every line: rows top to bottom (runs left to right), columns left to right
// (runs top to bottom). An all-hole line has no runs.
struct ClueSet {
    int n = 0;
    std::vector<std::vector<int>> rows;
    std::vector<std::vector<int>> columns;
};

// The runs of a solution, read the way the play grid reads them.
ClueSet ComputeClues(const SolutionGrid& grid);

enum class SolveStatus { Solved, Stalled, Contradiction };

struct SolveReport {
    SolveStatus status = SolveStatus::Stalled;
    // Sweeps over the rows and columns that changed since the last look, until nothing changed.
    int passes = 0;
    // Deduced cells, row by row like SolutionGrid.
    std::vector<Cell> cells;
    // Readable names ("row 3", "column 7", 1-based) of the lines left with unknown cells, or of
    // the line that could not be satisfied.
    std::vector<std::string> openLines;
};

// Runs line logic alone over a whole puzzle, the way a player without guessing would.
class GridSolver {
public:
    // Deduces from the clues alone, starting from an empty board.
    SolveReport Solve(const ClueSet& clues);

    // Deduces from the given partial board (same layout as SolveReport::cells).
    SolveReport SolveFrom(const ClueSet& clues, std::vector<Cell> start);

    // Counts the solutions of the clues, stopping at `limit`, by line logic with guessing on
    // cells it cannot settle. Gives up after `nodeLimit` guesses and returns -1.
    int CountSolutions(const ClueSet& clues, int limit = 2, int nodeLimit = 100000);

private:
    // Solves one line of board in place and marks in crossing the lines across it whose cells
    // it settled; false when the line cannot be satisfied.
    bool SolveLine(const ClueSet& clues, bool isRow, int index, std::vector<Cell>& board,
                   std::vector<uint8_t>& crossing, bool* changed);
    int Search(const ClueSet& clues, std::vector<Cell> board, int limit, int* nodes);

    LineSolver line_;
    std::vector<Cell> scratch_;
};

}  // namespace p7tools
