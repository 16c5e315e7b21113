#pragma once
// Where a puzzle stands in a game's catalogue and in a player's progress: its mode (0 story,
// 1 bonus), its set within the mode and its index within the set. A plain value; it does not
// say whether such a puzzle exists.

struct PuzzleId {
    int mMode = 0;
    int mSet = 0;
    int mIndex = 0;

    bool operator==(const PuzzleId&) const = default;
};
