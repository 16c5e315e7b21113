#include "game/data/PuzzleStats.h"

#include <utility>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Calls visit(token, ordinal) for every run of non-space characters.
template <typename Visit>
bool ForEachToken(std::string_view text, Visit&& visit) {
    size_t ordinal = 0;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i])) {
            ++i;
        }
        size_t end = i;
        while (end < text.size() && !IsSpace(text[end])) {
            ++end;
        }
        if (end > i) {
            if (!visit(text.substr(i, end - i), ordinal)) {
                return false;
            }
            ++ordinal;
        }
        i = end;
    }
    return true;
}

void AppendCell(PuzzleStats::Grid* grid, size_t column, int value) {
    if (grid->size() < column + 1) {
        grid->resize(column + 1);
    }
    (*grid)[column].push_back(value);
}

bool IsCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

}  // namespace

bool PuzzleStats::DecodeSolution(std::string_view text, Grid* out, std::string* error) {
    out->clear();
    size_t width = 0;
    return ForEachToken(text, [&](std::string_view token, size_t ordinal) {
        if (ordinal == 0) {
            width = token.size();
        } else if (token.size() != width) {
            *error = StrFormat("row %zu of the grid has %zu cells, the first has %zu", ordinal + 1,
                               token.size(), width);
            return false;
        }
        for (size_t c = 0; c < token.size(); ++c) {
            if (token[c] != '0' && token[c] != '1') {
                *error = StrFormat("row %zu of the grid holds '%c'; only '0' and '1' are cells",
                                   ordinal + 1, token[c]);
                return false;
            }
            AppendCell(out, c, token[c] - '0');
        }
        return true;
    });
}

bool PuzzleStats::DecodePicture(std::string_view text, Grid* out, std::string* error) {
    out->clear();
    size_t width = 0;
    return ForEachToken(text, [&](std::string_view token, size_t ordinal) {
        if (token.size() % 2 != 0) {
            *error =
                StrFormat("row %zu of the picture has an odd number of characters", ordinal + 1);
            return false;
        }
        if (ordinal == 0) {
            width = token.size();
        } else if (token.size() != width) {
            *error = StrFormat("row %zu of the picture has %zu cells, the first has %zu",
                               ordinal + 1, token.size() / 2, width / 2);
            return false;
        }
        for (size_t c = 0; c < token.size() / 2; ++c) {
            const char first = token[2 * c];
            const char second = token[2 * c + 1];
            int value = PuzzleRecord::kNoPicture;
            if (first != '0') {
                if (!IsCapital(first) || !IsCapital(second)) {
                    *error = StrFormat(
                        "row %zu of the picture holds the cell \"%c%c\"; cells are "
                        "two capitals or '0' and any character",
                        ordinal + 1, first, second);
                    return false;
                }
                value = (first - 'A') * 26 + (second - 'A');
            }
            AppendCell(out, c, value);
        }
        return true;
    });
}

bool PuzzleStats::Load() {
    Reset();
    return Run(ParseFile(kFileName));
}

bool PuzzleStats::LoadText(const std::string& text, const std::string& fileName) {
    Reset();
    return Run(ParseText(text, fileName));
}

void PuzzleStats::Reset() {
    mCatalog.clear();
    mGame = nullptr;
    mGameName.clear();
    mMode = -1;
    mSet = nullptr;
    mSetIndex = -1;
    mInPuzzle = false;
    mRejections.clear();
}

bool PuzzleStats::Run(bool parsed) {
    if (parsed) {
        CommitPuzzleCatalog(std::move(mCatalog));
    }
    mCatalog.clear();
    mGame = nullptr;
    mSet = nullptr;
    return parsed;
}

