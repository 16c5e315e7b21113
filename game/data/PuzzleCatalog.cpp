#include "game/data/PuzzleCatalog.h"

#include <utility>

#include "core/util/StringUtil.h"
#include "game/data/GameData.h"

namespace {
std::map<std::string, GameCatalog>& Catalog() {
    return CurrentGameData().mCatalog;
}
}  // namespace

const GameCatalog& GetGameCatalog(const std::string& game) {
    static const GameCatalog kEmpty;
    const GameCatalog* found = FindGameCatalog(game);
    return found != nullptr ? *found : kEmpty;
}

const GameCatalog* FindGameCatalog(const std::string& game) {
    const auto& catalog = Catalog();
    const auto it = catalog.find(game);
    return it == catalog.end() ? nullptr : &it->second;
}

namespace {

// The record at the place, unavailable ones included; null outside the catalogue.
const PuzzleRecord* FindRecord(const std::string& game, const PuzzleId& id) {
    const int mode = id.mMode;
    const int set = id.mSet;
    const int puzzle = id.mIndex;
    if (mode < 0 || mode >= kModeCount || set < 0 || puzzle < 0) {
        return nullptr;
    }
    const GameCatalog& entry = GetGameCatalog(game);
    const auto& sets = entry[static_cast<size_t>(mode)];
    if (static_cast<size_t>(set) >= sets.size()) {
        return nullptr;
    }
    const PuzzleSet& puzzles = sets[static_cast<size_t>(set)];
    if (static_cast<size_t>(puzzle) >= puzzles.size()) {
        return nullptr;
    }
    return &puzzles[static_cast<size_t>(puzzle)];
}

}  // namespace

const PuzzleRecord* FindPuzzle(const std::string& game, const PuzzleId& id) {
    const PuzzleRecord* record = FindRecord(game, id);
    return record != nullptr && !record->mUnavailable ? record : nullptr;
}

bool IsPuzzleUnavailable(const std::string& game, const PuzzleId& id) {
    const PuzzleRecord* record = FindRecord(game, id);
    return record != nullptr && record->mUnavailable;
}

std::vector<bool> FindUnavailablePuzzles(const std::string& game, int mode, int set) {
    std::vector<bool> flags(static_cast<size_t>(CountCatalogPuzzles(game, mode, set)));
    for (size_t puzzle = 0; puzzle < flags.size(); ++puzzle) {
        flags[puzzle] = IsPuzzleUnavailable(game, {mode, set, static_cast<int>(puzzle)});
    }
    return flags;
}

int CountCatalogSets(const std::string& game, int mode) {
    if (mode < 0 || mode >= kModeCount) {
        return 0;
    }
    return static_cast<int>(GetGameCatalog(game)[static_cast<size_t>(mode)].size());
}

int CountCatalogPuzzles(const std::string& game, int mode, int set) {
    if (mode < 0 || mode >= kModeCount || set < 0) {
        return 0;
    }
    const auto& sets = GetGameCatalog(game)[static_cast<size_t>(mode)];
    return static_cast<size_t>(set) < sets.size()
               ? static_cast<int>(sets[static_cast<size_t>(set)].size())
               : 0;
}

const std::map<std::string, GameCatalog>& GetPuzzleCatalog() {
    return Catalog();
}

void CommitPuzzleCatalog(std::map<std::string, GameCatalog> catalog) {
    Catalog() = std::move(catalog);
}

void ClearPuzzleCatalog() {
    Catalog().clear();
}

std::vector<std::string> RefuseGridsLargerThan(int size) {
    std::vector<std::string> problems;
    for (auto& [game, modes] : Catalog()) {
        for (size_t mode = 0; mode < modes.size(); ++mode) {
            for (size_t set = 0; set < modes[mode].size(); ++set) {
                PuzzleSet& puzzles = modes[mode][set];
                for (size_t puzzle = 0; puzzle < puzzles.size(); ++puzzle) {
                    PuzzleRecord& record = puzzles[puzzle];
                    const int grid = record.GetGridSize();
                    if (record.mUnavailable || grid <= size) {
                        continue;
                    }
                    problems.push_back(StrFormat(
                        "Puzzle %zu (\"%s\") of set %zu, mode %zu of game \"%s\" can't be "
                        "played: its grid is %d by %d, larger than the largest grid the game "
                        "lists (%d by %d)",
                        puzzle, record.mName.c_str(), set, mode, game.c_str(), grid, grid, size,
                        size));
                    PuzzleRecord unavailable;
                    unavailable.mName = std::move(record.mName);
                    unavailable.mUnavailable = true;
                    record = std::move(unavailable);
                }
            }
        }
    }
    return problems;
}

std::vector<std::string> FindPictureCodesBeyond(int codeCount) {
    std::vector<std::string> problems;
    for (const auto& [game, modes] : Catalog()) {
        for (size_t mode = 0; mode < modes.size(); ++mode) {
            for (size_t set = 0; set < modes[mode].size(); ++set) {
                const PuzzleSet& puzzles = modes[mode][set];
                for (size_t puzzle = 0; puzzle < puzzles.size(); ++puzzle) {
                    int highest = PuzzleRecord::kNoPicture;
                    for (const auto& column : puzzles[puzzle].mPicture) {
                        for (int code : column) {
                            highest = code > highest ? code : highest;
                        }
                    }
                    if (highest >= codeCount) {
                        problems.push_back(StrFormat(
                            "Puzzle %zu (\"%s\") of set %zu, mode %zu of game \"%s\" uses picture "
                            "code %d, but the picture tiles have only %d codes",
                            puzzle, puzzles[puzzle].mName.c_str(), set, mode, game.c_str(), highest,
                            codeCount));
                    }
                }
            }
        }
    }
    return problems;
}
