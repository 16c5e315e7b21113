#include "tools/Repair.h"

#include <map>
#include <optional>

#include "rules/GridSolver.h"
#include "tools/ArtCodes.h"

namespace p7tools {

namespace {

SolutionGrid GridOf(const std::vector<std::string>& rows) {
    SolutionGrid grid;
    grid.n = static_cast<int>(rows.size());
    grid.cells.assign(static_cast<size_t>(grid.n) * grid.n, 0);
    for (int b = 0; b < grid.n; ++b) {
        for (int a = 0; a < grid.n; ++a) {
            grid.cells[static_cast<size_t>(b) * grid.n + a] = rows[b][a] != kHoleChar ? 1 : 0;
        }
    }
    return grid;
}

int CountUnknown(GridSolver& solver, const SolutionGrid& grid) {
    SolveReport report = solver.Solve(ComputeClues(grid));
    int unknown = 0;
    for (Cell c : report.cells) {
        unknown += c == Cell::Unknown ? 1 : 0;
    }
    return unknown;
}

bool OnOutline(const SolutionGrid& grid, int a, int b) {
    const bool self = grid.At(a, b);
    const int da[4] = {1, -1, 0, 0};
    const int db[4] = {0, 0, 1, -1};
    for (int d = 0; d < 4; ++d) {
        const int x = a + da[d];
        const int y = b + db[d];
        if (x >= 0 && y >= 0 && x < grid.n && y < grid.n && grid.At(x, y) != self) {
            return true;
        }
    }
    return false;
}

char FillCharNear(const std::vector<std::string>& rows, int a, int b) {
    std::map<char, int> counts;
    const int n = static_cast<int>(rows.size());
    for (int y = b - 1; y <= b + 1; ++y) {
        for (int x = a - 1; x <= a + 1; ++x) {
            if (x < 0 || y < 0 || x >= n || y >= n) {
                continue;
            }
            std::optional<int> code = ArtCodeForChar(rows[y][x]);
            if (code && *code >= 0 && *code < kShades) {  // full squares only
                counts[rows[y][x]] += 1;
            }
        }
    }
    char best = '#';
    int bestCount = 0;
    for (const auto& [ch, count] : counts) {
        if (count > bestCount) {
            best = ch;
            bestCount = count;
        }
    }
    return best;
}

}  // namespace

std::vector<CellFlip> RepairPicture(std::vector<std::string>& rows, int maxFlips) {
    GridSolver solver;
    std::vector<CellFlip> flips;
    SolutionGrid grid = GridOf(rows);
    const int n = grid.n;
    while (static_cast<int>(flips.size()) < maxFlips) {
        SolveReport report = solver.Solve(ComputeClues(grid));
        if (report.status == SolveStatus::Solved) {
            break;
        }
        int bestScore = -1;
        size_t bestAt = 0;
        for (size_t at = 0; at < report.cells.size(); ++at) {
            if (report.cells[at] != Cell::Unknown) {
                continue;
            }
            const int a = static_cast<int>(at % n);
            const int b = static_cast<int>(at / n);
            grid.cells[at] ^= 1;
            // Fewer open cells is the goal; an outline cell is preferred among equals, and a
            // picture must keep at least one solid cell.
            int score = CountUnknown(solver, grid) * 4 + (OnOutline(grid, a, b) ? 0 : 3);
            grid.cells[at] ^= 1;
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                bestAt = at;
            }
        }
        if (bestScore < 0) {
            break;
        }
        const int a = static_cast<int>(bestAt % n);
        const int b = static_cast<int>(bestAt / n);
        grid.cells[bestAt] ^= 1;
        const bool nowSolid = grid.cells[bestAt] != 0;
        rows[b][a] = nowSolid ? FillCharNear(rows, a, b) : kHoleChar;
        flips.push_back({a, b, nowSolid});
    }
    return flips;
}

}  // namespace p7tools
