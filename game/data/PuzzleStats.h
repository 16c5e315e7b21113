#pragma once
// Reads the puzzle catalogue "puzzles_pelnora7.xml" (PuzzleCatalog.h).
//
//   <game name="pelnora7">
//     <mode>                                  first: story, second: bonus
//       <set>
//         <puzzle name="kite" difficulty="2" steps="14" tested="true">
//           <grid>0110 1001 ...</grid>        one token per row, '0' hole, '1' solid
//           <picture>AAAB 00BA ...</picture>  two letters per cell, "0?" for no picture
//         </puzzle>
//
// Any child of "puzzle" other than "grid" holds the picture. Every puzzle is checked when it ends
// (square solution of '0' and '1' with a solid cell, picture of the same size or none, picture
// cells of two capitals or a leading '0'); a bad one is reported with its file, line, set and
// index and kept in its place as unavailable (PuzzleRecord::mUnavailable), so that no puzzle
// changes index.
// Elements without a slot (a "set" before its "mode", a third "mode") stop the read with an error.
// The catalogue is replaced only when the whole file was read.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/Parser.h"
#include "game/data/PuzzleCatalog.h"

class PuzzleStats : public Parser {
public:
    static constexpr const char* kFileName = "puzzles_pelnora7.xml";
    using Grid = std::vector<std::vector<int>>;

    // Reads "properties/puzzles_pelnora7.xml" and replaces the catalogue when the file was read
    // whole; false (catalogue untouched) otherwise, with GetError naming file and line. Loading
    // thread at start-up.
    bool Load();
    // The same over text in memory; fileName only names it in errors.
    bool LoadText(const std::string& text, const std::string& fileName);

    // Puzzles kept as unavailable by the last load, one message each.
    const std::vector<std::string>& GetRejections() const { return mRejections; }

    // Decodes a solution text: tokens separated by white space, one '0' or '1' per cell; cell c
    // of token t lands in (*out)[c][t]. False with a reason on any other character or tokens of
    // different lengths.
    static bool DecodeSolution(std::string_view text, Grid* out, std::string* error);
    // Decodes a picture text: two characters per cell, a leading '0' is no picture (-1, the second
    // character is not read), else two capitals give (first - 'A') * 26 + (second - 'A').
    static bool DecodePicture(std::string_view text, Grid* out, std::string* error);

protected:
    void HandleElementStart(const XMLElement& element) override;
    void HandleElementEnd(const XMLElement& element) override;
    void HandleElementText(const XMLElement& element) override;

private:
    bool Run(bool parsed);
    void Reset();
    void FinishPuzzle();

    std::map<std::string, GameCatalog> mCatalog;
    GameCatalog* mGame = nullptr;
    std::string mGameName;
    int mMode = -1;
    PuzzleSet* mSet = nullptr;
    int mSetIndex = -1;
    bool mInPuzzle = false;
    int mPuzzleLine = 0;
    int mPuzzleIndex = 0;  // position the current puzzle takes in its set, as written
    PuzzleRecord mPuzzle;
    std::string mSolutionText;
    std::string mPictureText;
    std::vector<std::string> mRejections;
};
