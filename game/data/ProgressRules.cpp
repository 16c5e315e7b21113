#include "game/data/ProgressRules.h"

#include <algorithm>

int CountOpenPuzzles(const PlayerState& state, int mode, int set, int puzzleCount) {
    const SetProgress* progress = state.FindSet(mode, set);
    if (progress == nullptr) {
        return 0;
    }
    return std::clamp(progress->mUnlock, 0, std::max(0, puzzleCount));
}

bool IsSetOpen(const PlayerState& state, int mode, int set) {
    const SetProgress* progress = state.FindSet(mode, set);
    return progress != nullptr && progress->mUnlock > 0;
}

bool BookFinishedPuzzle(PlayerState& state, const PuzzleId& id, int puzzleCount) {
    PuzzleProgress* solved = state.FindPuzzle(id);
    if (solved == nullptr) {
        return false;
    }
    solved->mCompleted = true;
    SetProgress& progress = *state.FindSet(id.mMode, id.mSet);
    const int open = std::clamp(progress.mUnlock, 0, std::max(0, puzzleCount));
    // Only the newest open puzzle opens another; an older one solved again opens nothing.
    if (id.mIndex != open - 1) {
        return false;
    }
    if (open < puzzleCount) {
        progress.mUnlock = open + 1;
        return false;
    }
    return true;
}

bool PassUnavailablePuzzles(PlayerState& state, int mode, int set,
                            const std::vector<bool>& unavailable) {
    const int count = static_cast<int>(unavailable.size());
    bool finished = false;
    // In order, so that a run of unavailable puzzles opens one after the other.
    for (int puzzle = 0; puzzle < count; ++puzzle) {
        const PuzzleProgress* progress = state.FindPuzzle({mode, set, puzzle});
        if (unavailable[static_cast<size_t>(puzzle)] && progress != nullptr &&
            !progress->mCompleted && puzzle < CountOpenPuzzles(state, mode, set, count)) {
            finished = BookFinishedPuzzle(state, {mode, set, puzzle}, count) || finished;
        }
    }
    return finished;
}

int OpenNextSet(PlayerState& state, int mode, int set, int setCount) {
    const int next = std::min(set + 1, setCount - 1);
    if (next <= set) {
        return -1;
    }
    SetProgress* progress = state.FindSet(mode, next);
    if (progress == nullptr) {
        return -1;
    }
    progress->mUnlock = std::max(progress->mUnlock, 1);
    return next;
}

bool FinishingSetOpensBonus(int mode, int set, int setsBeforeExtraPuzzles) {
    return mode == 0 && set + 1 == setsBeforeExtraPuzzles;
}

bool OpenFirstBonusSet(PlayerState& state) {
    SetProgress* first = state.FindSet(1, 0);
    if (first == nullptr || first->mUnlock > 0) {
        return false;
    }
    first->mUnlock = 1;
    return true;
}

int CountStorySetsNeeded(const PlayerState& state, int bonusSetUnlock) {
    return bonusSetUnlock - state.CountCompletedSets(0);
}
