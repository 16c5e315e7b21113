#include "game/data/GameStats.h"

#include <utility>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {
// Larger grids would not fit the 1024 by 768 board at any tile size the game draws.
constexpr int kLargestGrid = 64;
}  // namespace

bool GameStats::Load() {
    mTable.clear();
    mRejections.clear();
    return Commit(ParseFile(kFileName));
}

bool GameStats::LoadText(const std::string& text, const std::string& fileName) {
    mTable.clear();
    mRejections.clear();
    return Commit(ParseText(text, fileName));
}

bool GameStats::Commit(bool parsed) {
    if (!parsed) {
        mTable.clear();
        return false;
    }
    CommitGridSettings(std::move(mTable));
    mTable.clear();
    return true;
}

void GameStats::HandleElementStart(const XMLElement& element) {
    if (element.mName != "grid") {
        return;
    }
    GridSettings settings;
    settings.mHints = GetAttributeInt("hints");
    settings.mHintReward = GetAttributeInt("hint-reward");
    settings.mMistakes = GetAttributeInt("mistakes");
    settings.mOffsetX = GetAttributeInt("offset-x");
    settings.mOffsetY = GetAttributeInt("offset-y");
    const int size = GetAttributeInt("size");
    // The hint meter divides by "hints" and the grid by its size: reject values that would
    // only fail later, far from the file that caused them.
    if (size < 1 || size > kLargestGrid) {
        Reject(StrFormat("A \"grid\" needs a \"size\" from 1 to %d (got %d)", kLargestGrid, size));
        return;
    }
    if (settings.mHints < 1) {
        Reject(StrFormat("The \"grid\" of size %d needs \"hints\" of at least 1 (got %d)", size,
                         settings.mHints));
        return;
    }
    if (settings.mHintReward < 0 || settings.mMistakes < 0) {
        Reject(StrFormat("The \"grid\" of size %d has a negative \"hint-reward\" or \"mistakes\"",
                         size));
        return;
    }
    mTable[size] = settings;
}

void GameStats::Reject(const std::string& message) {
    // One bad grid costs that grid only, as one bad puzzle costs that puzzle.
    const std::string line = StrFormat("%s; it is left out on Line %d in File '%s'",
                                       message.c_str(), GetCurrentLine(), GetCurrentFile().c_str());
    LogWarning("%s", line.c_str());
    mRejections.push_back(line);
}
