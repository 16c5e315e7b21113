#pragma once
// The set table: a list of games in file order, each with its story and bonus sets. Indices agree
// with the puzzle catalogue and with every player's set progress.
//
// Filled once by the start-up loader (SetStats) and read by the main thread after loading; not
// locked.

#include <functional>
#include <string>
#include <vector>

#include "game/data/SetRecord.h"

// Resolves a music name to its track id (the asset catalogue's named-id table); -1 when unknown.
using MusicIdLookup = std::function<int(const std::string& name)>;

// The first game named game; the table's first game when none is (the game has one set file for
// all its names); null only when the table is empty.
const GameSets* FindGameRecord(const std::string& game);
// The set at (game, mode, set), or null when the table is empty or an index is outside it.
const SetRecord* GetSetRecord(const std::string& game, int mode, int set);
// Sets in a mode of FindGameRecord(game); 0 when the table is empty or the mode is not 0 or 1.
int CountSetsInMode(const std::string& game, int mode);

// The whole table, in file order. Valid until the next CommitSetTable; read it after loading.
const std::vector<GameSets>& GetSetTable();
// Replaces the table; used by the reader once a file has been read whole.
void CommitSetTable(std::vector<GameSets> table);
void ClearSetTable();

// Looks every set's music names up again (when the track table was filled after the sets were
// read). Loading thread, or main thread while nobody iterates the table.
void ResolveSetMusicIds(const MusicIdLookup& lookup);
