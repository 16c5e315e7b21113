#include "tools/Catalogue.h"

#include <algorithm>
#include <optional>
#include <set>

#include "tools/ArtCodes.h"

namespace p7tools {

int RateDifficulty(int passes, int n) {
    // A picture that settles in few sweeps for its size is gentle; each further sweep means
    // another round of cross-checking for the player. Bigger boards start a step harder.
    int rating = 1 + (passes >= 4) + (passes >= 7) + (passes >= 11) + (passes >= 16);
    if (n >= 15) {
        ++rating;
    }
    return std::clamp(rating, 1, 5);
}

bool ConvertPuzzle(const SetSource& set, const PuzzleSource& source, BuiltPuzzle* out,
                   std::string* error) {
    const int n = static_cast<int>(source.rows.size());
    BuiltPuzzle puzzle;
    puzzle.name = set.id + "_" + source.id;
    puzzle.title = source.title;
    puzzle.solution.n = n;
    puzzle.solution.cells.assign(static_cast<size_t>(n) * n, 0);
    puzzle.picture.assign(static_cast<size_t>(n) * n, -1);
    for (int b = 0; b < n; ++b) {
        if (static_cast<int>(source.rows[b].size()) != n) {
            *error = set.file + ":" + std::to_string(source.line + 1 + b) + ": row width differs";
            return false;
        }
        for (int a = 0; a < n; ++a) {
            std::optional<int> code = ArtCodeForChar(source.rows[b][a]);
            if (!code) {
                *error = set.file + ":" + std::to_string(source.line + 1 + b) +
                         ": unknown picture character '" + std::string(1, source.rows[b][a]) + "'";
                return false;
            }
            const size_t at = static_cast<size_t>(b) * n + a;
            puzzle.picture[at] = *code;
            puzzle.solution.cells[at] = *code >= 0 ? 1 : 0;
        }
    }
    SquareCornersAgainstNeighbours(&puzzle.picture, n);
    *out = std::move(puzzle);
    return true;
}

namespace {

// Four round dots in a square touch only at their sides and leave a four-pointed hole between
// them: a round thing two cells wide is drawn with the corner tiles instead. Empty when the
// picture as written has no such block, else where its top-left cell is.
std::string FindRoundDotBlock(const SetSource& set, const PuzzleSource& source,
                              const BuiltPuzzle& puzzle) {
    const int n = puzzle.solution.n;
    auto round = [&](int a, int b) {
        const int code = ArtCodeForChar(source.rows[b][a]).value_or(-1);
        return code >= 0 && code / kShades == kRoundDotColumn;
    };
    for (int b = 0; b + 1 < n; ++b) {
        for (int a = 0; a + 1 < n; ++a) {
            if (round(a, b) && round(a + 1, b) && round(a, b + 1) && round(a + 1, b + 1)) {
                return set.file + ":" + std::to_string(source.line + 1 + b) + ": puzzle '" +
                       source.id + "' has four round dots in a square at column " +
                       std::to_string(a + 1) +
                       ", which draw as a star-shaped hole; round the block with the corner "
                       "tiles (r t above f g)";
            }
        }
    }
    return {};
}

}  // namespace

Catalogue BuildCatalogue(const std::vector<SetSource>& sets, std::vector<std::string>* problems) {
    Catalogue catalogue;
    GridSolver solver;
    std::set<std::string> setNames;
    std::set<std::string> puzzleNames;
    for (const SetSource& set : sets) {
        if (!setNames.insert(set.id).second) {
            problems->push_back(set.file + ":1: set name '" + set.id + "' is used twice");
        }
        BuiltSet built;
        built.source = set;
        built.source.puzzles.clear();
        for (size_t i = 0; i < set.puzzles.size(); ++i) {
            const PuzzleSource& source = set.puzzles[i];
            const std::string where = set.file + ":" + std::to_string(source.line) + ": ";
            BuiltPuzzle puzzle;
            std::string error;
            if (!ConvertPuzzle(set, source, &puzzle, &error)) {
                problems->push_back(error);
                continue;
            }
            puzzle.sourceIndex = static_cast<int>(i);
            if (std::string block = FindRoundDotBlock(set, source, puzzle); !block.empty()) {
                problems->push_back(block);
            }
            if (!puzzleNames.insert(puzzle.name).second) {
                problems->push_back(where + "puzzle name '" + puzzle.name + "' is used twice");
            }
            if (std::none_of(puzzle.solution.cells.begin(), puzzle.solution.cells.end(),
                             [](uint8_t c) { return c != 0; })) {
                problems->push_back(where + "puzzle '" + source.id + "' has no solid cell");
                continue;
            }
            SolveReport report = solver.Solve(ComputeClues(puzzle.solution));
            if (report.status != SolveStatus::Solved) {
                std::string lines;
                for (const std::string& line : report.openLines) {
                    lines += (lines.empty() ? "" : ", ") + line;
                }
                problems->push_back(where + "puzzle '" + source.id + "' is " +
                                    (report.status == SolveStatus::Stalled
                                         ? "not solvable by line logic alone; open lines: "
                                         : "contradictory at ") +
                                    lines);
                continue;
            }
            for (size_t c = 0; c < report.cells.size(); ++c) {
                const bool filled = report.cells[c] == Cell::Filled;
                if (filled != (puzzle.solution.cells[c] != 0)) {
                    problems->push_back(where + "puzzle '" + source.id +
                                        "' solves to a different grid");
                    break;
                }
            }
            puzzle.passes = report.passes;
            puzzle.difficulty = RateDifficulty(report.passes, puzzle.solution.n);
            built.puzzles.push_back(std::move(puzzle));
        }
        if (!set.fixedOrder) {
            std::stable_sort(built.puzzles.begin(), built.puzzles.end(),
                             [](const BuiltPuzzle& x, const BuiltPuzzle& y) {
                                 if (x.solution.n != y.solution.n) {
                                     return x.solution.n < y.solution.n;
                                 }
                                 return x.passes < y.passes;
                             });
        }
        catalogue.modes[set.mode].push_back(std::move(built));
    }
    return catalogue;
}

}  // namespace p7tools
