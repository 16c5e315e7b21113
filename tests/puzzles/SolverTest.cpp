#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "rules/GridSolver.h"
#include "rules/LineSolver.h"

using p7tools::Cell;
using p7tools::ClueSet;
using p7tools::GridSolver;
using p7tools::LineSolver;
using p7tools::SolutionGrid;
using p7tools::SolveStatus;

namespace {

std::vector<Cell> Line(const std::string& text) {
    std::vector<Cell> cells;
    for (char c : text) {
        cells.push_back(c == '#' ? Cell::Filled : c == '.' ? Cell::Empty : Cell::Unknown);
    }
    return cells;
}

std::string Text(const std::vector<Cell>& cells) {
    std::string text;
    for (Cell c : cells) {
        text += c == Cell::Filled ? '#' : c == Cell::Empty ? '.' : '?';
    }
    return text;
}

std::vector<int> RunsOfMask(unsigned mask, int n) {
    return p7tools::LineRuns(n, [mask](int i) { return (mask & (1u << i)) != 0; });
}

// What every arrangement agreeing with the known cells has in common, by trying all of them.
bool BruteForceLine(const std::vector<int>& clues, std::vector<Cell>& cells) {
    const int n = static_cast<int>(cells.size());
    int filledAll = -1;
    int emptyAll = -1;
    bool any = false;
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        bool agrees = true;
        for (int i = 0; i < n && agrees; ++i) {
            const bool solid = (mask >> i) & 1u;
            agrees = cells[i] == Cell::Unknown || (cells[i] == Cell::Filled) == solid;
        }
        if (!agrees || RunsOfMask(mask, n) != clues) {
            continue;
        }
        any = true;
        filledAll &= static_cast<int>(mask);
        emptyAll &= static_cast<int>(~mask);
    }
    if (!any) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        if ((filledAll >> i) & 1) {
            cells[i] = Cell::Filled;
        } else if ((emptyAll >> i) & 1) {
            cells[i] = Cell::Empty;
        }
    }
    return true;
}

SolutionGrid Grid(const std::vector<std::string>& rows) {
    SolutionGrid grid;
    grid.n = static_cast<int>(rows.size());
    for (const std::string& row : rows) {
        for (char c : row) {
            grid.cells.push_back(c == '#' ? 1 : 0);
        }
    }
    return grid;
}

}  // namespace

TEST(LineSolverTest, SettlesTheCellsEveryArrangementShares) {
    LineSolver solver;
    struct Case {
        std::vector<int> clues;
        const char* before;
        const char* after;
    } cases[] = {
        {{}, "?????", "....."},  {{3}, "?????", "??#??"},      {{1, 1}, "???", "#.#"},
        {{2}, "#????", "##..."}, {{1, 3}, "??????", "???##?"}, {{5}, "?????", "#####"},
        {{1}, "??#??", "..#.."}, {{1, 2}, "?.???", "#.?#?"},
    };
    for (const Case& c : cases) {
        std::vector<Cell> cells = Line(c.before);
        ASSERT_TRUE(solver.Solve(c.clues, cells)) << c.before;
        EXPECT_EQ(Text(cells), c.after) << c.before;
    }
}

TEST(LineSolverTest, RejectsLinesNoArrangementFits) {
    LineSolver solver;
    std::vector<Cell> cells = Line("?.?.?");
    EXPECT_FALSE(solver.Solve({3}, cells));
    EXPECT_EQ(Text(cells), "?.?.?");
    cells = Line("##?##");
    EXPECT_FALSE(solver.Solve({2}, cells));
    cells = Line("???");
    EXPECT_FALSE(solver.Solve({2, 1}, cells));
    cells = Line("???");
    EXPECT_FALSE(LineSolver::ApplyOverlap({2, 1}, cells));
    cells = Line("#??");
    EXPECT_FALSE(solver.Solve({}, cells));
}

TEST(LineSolverTest, OverlapAgreesWithTheExactSolutionOnBlankLines) {
    LineSolver solver;
    std::vector<Cell> quick = Line("??????????");
    ASSERT_TRUE(LineSolver::ApplyOverlap({3, 4}, quick));
    EXPECT_EQ(Text(quick), "??#???##??");
    std::vector<Cell> full = Line("??????????");
    ASSERT_TRUE(LineSolver::ApplyOverlap({3, 6}, full));
    EXPECT_EQ(Text(full), "###.######");
}

