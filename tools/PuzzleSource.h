#pragma once

#include <string>
#include <vector>

// The readable puzzle sources: one text file per set, each puzzle a square of picture
// characters (see ArtCodes.h). The generator turns them into the game's XML files.

namespace p7tools {

struct PuzzleSource {
    std::string id;                 // unique inside its set; the catalogue name is "<set id>_<id>"
    std::string title;              // English display name
    std::vector<std::string> rows;  // picture characters, top row first
    int line = 0;                   // line of the "puzzle" keyword, for messages
};

struct SetSource {
    std::string file;   // path the set was read from, for messages
    std::string id;     // set name used by the game's tables and scripts
    std::string title;  // English display name
    std::string shortTitle;
    int mode = 0;  // 0 story, 1 bonus
    std::string wing;
    int unlock = 0;
    std::string background;
    int mapX = 0;
    int mapY = 0;
    bool separate = false;
    bool fixedOrder = false;  // keep the authored puzzle order (the tutorial's scripts need it)
    std::vector<std::string> music;
    std::vector<PuzzleSource> puzzles;
};

// Parses one set file's text. On failure returns false and sets `error` to a message that names
// the file and line.
bool ParseSetSource(const std::string& file, const std::string& text, SetSource* out,
                    std::string* error);

// Reads every "*.txt" of a folder in file-name order (that order is the set order of each mode).
// On failure returns false with `error` naming the file and line.
bool LoadSetSources(const std::string& folder, std::vector<SetSource>* out, std::string* error);

// Replaces the picture rows of the named puzzle inside a set file's text, keeping everything
// else byte for byte. Returns false when the puzzle is not found or its size differs.
bool ReplacePuzzleRows(std::string* text, const std::string& puzzleId,
                       const std::vector<std::string>& rows);

// Reads a whole file into `out`; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string* out);

// Writes a whole file through a temporary name and a rename, so a reader never sees half of it.
bool WriteTextFileAtomic(const std::string& path, const std::string& text);

}  // namespace p7tools
