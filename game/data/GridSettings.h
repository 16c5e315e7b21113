#pragma once
// What each grid size allows (hint bulbs, hint reward, allowed mistakes) and where its grid is
// drawn, from "game.xml". One record per grid size N (tiles along a side).
//
// The table is filled once by the start-up loader (GameStats) and read by the main thread after
// loading has completed; it is not locked. Lookups never insert: a size the file lacks is
// reported when the data is loaded (CheckGameData), not turned into an all-zero record that a
// meter later divides by.

#include <map>

struct GridSettings {
    int mOffsetX = 0;     // "offset-x": room left of the tiles for the row clues, pixels
    int mOffsetY = 0;     // "offset-y": room above the tiles for the column clues, pixels
    int mHints = 0;       // "hints": correct reveals that fill one hint bulb (at least 1)
    int mHintReward = 0;  // "hint-reward": tiles one used hint reveals
    int mMistakes = 0;    // "mistakes": mistakes allowed on the grid

    bool operator==(const GridSettings&) const = default;
};

// The record for grid size N, or null when "game.xml" does not list N. Main thread after loading.
const GridSettings* FindGridSettings(int size);

// The whole table by grid size (for checks and tools).
const std::map<int, GridSettings>& GetGridSettingsTable();

// Replaces the table; used by the reader once a file has been read whole.
void CommitGridSettings(std::map<int, GridSettings> table);

// Empties the table (exit, tests).
void ClearGridSettings();
