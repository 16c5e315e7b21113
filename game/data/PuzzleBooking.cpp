#include "game/data/PuzzleBooking.h"

#include <algorithm>

#include "core/expr/NamedConstants.h"
#include "game/data/ProfileManager.h"
#include "game/data/ProgressRules.h"
#include "game/data/PuzzleCatalog.h"

namespace {

// The progress of a puzzle, the lists grown to hold it and the rest of its set's catalogue.
PuzzleProgress* GrowToHold(PlayerState& state, const std::string& game, const PuzzleId& id) {
    if (id.mMode < 0 || id.mMode >= kModeCount || id.mSet < 0 || id.mIndex < 0) {
        return nullptr;
    }
    std::vector<SetProgress>& sets = state.mProgress[static_cast<size_t>(id.mMode)];
    if (sets.size() <= static_cast<size_t>(id.mSet)) {
        sets.resize(static_cast<size_t>(id.mSet) + 1);
    }
    std::vector<PuzzleProgress>& puzzles = sets[static_cast<size_t>(id.mSet)].mPuzzles;
    const size_t count =
        std::max(static_cast<size_t>(id.mIndex) + 1,
                 static_cast<size_t>(CountCatalogPuzzles(game, id.mMode, id.mSet)));
    if (puzzles.size() < count) {
        puzzles.resize(count);
    }
    return &puzzles[static_cast<size_t>(id.mIndex)];
}

}  // namespace

bool IsTutorialPuzzle(const std::string& game, const PuzzleId& id) {
    return game == kDefaultGameName && id.mMode == 0 && id.mSet == 0;
}

PuzzleBooking RecordSolvedPuzzle(PlayerState& state, const FinishedPuzzle& solved,
                                 int setsBeforeExtraPuzzles) {
    PuzzleBooking booking;
    const PuzzleId& id = solved.mId;
    PuzzleProgress* progress = GrowToHold(state, solved.mGame, id);
    if (progress == nullptr) {
        return booking;
    }
    booking.mBooked = true;
    booking.mBefore = *progress;
    booking.mFirstCompletion = !progress->mCompleted;
    if (progress->mBestTime == 0 || solved.mSeconds < progress->mBestTime) {
        progress->mBestTime = solved.mSeconds;
    }
    progress->mWithoutHints = solved.mHintsUsed == 0;
    progress->mWithoutMistakes = solved.mMistakes == 0;

    const int puzzleCount = CountCatalogPuzzles(solved.mGame, id.mMode, id.mSet);
    const bool tutorial = IsTutorialPuzzle(solved.mGame, id);
    BookFinishedPuzzle(state, id, puzzleCount);
    SetProgress& set = *state.FindSet(id.mMode, id.mSet);
    if (tutorial) {
        // The tutorial leads straight on to its next puzzle, whichever one was solved.
        set.mUnlock = std::max(set.mUnlock, std::min(id.mIndex + 2, puzzleCount));
    }
    const bool lastOfSet = id.mIndex == puzzleCount - 1;
    if (!lastOfSet || !(booking.mFirstCompletion || tutorial)) {
        return booking;
    }
    booking.mOpenedSet =
        OpenNextSet(state, id.mMode, id.mSet, CountCatalogSets(solved.mGame, id.mMode));
    if (tutorial && booking.mOpenedSet >= 0) {
        state.mCurrentCountry = booking.mOpenedSet;
    }
    if (booking.mFirstCompletion && !tutorial &&
        FinishingSetOpensBonus(id.mMode, id.mSet, setsBeforeExtraPuzzles)) {
        booking.mOpenedBonus = OpenFirstBonusSet(state);
    }
    return booking;
}

PuzzleBooking BookSolvedPuzzle(const FinishedPuzzle& solved) {
    PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr) {
        return {};
    }
    const PuzzleBooking booking =
        RecordSolvedPuzzle(*state, solved, GetConstantValue("sets_before_extra_puzzles").AsInt());
    SaveProfiles();
    return booking;
}

void PassTutorialSet(PlayerState& state) {
    if (SetProgress* tutorial = state.FindSet(0, 0)) {
        const int count = CountCatalogPuzzles(kDefaultGameName, 0, 0);
        const int puzzles = count > 0 ? count : static_cast<int>(tutorial->mPuzzles.size());
        if (static_cast<int>(tutorial->mPuzzles.size()) < puzzles) {
            tutorial->mPuzzles.resize(static_cast<size_t>(puzzles));
        }
        for (int i = 0; i < puzzles; ++i) {
            tutorial->mPuzzles[static_cast<size_t>(i)].mCompleted = true;
        }
        tutorial->mUnlock = std::max(tutorial->mUnlock, puzzles);
    }
    if (SetProgress* first = state.FindSet(0, 1)) {
        first->mUnlock = std::max(first->mUnlock, 1);
    }
}
