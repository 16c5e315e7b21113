#include "game/data/PlayerState.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <utility>

#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/util/StringUtil.h"
#include "game/data/GameData.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/XmlText.h"

BasicPlayerState::BasicPlayerState(const BasicPlayerState& other) = default;

BasicPlayerState& BasicPlayerState::operator=(const BasicPlayerState& other) = default;

BasicPlayerState::~BasicPlayerState() {
    BasicPlayerState* self = this;
    CurrentGameData().mCurrentBasic.compare_exchange_strong(self, nullptr);
    if (GetGlobalVariables() == &mNamedValues) {
        SetGlobalVariables(nullptr);
    }
}

void BasicPlayerState::MakeCurrent() {
    CurrentGameData().mCurrentBasic.store(this);
    if (IsMainThread()) {
        SetGlobalVariables(&mNamedValues);
    }
}

void BasicPlayerState::AddPlayTick() {
    ++mCentiseconds;
    NormalizePlayTime();
}

void BasicPlayerState::NormalizePlayTime() {
    if (mCentiseconds < 0) {
        mCentiseconds = 0;
    }
    if (mMinutes < 0) {
        mMinutes = 0;
    }
    if (mHours < 0) {
        mHours = 0;
    }
    // Summed in 64 bits: a file may hold any int in each field, and their carries must not wrap.
    const int64_t minutes = int64_t{mMinutes} + mCentiseconds / kTicksPerMinute;
    mCentiseconds %= kTicksPerMinute;
    mMinutes = static_cast<int>(minutes % kMinutesPerHour);
    const int64_t hours = int64_t{mHours} + minutes / kMinutesPerHour;
    mHours = static_cast<int>(std::min<int64_t>(hours, INT_MAX));
}

PlayerState::PlayerState() : mGameName(kDefaultGameName), mCurrentGameName(kDefaultGameName) {
    const GameCatalog& catalog = GetGameCatalog(kDefaultGameName);
    for (size_t mode = 0; mode < mProgress.size(); ++mode) {
        for (const PuzzleSet& puzzles : catalog[mode]) {
            SetProgress set;
            set.mPuzzles.resize(puzzles.size());
            mProgress[mode].push_back(std::move(set));
        }
    }
    if (!mProgress[0].empty()) {
        mProgress[0][0].mUnlock = 1;
    }
}

PlayerState::~PlayerState() {
    PlayerState* self = this;
    CurrentGameData().mCurrentPlayer.compare_exchange_strong(self, nullptr);
}

void PlayerState::MakeCurrent() {
    BasicPlayerState::MakeCurrent();
    CurrentGameData().mCurrentPlayer.store(this);
}

int PlayerState::CountCompletedSets(int mode) const {
    if (mode < 0 || mode > 1) {
        return 0;
    }
    int count = 0;
    for (const SetProgress& set : mProgress[static_cast<size_t>(mode)]) {
        bool all = !set.mPuzzles.empty();
        for (const PuzzleProgress& puzzle : set.mPuzzles) {
            all = all && puzzle.mCompleted;
        }
        count += all ? 1 : 0;
    }
    return count;
}

int PlayerState::CountCompletedPuzzles(int mode, int set) const {
    const SetProgress* progress = FindSet(mode, set);
    if (progress == nullptr) {
        return 0;
    }
    int count = 0;
    for (const PuzzleProgress& puzzle : progress->mPuzzles) {
        count += puzzle.mCompleted ? 1 : 0;
    }
    return count;
}

bool PlayerState::HasProgress() const {
    if (mStarted || mSeenTutorial || mHours != 0 || mMinutes != 0 || mCentiseconds != 0) {
        return true;
    }
    for (const std::vector<SetProgress>& sets : mProgress) {
        for (const SetProgress& set : sets) {
            for (const PuzzleProgress& puzzle : set.mPuzzles) {
                if (puzzle.mCompleted) {
                    return true;
                }
            }
        }
    }
    return false;
}

SetProgress* PlayerState::FindSet(int mode, int set) {
    return const_cast<SetProgress*>(std::as_const(*this).FindSet(mode, set));
}

const SetProgress* PlayerState::FindSet(int mode, int set) const {
    if (mode < 0 || mode > 1 || set < 0) {
        return nullptr;
    }
    const auto& sets = mProgress[static_cast<size_t>(mode)];
    return static_cast<size_t>(set) < sets.size() ? &sets[static_cast<size_t>(set)] : nullptr;
}

PuzzleProgress* PlayerState::FindPuzzle(const PuzzleId& id) {
    return const_cast<PuzzleProgress*>(std::as_const(*this).FindPuzzle(id));
}

const PuzzleProgress* PlayerState::FindPuzzle(const PuzzleId& id) const {
    const SetProgress* progress = FindSet(id.mMode, id.mSet);
    if (progress == nullptr || id.mIndex < 0 ||
        static_cast<size_t>(id.mIndex) >= progress->mPuzzles.size()) {
        return nullptr;
    }
    return &progress->mPuzzles[static_cast<size_t>(id.mIndex)];
}

std::string PlayerState::WriteXml() const {
    std::string text = StrFormat(
        "<state seen-tutorial=\"%d\" num-hints=\"%d\" made-mistake=\"%d\" seen-hint=\"%d\" "
        "disable-tips=\"%d\" toggle-mode=\"%d\" show-numbers=\"%d\" started=\"%d\" hours=\"%d\" "
        "minutes=\"%d\" centiseconds=\"%d\">\n",
        mSeenTutorial ? 1 : 0, mNumHints, mMadeMistake ? 1 : 0, mSeenHint ? 1 : 0,
        mDisableTips ? 1 : 0, mToggleMode ? 1 : 0, mShowNumbers ? 1 : 0, mStarted ? 1 : 0, mHours,
        mMinutes, mCentiseconds);
    text += "<game name=\"" + EscapeXmlAttribute(mGameName) + "\">\n";
    text += StrFormat("<game-state current-country=\"%d\"/>\n", mCurrentCountry);
    for (const auto& sets : mProgress) {
        text += "<mode>\n";
        for (const SetProgress& set : sets) {
            text += StrFormat("<set unlock=\"%d\" introduced=\"%d\">\n", set.mUnlock,
                              set.mIntroduced ? 1 : 0);
            for (const PuzzleProgress& puzzle : set.mPuzzles) {
                text += StrFormat(
                    "<puzzle completed=\"%d\" best-time=\"%d\" without-hints=\"%d\" "
                    "without-mistakes=\"%d\"/>\n",
                    puzzle.mCompleted ? 1 : 0, puzzle.mBestTime, puzzle.mWithoutHints ? 1 : 0,
                    puzzle.mWithoutMistakes ? 1 : 0);
            }
            text += "</set>\n";
        }
        text += "</mode>\n";
    }
    text += "</game>\n</state>\n";
    return text;
}

BasicPlayerState* GetCurrentBasicPlayerState() {
    return CurrentGameData().mCurrentBasic.load();
}

PlayerState* GetCurrentPlayerState() {
    return CurrentGameData().mCurrentPlayer.load();
}

void ClearCurrentPlayerState() {
    CurrentGameData().mCurrentBasic.store(nullptr);
    CurrentGameData().mCurrentPlayer.store(nullptr);
    if (IsMainThread()) {
        SetGlobalVariables(nullptr);
    }
}

void InstallCurrentGlobals() {
    BasicPlayerState* current = CurrentGameData().mCurrentBasic.load();
    SetGlobalVariables(current != nullptr ? &current->GetNamedValues() : nullptr);
}
