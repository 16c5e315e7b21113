#pragma once
// The rules of playing one puzzle grid, apart from any drawing, widget or clock: strokes locked
// to an axis, reveal and mark, the clue runs' done flags, mistakes against the allowed count,
// the choice of hint tiles, and the end of the game. The play grid widget drives it from the
// pointer and adds the looks; tests and tools call it directly.

#include <functional>
#include <vector>

#include "rules/CellPos.h"
#include "rules/ClueRuns.h"
#include "rules/Stroke.h"

class PlayModel {
public:
    // Actions, also used as bits by IsActionAllowed-style checks.
    static constexpr int kNoAction = 0;
    static constexpr int kReveal = 1;
    static constexpr int kMark = 2;
    // A solution cell chosen by a hint whose reveal is on its way.
    static constexpr int kHintBit = 2;

    enum class Outcome {
        kNothing,        // resolved already, or the action is not allowed
        kRevealedSolid,  // correct reveal
        kRevealedHole,   // wrong reveal: a mistake
        kMarkedHole,     // correct mark
        kMarkedSolid,    // wrong mark: a mistake, and the cell shows as solid and counts as found
    };
    enum class State { kPlaying, kSolved, kLost };

    // What the pointer's press asked for.
    struct PressOptions {
        bool disabled = false;       // the grid takes no strokes
        bool toggleMode = false;     // the player's option: the right button switches tools
        bool rightClickOff = false;  // the screen has only the reveal tool
    };
    struct PressResult {
        int action = kNoAction;
        bool switchTool = false;  // the right button asked for the next tool
    };

    // solution: [a][b], square, 0 hole, else solid. allowedMistakes below 1 counts as 1: the
    // first mistake ends such a game (and nothing divides by it).
    PlayModel(CellGrid solution, int allowedMistakes);

    int GetSize() const { return mSize; }
    int GetSolution(int a, int b) const { return mSolution[a][b]; }
    bool IsSolid(int a, int b) const { return mSolution[a][b] != 0; }
    bool IsResolved(int a, int b) const { return mResolved[a][b] != 0; }
    bool IsInside(int a, int b) const { return a >= 0 && b >= 0 && a < mSize && b < mSize; }
    const CellGrid& GetSolutionGrid() const { return mSolution; }
    const ClueLists& GetClues() const { return mClues; }

    int GetSolidLeft() const { return mSolidLeft; }
    int GetMistakes() const { return mMistakes; }
    int GetAllowedMistakes() const { return mAllowedMistakes; }
    // Lost once the mistakes reach the allowed count, even when that same action found the last
    // solid cell; solved when no solid cell is left otherwise.
    State GetState() const;
    bool IsPlaying() const { return GetState() == State::kPlaying; }

    // --- the tool and the stroke ---
    int GetTool() const { return mTool; }
    void SetTool(int tool) { mTool = tool; }
    int GetAction() const { return mAction; }
    void SetAction(int action) { mAction = action; }
    const Stroke& GetStroke() const { return mStroke; }

    // A press on cell (a, b) with the signed click count (1, 2 left; -1, -2 right; 0 middle).
    // Chooses the stroke's action and starts it; a press outside the grid changes nothing.
    PressResult Press(int a, int b, int clickCount, const PressOptions& options);
    // The pointer moved over cell (a, b) without a stroke; true when the current cell changed.
    bool Hover(int a, int b) { return mStroke.Hover(a, b); }
    // The held pointer is over cell (a, b) (clamped, axis-locked); true when the current changed.
    bool Drag(int a, int b) { return mStroke.DragTo(a, b, mSize); }
    // The stroke's cells, start to current, for the release to act on.
    std::vector<CellPos> StrokeCells() const { return mStroke.Cells(); }
    // After the release acted on the cells: no action, and the stroke starts where it ended.
    void EndStroke();

    // --- acting on cells ---
    // Applies action (kReveal or kMark) to an untouched cell: it becomes resolved, mistakes and the
    // solid cells left are counted, the clue flags of its column and row recomputed. A resolved
    // cell is left alone (kNothing). A solve or a loss sets the action to none, so the rest of a
    // stroke does nothing.
    Outcome Apply(int a, int b, int action);
    // The plain grid's rule: reveal when the current action is reveal, mark when it is mark;
    // the current action becomes the kind applied. delay advances by delayStep when the cell was
    // acted on.
    Outcome ActOnCell(int a, int b, int* delay, int delayStep = 11);
    // Acts on every cell of the stroke with ActOnCell, then ends it; the outcomes in order.
    std::vector<Outcome> ReleaseStroke();

    // --- start of play ---
    // Resolves the cells of lines without clues as holes (column 0, row 0, column 1, ...) and
    // returns them in that order. No count or flag changes.
    std::vector<CellPos> ResolveEmptyLines();

    // --- hints ---
    // Picks up to count untouched solid cells not already chosen by a hint, and of those only
    // the ones eligible accepts (every one when it is empty), in a shuffled order (CRandShuffle),
    // and flags each so no later hint picks it again before it arrives.
    std::vector<CellPos> ChooseHintCells(int count,
                                         const std::function<bool(int a, int b)>& eligible = {});
    // A hint's reveal arrived at its cell: revealed whatever the stroke's action, which is put
    // back afterwards only while the game is still being played.
    Outcome RevealHintCell(int a, int b);

    // Recomputes the done flags of column a and row b.
    void UpdateClueFlags(int a, int b);

private:
    void AddMistake();
    void CountSolvedTile();

    int mSize = 0;
    CellGrid mSolution;
    CellGrid mResolved;
    ClueLists mClues;
    int mSolidLeft = 0;
    int mMistakes = 0;
    int mAllowedMistakes = 1;
    int mTool = 0;
    int mAction = kNoAction;
    Stroke mStroke;
    // Scratch lines for the clue flags.
    std::vector<int> mLineSolution;
    std::vector<int> mLineResolved;
};
