#include "rules/PlayModel.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "rules/CRandShuffle.h"

PlayModel::PlayModel(CellGrid solution, int allowedMistakes)
    : mSize(static_cast<int>(solution.size())),
      mSolution(std::move(solution)),
      mAllowedMistakes(std::max(1, allowedMistakes)) {
    for (const auto& column : mSolution) {
        assert(static_cast<int>(column.size()) == mSize && "PlayModel: the grid must be square");
        (void)column;
    }
    mResolved.assign(mSize, std::vector<int>(mSize, 0));
    mClues = ComputeClueRuns(mSolution);
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            mSolidLeft += mSolution[a][b] != 0 ? 1 : 0;
        }
    }
    mLineSolution.resize(mSize);
    mLineResolved.resize(mSize);
}

PlayModel::State PlayModel::GetState() const {
    if (mMistakes >= mAllowedMistakes) {
        return State::kLost;
    }
    return mSolidLeft <= 0 ? State::kSolved : State::kPlaying;
}

PlayModel::PressResult PlayModel::Press(int a, int b, int clickCount, const PressOptions& options) {
    PressResult result;
    if (!IsInside(a, b)) {
        return result;
    }
    if (mAction != kNoAction) {
        // A second button during a stroke cancels it.
        mAction = kNoAction;
    } else if (options.disabled || mMistakes >= mAllowedMistakes) {
        mAction = kNoAction;
    } else if (clickCount < 0) {
        if (options.toggleMode) {
            result.switchTool = true;
            mAction = kNoAction;
        } else {
            mAction = options.rightClickOff ? kNoAction : kMark;
        }
    } else if (clickCount == 0) {
        mAction = kMark;
    } else {
        mAction = mTool == 0 ? kReveal : kMark;
    }
    mStroke.Begin(a, b);
    result.action = mAction;
    return result;
}

void PlayModel::EndStroke() {
    mStroke.Finish();
    mAction = kNoAction;
}

void PlayModel::AddMistake() {
    ++mMistakes;
    if (mMistakes >= mAllowedMistakes) {
        mAction = kNoAction;
    }
}

void PlayModel::CountSolvedTile() {
    --mSolidLeft;
    if (mSolidLeft <= 0) {
        mAction = kNoAction;
    }
}

PlayModel::Outcome PlayModel::Apply(int a, int b, int action) {
    if (!IsInside(a, b) || IsResolved(a, b) || (action != kReveal && action != kMark)) {
        return Outcome::kNothing;
    }
    mResolved[a][b] = 1;
    Outcome outcome;
    const bool solid = IsSolid(a, b);
    if (action == kReveal) {
        if (solid) {
            outcome = Outcome::kRevealedSolid;
            CountSolvedTile();
        } else {
            outcome = Outcome::kRevealedHole;
            AddMistake();
        }
    } else if (solid) {
        outcome = Outcome::kMarkedSolid;
        AddMistake();
        CountSolvedTile();
    } else {
        outcome = Outcome::kMarkedHole;
    }
    if (GetState() != State::kPlaying) {
        mAction = kNoAction;
    }
    UpdateClueFlags(a, b);
    return outcome;
}

PlayModel::Outcome PlayModel::ActOnCell(int a, int b, int* delay, int delayStep) {
    if (!IsInside(a, b) || IsResolved(a, b)) {
        return Outcome::kNothing;
    }
    const int action = (mAction & kReveal) != 0 ? kReveal : ((mAction & kMark) != 0 ? kMark : 0);
    if (action == kNoAction) {
        return Outcome::kNothing;
    }
    mAction = action;  // the kind applied stays, as the tutorial's checks read it
    const Outcome outcome = Apply(a, b, action);
    if (outcome != Outcome::kNothing && delay != nullptr) {
        *delay += delayStep;
    }
    return outcome;
}

std::vector<PlayModel::Outcome> PlayModel::ReleaseStroke() {
    std::vector<Outcome> outcomes;
    if (mAction != kNoAction) {
        int delay = 0;
        for (const CellPos& cell : mStroke.Cells()) {
            outcomes.push_back(ActOnCell(cell.a, cell.b, &delay));
        }
    }
    EndStroke();
    return outcomes;
}

std::vector<CellPos> PlayModel::ResolveEmptyLines() {
    std::vector<CellPos> cells;
    for (int i = 0; i < mSize; ++i) {
        if (mClues.columns[i].empty()) {
            for (int b = 0; b < mSize; ++b) {
                if (mResolved[i][b] == 0) {
                    mResolved[i][b] = 1;
                    cells.push_back({i, b});
                }
            }
        }
        if (mClues.rows[i].empty()) {
            for (int a = 0; a < mSize; ++a) {
                if (mResolved[a][i] == 0) {
                    mResolved[a][i] = 1;
                    cells.push_back({a, i});
                }
            }
        }
    }
    return cells;
}

std::vector<CellPos> PlayModel::ChooseHintCells(int count,
                                                const std::function<bool(int a, int b)>& eligible) {
    std::vector<CellPos> candidates;
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            if (mSolution[a][b] == 1 && mResolved[a][b] == 0 && (!eligible || eligible(a, b))) {
                candidates.push_back({a, b});
            }
        }
    }
    CRandShuffle(candidates);
    candidates.resize(std::min<size_t>(candidates.size(), static_cast<size_t>(std::max(0, count))));
    for (const CellPos& cell : candidates) {
        mSolution[cell.a][cell.b] |= kHintBit;
    }
    return candidates;
}

PlayModel::Outcome PlayModel::RevealHintCell(int a, int b) {
    const int saved = mAction;
    mAction = kReveal;
    const Outcome outcome = ActOnCell(a, b, nullptr);
    // A hint that ended the game leaves no stroke to go on with.
    mAction = IsPlaying() ? saved : kNoAction;
    return outcome;
}

void PlayModel::UpdateClueFlags(int a, int b) {
    for (int j = 0; j < mSize; ++j) {
        mLineSolution[j] = mSolution[a][j];
        mLineResolved[j] = mResolved[a][j];
    }
    UpdateClueDoneFlags(mClues.columns[a], mLineSolution, mLineResolved);
    for (int j = 0; j < mSize; ++j) {
        mLineSolution[j] = mSolution[j][b];
        mLineResolved[j] = mResolved[j][b];
    }
    UpdateClueDoneFlags(mClues.rows[b], mLineSolution, mLineResolved);
}
