#include "rules/GridSolver.h"

namespace p7tools {

namespace {

std::string LineName(bool isRow, int index) {
    return (isRow ? "row " : "column ") + std::to_string(index + 1);
}

}  // namespace

ClueSet ComputeClues(const SolutionGrid& grid) {
    ClueSet clues;
    clues.n = grid.n;
    for (int i = 0; i < grid.n; ++i) {
        clues.rows.push_back(LineRuns(grid.n, [&](int j) { return grid.At(j, i); }));
        clues.columns.push_back(LineRuns(grid.n, [&](int j) { return grid.At(i, j); }));
    }
    return clues;
}

bool GridSolver::SolveLine(const ClueSet& clues, bool isRow, int index, std::vector<Cell>& board,
                           std::vector<uint8_t>& crossing, bool* changed) {
    const int n = clues.n;
    scratch_.resize(n);
    for (int j = 0; j < n; ++j) {
        scratch_[j] = isRow ? board[static_cast<size_t>(index) * n + j]
                            : board[static_cast<size_t>(j) * n + index];
    }
    const std::vector<int>& runs = isRow ? clues.rows[index] : clues.columns[index];
    if (!line_.Solve(runs, scratch_)) {
        return false;
    }
    *changed = false;
    for (int j = 0; j < n; ++j) {
        Cell& target = isRow ? board[static_cast<size_t>(index) * n + j]
                             : board[static_cast<size_t>(j) * n + index];
        if (target != scratch_[j]) {
            target = scratch_[j];
            crossing[j] = 1;
            *changed = true;
        }
    }
    return true;
}

SolveReport GridSolver::Solve(const ClueSet& clues) {
    const int n = clues.n;
    std::vector<Cell> start(static_cast<size_t>(n) * n, Cell::Unknown);
    // The overlap look needs no knowledge of other lines, so it seeds the board cheaply.
    std::vector<Cell> line(n);
    for (int b = 0; b < n; ++b) {
        std::fill(line.begin(), line.end(), Cell::Unknown);
        if (!LineSolver::ApplyOverlap(clues.rows[b], line)) {
            SolveReport report;
            report.status = SolveStatus::Contradiction;
            report.cells = start;
            report.openLines.push_back(LineName(true, b));
            return report;
        }
        for (int a = 0; a < n; ++a) {
            start[static_cast<size_t>(b) * n + a] = line[a];
        }
    }
    return SolveFrom(clues, std::move(start));
}

SolveReport GridSolver::SolveFrom(const ClueSet& clues, std::vector<Cell> start) {
    const int n = clues.n;
    SolveReport report;
    report.cells = std::move(start);
    std::vector<uint8_t> rowDirty(n, 1);
    std::vector<uint8_t> columnDirty(n, 1);
    bool anyDirty = true;
    while (anyDirty) {
        anyDirty = false;
        ++report.passes;
        for (int pass = 0; pass < 2; ++pass) {
            const bool isRow = pass == 0;
            std::vector<uint8_t>& dirty = isRow ? rowDirty : columnDirty;
            std::vector<uint8_t>& other = isRow ? columnDirty : rowDirty;
            for (int i = 0; i < n; ++i) {
                if (!dirty[i]) {
                    continue;
                }
                dirty[i] = 0;
                bool changed = false;
                if (!SolveLine(clues, isRow, i, report.cells, other, &changed)) {
                    report.status = SolveStatus::Contradiction;
                    report.openLines = {LineName(isRow, i)};
                    return report;
                }
                anyDirty |= changed;
            }
        }
    }
    report.status = SolveStatus::Solved;
    for (int i = 0; i < n; ++i) {
        bool rowOpen = false;
        bool columnOpen = false;
        for (int j = 0; j < n; ++j) {
            rowOpen |= report.cells[static_cast<size_t>(i) * n + j] == Cell::Unknown;
            columnOpen |= report.cells[static_cast<size_t>(j) * n + i] == Cell::Unknown;
        }
        if (rowOpen) {
            report.openLines.push_back(LineName(true, i));
            report.status = SolveStatus::Stalled;
        }
        if (columnOpen) {
            report.openLines.push_back(LineName(false, i));
        }
    }
    return report;
}

int GridSolver::CountSolutions(const ClueSet& clues, int limit, int nodeLimit) {
    int nodes = nodeLimit;
    SolveReport first = Solve(clues);
    if (first.status == SolveStatus::Contradiction) {
        return 0;
    }
    if (first.status == SolveStatus::Solved) {
        return 1;
    }
    return Search(clues, std::move(first.cells), limit, &nodes);
}

int GridSolver::Search(const ClueSet& clues, std::vector<Cell> board, int limit, int* nodes) {
    size_t guess = 0;
    while (guess < board.size() && board[guess] != Cell::Unknown) {
        ++guess;
    }
    if (guess == board.size()) {
        return 1;
    }
    int found = 0;
    for (Cell value : {Cell::Filled, Cell::Empty}) {
        if (--*nodes < 0) {
            return -1;
        }
        std::vector<Cell> trial = board;
        trial[guess] = value;
        SolveReport report = SolveFrom(clues, std::move(trial));
        if (report.status == SolveStatus::Contradiction) {
            continue;
        }
        const int below = report.status == SolveStatus::Solved
                              ? 1
                              : Search(clues, std::move(report.cells), limit - found, nodes);
        if (below < 0) {
            return -1;
        }
        found += below;
        if (found >= limit) {
            return found;
        }
    }
    return found;
}

}  // namespace p7tools
