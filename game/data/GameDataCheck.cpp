#include "game/data/GameDataCheck.h"

#include <algorithm>

#include "core/util/StringUtil.h"
#include "game/data/GameStats.h"
#include "game/data/GridSettings.h"
#include "game/data/MyLocalization.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/PuzzleStats.h"
#include "game/data/SetStats.h"
#include "game/data/SetTable.h"

std::vector<std::string> CheckGameData() {
    std::vector<std::string> problems;
    // A grid beyond the largest listed size has no layout to be drawn in, and its board would
    // take a long while to build: it is refused as an unreadable puzzle is.
    const auto& sizes = GetGridSettingsTable();
    if (!sizes.empty()) {
        problems = RefuseGridsLargerThan(sizes.rbegin()->first);
    }
    for (const auto& [game, modes] : GetPuzzleCatalog()) {
        for (size_t mode = 0; mode < modes.size(); ++mode) {
            for (size_t set = 0; set < modes[mode].size(); ++set) {
                const PuzzleSet& puzzles = modes[mode][set];
                for (size_t puzzle = 0; puzzle < puzzles.size(); ++puzzle) {
                    const int size = puzzles[puzzle].GetGridSize();
                    // An unavailable puzzle was named when it was read; it is never played.
                    if (!puzzles[puzzle].mUnavailable && FindGridSettings(size) == nullptr) {
                        problems.push_back(StrFormat(
                            "Puzzle %zu (\"%s\") of set %zu, mode %zu of game \"%s\" in '%s' is "
                            "%d by %d, a grid size that '%s' does not list",
                            puzzle, puzzles[puzzle].mName.c_str(), set, mode, game.c_str(),
                            PuzzleStats::kFileName, size, size, GameStats::kFileName));
                    }
                }
            }
        }
        bool found = false;
        for (const GameSets& sets : GetSetTable()) {
            if (sets.mName != game) {
                continue;
            }
            found = true;
            for (size_t mode = 0; mode < modes.size(); ++mode) {
                if (sets.mModes[mode].size() != modes[mode].size()) {
                    problems.push_back(
                        StrFormat("Game \"%s\" has %zu sets in mode %zu of '%s' but %zu in '%s'",
                                  game.c_str(), modes[mode].size(), mode, PuzzleStats::kFileName,
                                  sets.mModes[mode].size(), SetStats::kFileName));
                }
                // Puzzle names are found by index: a list of another length names the wrong
                // puzzles.
                const size_t common = std::min(sets.mModes[mode].size(), modes[mode].size());
                for (size_t set = 0; set < common; ++set) {
                    const std::string& name = sets.mModes[mode][set].mName;
                    const std::vector<std::string>* names = FindLocalizedPuzzleNames(name);
                    if (names != nullptr && names->size() != modes[mode][set].size()) {
                        problems.push_back(StrFormat(
                            "Set \"%s\" (set %zu, mode %zu of game \"%s\") has %zu puzzles in "
                            "'%s' but %zu puzzle names in '%s'",
                            name.c_str(), set, mode, game.c_str(), modes[mode][set].size(),
                            PuzzleStats::kFileName, names->size(), MyLocalization::kFileName));
                    }
                }
            }
            break;
        }
        if (!found) {
            problems.push_back(StrFormat("Game \"%s\" of '%s' has no sets in '%s'", game.c_str(),
                                         PuzzleStats::kFileName, SetStats::kFileName));
        }
    }
    for (const GameSets& sets : GetSetTable()) {
        if (FindGameCatalog(sets.mName) == nullptr) {
            problems.push_back(StrFormat("Game \"%s\" of '%s' has no puzzles in '%s'",
                                         sets.mName.c_str(), SetStats::kFileName,
                                         PuzzleStats::kFileName));
        }
    }
    return problems;
}
