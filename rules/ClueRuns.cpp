#include "rules/ClueRuns.h"

#include <cstddef>

ClueLists ComputeClueRuns(const CellGrid& solution) {
    const int n = static_cast<int>(solution.size());
    ClueLists lists;
    lists.columns.resize(n);
    lists.rows.resize(n);
    for (int i = 0; i < n; ++i) {
        for (int run : p7tools::LineRuns(n, [&](int j) { return solution[i][j] != 0; })) {
            lists.columns[i].push_back({run, false});
        }
        for (int run : p7tools::LineRuns(n, [&](int j) { return solution[j][i] != 0; })) {
            lists.rows[i].push_back({run, false});
        }
    }
    return lists;
}

namespace {

// Walks a line from `from` towards `to` (inclusive) in direction `dir`, handing out clue indices
// from `clue` in the same direction. Returns the position where it stopped: the first unresolved
// cell, the first cell of a run whose length differs from its clue, or one past `to`.
int WalkRuns(ClueLine& clues, const std::vector<int>& solution, const std::vector<int>& resolved,
             int from, int to, int dir, int clue) {
    const int count = static_cast<int>(clues.size());
    int runLength = 0;
    int runStart = from;
    // Judges the run just closed; false when it does not match its clue.
    auto judge = [&]() {
        if (clue < 0 || clue >= count || clues[clue].run != runLength) {
            return false;
        }
        clues[clue].done = true;
        clue += dir;
        runLength = 0;
        return true;
    };
    int i = from;
    for (; i != to + dir; i += dir) {
        if (resolved[i] == 0) {
            return i;  // an open run beside an untouched cell is not judged
        }
        if (solution[i] != 0) {
            if (runLength == 0) {
                runStart = i;
            }
            ++runLength;
        } else if (runLength > 0 && !judge()) {
            return runStart;
        }
    }
    if (runLength > 0 && !judge()) {
        return runStart;
    }
    return i;
}

}  // namespace

void UpdateClueDoneFlags(ClueLine& clues, const std::vector<int>& solution,
                         const std::vector<int>& resolved) {
    const int n = static_cast<int>(solution.size());
    bool all = true;
    for (int i = 0; i < n; ++i) {
        if (solution[i] != 0 && resolved[i] == 0) {
            all = false;
            break;
        }
    }
    for (ClueRun& clue : clues) {
        clue.done = all;
    }
    if (all || n == 0) {
        return;
    }
    const int stop = WalkRuns(clues, solution, resolved, 0, n - 1, 1, 0);
    if (stop < n) {
        WalkRuns(clues, solution, resolved, n - 1, stop, -1, static_cast<int>(clues.size()) - 1);
    }
}
