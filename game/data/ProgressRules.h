#pragma once
// The progress rules that several screens share, on a player's state. Pure functions of the
// state and the counts the caller passes (puzzles in a set, sets in a mode), so the screens and
// the tests use the same rules.
//
// A set's unlock count is the number of its puzzles that are open (0: the set is locked); solving
// the newest open puzzle opens the next one; solving a set's last puzzle opens the next set of the
// mode; finishing the story set whose number equals the named constant
// "sets_before_extra_puzzles" opens the first bonus set.

#include <vector>

#include "game/data/PlayerState.h"

// Open puzzles of a set: its unlock count, within 0 and the set's puzzle count. 0 for a set the
// state does not hold.
int CountOpenPuzzles(const PlayerState& state, int mode, int set, int puzzleCount);

// Whether a set is open on the map or in the bonus list.
bool IsSetOpen(const PlayerState& state, int mode, int set);

// Books a solved puzzle as the puzzle selection screen does: marks it completed and, when it was
// the newest open puzzle, opens the next one. Returns true when that puzzle was the set's last
// (the set is finished here). Nothing happens for a puzzle the state does not hold.
bool BookFinishedPuzzle(PlayerState& state, const PuzzleId& id, int puzzleCount);

// Passes the set's open unavailable puzzles (one flag per puzzle of the set, true where the
// puzzle can't be played): each is booked as finished (BookFinishedPuzzle), so the puzzle after
// it opens and the set can still be finished. True when that finished the set.
bool PassUnavailablePuzzles(PlayerState& state, int mode, int set,
                            const std::vector<bool>& unavailable);

// Opens the set after set in the mode (first completion of a set's last puzzle). Returns the set
// opened, or -1 when set is the mode's last. A set that is already open stays as it is: opening
// never skips a puzzle.
int OpenNextSet(PlayerState& state, int mode, int set, int setCount);

// Whether finishing story set `set` (0-based) opens the bonus mode: its number (set + 1) equals
// "sets_before_extra_puzzles".
bool FinishingSetOpensBonus(int mode, int set, int setsBeforeExtraPuzzles);

// Opens the first bonus set; false when it was already open or the state holds no bonus set.
bool OpenFirstBonusSet(PlayerState& state);

// Story sets still needed before a bonus set opens: its "unlock" value from the set table less
// the story sets completed (may be 0 or negative when enough are done).
int CountStorySetsNeeded(const PlayerState& state, int bonusSetUnlock);
