#pragma once

#include <string>
#include <vector>

#include "rules/GridSolver.h"
#include "tools/PuzzleSource.h"

namespace p7tools {

// One proven puzzle, ready to be written out.
struct BuiltPuzzle {
    std::string name;   // catalogue name and text id: "<set id>_<puzzle id>"
    std::string title;  // English display name
    SolutionGrid solution;
    std::vector<int> picture;  // codes row by row, -1 for holes
    int passes = 0;            // line-logic sweeps the proof needed
    int difficulty = 1;        // 1 (gentle) .. 5 (hard), from passes and size
    int sourceIndex = 0;       // position in the set file
};

struct BuiltSet {
    SetSource source;                  // header fields; its puzzle list is not used after building
    std::vector<BuiltPuzzle> puzzles;  // in play order
};

struct Catalogue {
    std::vector<BuiltSet> modes[2];
};

// Difficulty rating from the number of line passes and the size.
int RateDifficulty(int passes, int n);

// Turns one source puzzle into its grids (no proof). False with a message on bad characters.
bool ConvertPuzzle(const SetSource& set, const PuzzleSource& source, BuiltPuzzle* out,
                   std::string* error);

// Builds and proves the whole catalogue: every puzzle must be solved by line logic alone to
// exactly its picture, have at least one solid cell, and all names must be unique. Each problem
// found is appended to `problems` (file:line: message); the result is only usable when none.
// The sets keep their source order per mode; puzzles are put in play order.
Catalogue BuildCatalogue(const std::vector<SetSource>& sets, std::vector<std::string>* problems);

}  // namespace p7tools
