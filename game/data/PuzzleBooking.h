#pragma once
// The one place a solved puzzle enters a player's progress. The play screen books a solve the
// moment the rules say it is solved, before any end screen opens, so a quit or a crash on the
// end screens loses nothing; the end screens read what the booking found and only choose where
// the player goes next.

#include <string>

#include "game/data/PlayerState.h"
#include "game/data/PuzzleId.h"

// What one finished puzzle hands on: to the booking (when solved) and to the end screens.
struct FinishedPuzzle {
    std::string mGame;
    PuzzleId mId;
    int mSeconds = 0;    // play time in whole seconds
    int mMistakes = 0;   // mistakes made
    int mHintsUsed = 0;  // hints spent
};

// What a booking found and did.
struct PuzzleBooking {
    bool mBooked = false;    // the player's progress holds the puzzle (grown when needed)
    PuzzleProgress mBefore;  // the puzzle's progress before this solve
    bool mFirstCompletion = false;
    int mOpenedSet = -1;        // the next set of the mode, opened by finishing this set
    bool mOpenedBonus = false;  // finishing this story set opened the first bonus set
};

// Whether a puzzle belongs to the tutorial set, whose puzzles lead one into the next.
bool IsTutorialPuzzle(const std::string& game, const PuzzleId& id);

// Books a solved puzzle into state: the best time (kept when better), this solve's stars
// (without hints, without mistakes), completed, the next puzzle of the set (solving the newest
// open one, or any tutorial puzzle, opens the one after it), and on finishing the set's last
// puzzle for the first time the next set of the mode and, after the story set numbered
// setsBeforeExtraPuzzles, the first bonus set. A finished tutorial set also makes the next story
// set current. Never closes a puzzle or a set and never un-completes one. Counts come from the
// catalogue; the progress lists grow to hold the puzzle.
PuzzleBooking RecordSolvedPuzzle(PlayerState& state, const FinishedPuzzle& solved,
                                 int setsBeforeExtraPuzzles);

// RecordSolvedPuzzle on the current player with the named constant "sets_before_extra_puzzles",
// then "profiles.xml" saved once. Nothing is booked without a current player. Main thread.
PuzzleBooking BookSolvedPuzzle(const FinishedPuzzle& solved);

// Counts the tutorial set as passed, as leaving it or declining it does: every tutorial puzzle
// completed and open, and the first story set open. Lowers nothing.
void PassTutorialSet(PlayerState& state);
