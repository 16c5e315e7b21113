#pragma once
// Checks across the data files, run once all of them are loaded: what one file names, another
// must hold. A problem here is a start-up error that names the files involved.

#include <string>
#include <vector>

// One line per problem (empty when the data agree):
// - a puzzle larger than the largest grid size "game.xml" lists: it is made unavailable
//   (RefuseGridsLargerThan), so it is never played;
// - a puzzle whose grid size "game.xml" does not list;
// - a game whose story or bonus set count differs between the catalogue and the set table;
// - a game in one file and not in the other;
// - a set whose list of localized puzzle names has another length than its puzzles.
std::vector<std::string> CheckGameData();
