#pragma once
// One puzzle of the catalogue: its solution and its picture.
//
// Cells are addressed [a][b]: a is the column (x), b the row (y). Each blank-separated token of
// the file's text is one row on screen, so the outer index is the position inside a token and the
// inner index the token's ordinal.

#include <string>
#include <vector>

struct PuzzleRecord {
    // Solution values: 0 hole, 1 solid. The play grid later ORs 2 into a cell it has chosen for a
    // hint reveal; the catalogue itself holds only 0 and 1.
    static constexpr int kHole = 0;
    static constexpr int kSolid = 1;
    // Picture codes: kNoPicture, else tile * shades + shade.
    static constexpr int kNoPicture = -1;

    std::string mName;     // "name"
    int mDifficulty = 1;   // "difficulty" (0 when the attribute is absent, as it is read)
    int mSteps = 0;        // "steps"
    bool mTested = false;  // "tested"
    std::vector<std::vector<int>> mSolution;  // [a][b]
    std::vector<std::vector<int>> mPicture;   // [a][b]; empty when the puzzle has no picture
    // A puzzle the file holds but that could not be read: it keeps its place (progress and
    // names refer to puzzles by index) with empty grids, can't be played, and counts as done
    // for unlocking the puzzles after it.
    bool mUnavailable = false;

    // Tiles along a side (the solution is always square once the catalogue has accepted it).
    int GetGridSize() const { return static_cast<int>(mSolution.size()); }
    bool HasPicture() const { return !mPicture.empty(); }
};
