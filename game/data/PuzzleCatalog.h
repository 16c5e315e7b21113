#pragma once
// The puzzle catalogue: per game name, two modes (0 story, 1 bonus), each an ordered list of sets,
// each an ordered list of puzzles. Set and puzzle indices agree with the set table and with every
// player's progress.
//
// Filled once by the start-up loader (PuzzleStats) and read by the main thread after loading has
// completed; not locked. Lookups never insert.

#include <array>
#include <map>
#include <string>
#include <vector>

#include "game/data/PuzzleId.h"
#include "game/data/PuzzleRecord.h"

inline constexpr const char* kDefaultGameName = "pelnora7";
inline constexpr int kModeCount = 2;  // 0 story, 1 bonus

using PuzzleSet = std::vector<PuzzleRecord>;
using GameCatalog = std::array<std::vector<PuzzleSet>, kModeCount>;

// The game's two modes; an empty pair of modes (shared, never inserted) for an unknown game.
const GameCatalog& GetGameCatalog(const std::string& game);
// The game's two modes, or null for an unknown game.
const GameCatalog* FindGameCatalog(const std::string& game);
// The puzzle at (game, mode, set, puzzle), or null when any index is outside the catalogue or
// the puzzle there is unavailable (its place is kept, but it can't be played or shown).
const PuzzleRecord* FindPuzzle(const std::string& game, const PuzzleId& id);
// Whether the puzzle at that place is one the file holds but could not be read.
bool IsPuzzleUnavailable(const std::string& game, const PuzzleId& id);
// One flag per puzzle of the set: true where the puzzle is unavailable.
std::vector<bool> FindUnavailablePuzzles(const std::string& game, int mode, int set);
// Number of sets of a mode; 0 for an unknown game or mode.
int CountCatalogSets(const std::string& game, int mode);
// Number of puzzles of a set; 0 when the set does not exist.
int CountCatalogPuzzles(const std::string& game, int mode, int set);

// The whole catalogue by game name. Valid until the next CommitPuzzleCatalog, so read it on the
// thread that loads (or after loading has finished).
const std::map<std::string, GameCatalog>& GetPuzzleCatalog();
// Replaces the whole catalogue; used by the reader once a file has been read whole.
void CommitPuzzleCatalog(std::map<std::string, GameCatalog> catalog);
void ClearPuzzleCatalog();

// Makes every puzzle whose grid is larger than size unavailable (its grids dropped, its place
// kept), as the reader does with a puzzle it can't read, and returns one "can't be played" line
// for each, naming game, mode, set and puzzle. On the loading thread, before play.
std::vector<std::string> RefuseGridsLargerThan(int size);

// One line per puzzle whose picture uses a code at or above codeCount (the picture-tile sheet's
// shapes times its shades), naming game, mode, set and puzzle. Empty when all fit. Called once
// the sheet is loaded, since the catalogue is read before it.
std::vector<std::string> FindPictureCodesBeyond(int codeCount);