TEST(LineSolverTest, MatchesBruteForceOnRandomLines) {
    std::mt19937 rng(7);
    LineSolver solver;
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 10);
        const unsigned picture = rng() % (1u << n);
        const std::vector<int> clues =
            trial % 5 == 0 ? RunsOfMask(rng() % (1u << n), n) : RunsOfMask(picture, n);
        std::vector<Cell> cells(n, Cell::Unknown);
        for (int i = 0; i < n; ++i) {
            if (rng() % 3 == 0) {
                cells[i] = ((picture >> i) & 1u) ? Cell::Filled : Cell::Empty;
            }
        }
        std::vector<Cell> expected = cells;
        const bool expectOk = BruteForceLine(clues, expected);
        std::vector<Cell> actual = cells;
        ASSERT_EQ(solver.Solve(clues, actual), expectOk) << Text(cells);
        if (expectOk) {
            ASSERT_EQ(Text(actual), Text(expected)) << Text(cells);
        }
    }
}

TEST(GridSolverTest, SolvesALineSolvablePictureToItself) {
    SolutionGrid grid = Grid({"#####", "#...#", "#.#.#", "#...#", "#####"});
    GridSolver solver;
    p7tools::SolveReport report = solver.Solve(p7tools::ComputeClues(grid));
    ASSERT_EQ(report.status, SolveStatus::Solved);
    EXPECT_GE(report.passes, 1);
    EXPECT_TRUE(report.openLines.empty());
    for (size_t i = 0; i < grid.cells.size(); ++i) {
        EXPECT_EQ(report.cells[i] == Cell::Filled, grid.cells[i] != 0) << i;
    }
    EXPECT_EQ(solver.CountSolutions(p7tools::ComputeClues(grid)), 1);
}

TEST(GridSolverTest, ReportsTheLinesWhereLineLogicStalls) {
    // Two diagonal solids: the clues fit both diagonals.
    SolutionGrid grid = Grid({"#....", ".#...", ".....", ".....", "....."});
    GridSolver solver;
    ClueSet clues = p7tools::ComputeClues(grid);
    p7tools::SolveReport report = solver.Solve(clues);
    ASSERT_EQ(report.status, SolveStatus::Stalled);
    EXPECT_EQ(report.openLines,
              (std::vector<std::string>{"row 1", "column 1", "row 2", "column 2"}));
    EXPECT_EQ(solver.CountSolutions(clues), 2);
}

TEST(GridSolverTest, FindsContradictoryClues) {
    ClueSet clues;
    clues.n = 3;
    clues.rows = {{3}, {}, {}};
    clues.columns = {{1}, {1}, {}};
    GridSolver solver;
    EXPECT_EQ(solver.Solve(clues).status, SolveStatus::Contradiction);
    EXPECT_EQ(solver.CountSolutions(clues), 0);
    clues.rows = {{4}, {}, {}};
    EXPECT_EQ(solver.Solve(clues).status, SolveStatus::Contradiction);
}

TEST(GridSolverTest, CountsSolutionsLikeBruteForceOnSmallGrids) {
    // All 4x4 pictures, grouped by clues: a clue set's solution count is its group size.
    std::map<std::vector<std::vector<int>>, int> groups;
    auto key = [](const ClueSet& c) {
        std::vector<std::vector<int>> k = c.rows;
        k.insert(k.end(), c.columns.begin(), c.columns.end());
        k.push_back({});
        return k;
    };
    for (unsigned mask = 0; mask < (1u << 16); ++mask) {
        SolutionGrid grid;
        grid.n = 4;
        for (int i = 0; i < 16; ++i) {
            grid.cells.push_back(static_cast<uint8_t>((mask >> i) & 1u));
        }
        groups[key(p7tools::ComputeClues(grid))] += 1;
    }
    std::mt19937 rng(11);
    GridSolver solver;
    int stalledUnique = 0;
    for (int trial = 0; trial < 400; ++trial) {
        SolutionGrid grid;
        grid.n = 4;
        const unsigned mask = rng() % (1u << 16);
        for (int i = 0; i < 16; ++i) {
            grid.cells.push_back(static_cast<uint8_t>((mask >> i) & 1u));
        }
        ClueSet clues = p7tools::ComputeClues(grid);
        const int expected = std::min(groups[key(clues)], 2);
        ASSERT_EQ(solver.CountSolutions(clues), expected) << mask;
        const bool solved = solver.Solve(clues).status == SolveStatus::Solved;
        if (solved) {
            ASSERT_EQ(expected, 1) << mask;
        } else if (expected == 1) {
            ++stalledUnique;
        }
    }
    // The search must have proven at least some unique pictures that line logic cannot finish.
    EXPECT_GT(stalledUnique, 0);
}
