#pragma once
// Texts that the game's screens build from the localized table and the current player. The
// localized texts come from a data file, so every format goes through CheckedFormat: a text whose
// placeholders do not match its arguments is logged and shown unformatted instead of reaching
// printf. Main thread.

#include <initializer_list>
#include <string>

#include "core/util/StringUtil.h"
#include "game/data/PuzzleId.h"

class PlayerState;

// The localized text of key used as a format with args; the bare text (logged) when the format
// does not fit the arguments.
std::string FormatLocalized(const std::string& key, std::initializer_list<FormatArg> args);

// The current player's state, or null when no profile is selected.
PlayerState* CurrentPlayer();
// The current player's game name ("pelnora7" without a player).
std::string CurrentGameName();
// The name of the selected profile slot; empty when none is selected.
std::string SelectedProfileName();

// "%s%d-%c": "X" in bonus mode, the set number from 1 and the puzzle letter from 'A' (story set
// 2, puzzle 0 is "3-A"; bonus set 0, puzzle 2 is "X1-C").
std::string FormatPuzzleLabel(const PuzzleId& id);