void PuzzleStats::HandleElementStart(const XMLElement& element) {
    const std::string& name = element.mName;
    if (mInPuzzle) {
        // Children of a puzzle hold its grids; their text arrives in HandleElementText.
        if (name == "puzzle" || name == "set" || name == "mode" || name == "game") {
            Fail("A \"" + name + "\" inside a \"puzzle\"");
        }
        return;
    }
    if (name == "game") {
        mGameName = GetAttribute("name");
        // A later "game" of the same name replaces the earlier content.
        mGame = &mCatalog[mGameName];
        *mGame = GameCatalog();
        mMode = -1;
        mSet = nullptr;
        mSetIndex = -1;
    } else if (name == "mode") {
        if (mGame == nullptr) {
            Fail("A \"mode\" outside a \"game\"");
            return;
        }
        if (++mMode >= kModeCount) {
            Fail(StrFormat("A game has only %d modes (story and bonus)", kModeCount));
            return;
        }
        mSet = nullptr;
        mSetIndex = -1;
    } else if (name == "set") {
        if (mGame == nullptr || mMode < 0) {
            Fail("A \"set\" outside a \"mode\"");
            return;
        }
        auto& sets = (*mGame)[static_cast<size_t>(mMode)];
        sets.emplace_back();
        mSet = &sets.back();
        mSetIndex = static_cast<int>(sets.size()) - 1;
        mPuzzleIndex = 0;
    } else if (name == "puzzle") {
        if (mSet == nullptr) {
            Fail("A \"puzzle\" outside a \"set\"");
            return;
        }
        mInPuzzle = true;
        mPuzzleLine = GetCurrentLine();
        mPuzzle = PuzzleRecord();
        mPuzzle.mName = GetAttribute("name");
        mPuzzle.mTested = GetAttributeBool("tested");
        mPuzzle.mSteps = GetAttributeInt("steps");
        // As read: an absent "difficulty" gives 0, not the record's default.
        mPuzzle.mDifficulty = GetAttributeInt("difficulty");
        mSolutionText.clear();
        mPictureText.clear();
    }
}

void PuzzleStats::HandleElementText(const XMLElement& element) {
    if (!mInPuzzle) {
        LogWarning("TextBlock cannot resume, mPuzzle == NULL \n Text: %s on Line %d in File '%s'",
                   element.mText.c_str(), GetCurrentLine(), GetCurrentFile().c_str());
        return;
    }
    std::string& target = element.mName == "grid" ? mSolutionText : mPictureText;
    // Rows continue across repeated elements, as if the texts were one.
    target += ' ';
    target += element.mText;
}

void PuzzleStats::HandleElementEnd(const XMLElement& element) {
    if (mInPuzzle && element.mName == "puzzle") {
        FinishPuzzle();
        mInPuzzle = false;
    } else if (element.mName == "set") {
        mSet = nullptr;
    } else if (element.mName == "game") {
        mGame = nullptr;
        mMode = -1;
    }
}

void PuzzleStats::FinishPuzzle() {
    const int index = mPuzzleIndex++;
    std::string problem;
    Grid solution;
    Grid picture;
    if (!DecodeSolution(mSolutionText, &solution, &problem)) {
    } else if (!DecodePicture(mPictureText, &picture, &problem)) {
    } else if (solution.empty()) {
        problem = "it has no \"grid\"";
    } else if (solution.size() != solution[0].size()) {
        problem = StrFormat("its grid is %zu cells wide and %zu high; grids are square",
                            solution.size(), solution[0].size());
    } else if (!picture.empty() &&
               (picture.size() != solution.size() || picture[0].size() != solution[0].size())) {
        problem = StrFormat("its picture is %zu by %zu, its grid %zu by %zu", picture.size(),
                            picture[0].size(), solution.size(), solution.size());
    } else {
        bool anySolid = false;
        for (const auto& column : solution) {
            for (int cell : column) {
                anySolid = anySolid || cell == PuzzleRecord::kSolid;
            }
        }
        if (!anySolid) {
            problem = "its grid has no solid cell";
        }
    }
    if (!problem.empty()) {
        const std::string message = StrFormat(
            "Puzzle %d (\"%s\") of set %d, mode %d of game \"%s\" can't be played: %s on Line %d "
            "in File '%s'",
            index, mPuzzle.mName.c_str(), mSetIndex, mMode, mGameName.c_str(), problem.c_str(),
            mPuzzleLine, GetCurrentFile().c_str());
        LogWarning("%s", message.c_str());
        mRejections.push_back(message);
        // Puzzles are known by their index in the set (progress, names, unlocking): the bad one
        // keeps its place, so that the ones after it keep theirs.
        PuzzleRecord unavailable;
        unavailable.mName = std::move(mPuzzle.mName);
        unavailable.mUnavailable = true;
        mSet->push_back(std::move(unavailable));
        mPuzzle = PuzzleRecord();
        return;
    }
    mPuzzle.mSolution = std::move(solution);
    mPuzzle.mPicture = std::move(picture);
    mSet->push_back(std::move(mPuzzle));
    mPuzzle = PuzzleRecord();
}
