#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/Catalogue.h"

// Writing the game's data files from a built catalogue, and reading the puzzle catalogue back
// the way the game reads it, so the round trip can be checked without the game's own code.

namespace p7tools {

// The game name every file is written for.
inline constexpr const char* kGameName = "pelnora7";

// The "grid" text of a solution: one blank-separated token per row, one digit per cell.
std::string EncodeGridText(const SolutionGrid& grid);

// The picture text: one token per row, two letters per cell ("00" for a hole).
std::string EncodePictureText(const std::vector<int>& picture, int n);

// The catalogue's reading of a grid or picture text: result[a][b] is column a of token b.
// Only the blank separates tokens; doubled or trailing blanks add nothing.
std::vector<std::vector<int>> DecodeGridText(const std::string& text);
std::vector<std::vector<int>> DecodePictureText(const std::string& text);

// The whole text of "puzzles_pelnora7.xml" and "sets7.xml" for the catalogue, deterministic so
// that a regenerated file is byte for byte the same when nothing changed.
std::string WritePuzzlesXml(const Catalogue& catalogue);
std::string WriteSetsXml(const Catalogue& catalogue);
// `screenTexts` is the hand-written localization document; everything inside its root element
// is copied ahead of the generated names.
std::string WriteLocalizationXml(const Catalogue& catalogue, const std::string& screenTexts);

// A game.xml with the grid settings of every size the puzzles use.
std::string WriteGameXml();

// One puzzle as the game's catalogue reader keeps it.
struct ReadPuzzle {
    std::string name;
    int difficulty = 0;
    int steps = 0;
    bool tested = false;
    std::vector<std::vector<int>> solution;  // [a][b]
    std::vector<std::vector<int>> picture;   // [a][b]
};

struct ReadCatalogue {
    std::vector<std::vector<ReadPuzzle>> modes[2];
};

// Reads a puzzle catalogue text for one game name. False with a message on malformed text.
bool ReadPuzzlesXml(const std::string& text, const std::string& gameName, ReadCatalogue* out,
                    std::string* error);

// Generates every content file from the sources folder: file name -> text. Problems (file:line:
// message) are appended; when there are any the returned map is empty. `report` receives the
// per-puzzle proof lines.
std::map<std::string, std::string> GenerateContent(const std::string& sourceFolder,
                                                   std::vector<std::string>* problems,
                                                   std::string* report);

}  // namespace p7tools
