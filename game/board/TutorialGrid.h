#pragma once
// A play grid led by a tutorial script ("tutorial_<puzzle + 1>"). The script names, step by
// step, the cells the player must reveal or mark; those cells flash in groups, clue numbers can
// be highlighted, text popups and links appear, and the script waits until the player has done
// the step. Actions outside the step are refused with a notice. When the script ends the grid
// plays freely.

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "game/board/PlayTileGrid.h"

class HyperlinkWidget;

class TutorialGrid : public PlayTileGrid {
public:
    struct StepCell {
        int action = 0;  // 0 none, 1 reveal, 2 mark
        int groups = 0;  // bit g: flashes with group g
    };

    TutorialGrid(const std::string& game, const PuzzleId& id);
    ~TutorialGrid() override;

    const std::string& GetScriptName() const { return mScriptName; }
    const StepCell& GetStepCell(int a, int b) const;
    int GetRemaining() const { return mRemaining; }
    bool IsFreePlay() const { return mFreePlay; }
    bool IsAllMode() const { return mAllMode; }
    bool IsResumeReady() const { return mResumeReady; }
    int GetFlashGroups() const { return mFlashGroups; }
    // The group that flashes now; each shows for 100 ticks in turn.
    int GetShownGroup() const { return mFlashCounter / 100; }
    bool IsClueHighlighted(int kind, int line, int index) const;
    // Whether the script waits for the player's step ("do-tiles") or for the popup's OK ("ok").
    bool IsWaitingForTiles() const { return mWait == Wait::kTiles; }
    bool IsWaitingForOk() const { return mWait == Wait::kOk; }
    Widget* GetPopup() const { return mPopup.Get(); }
    HyperlinkWidget* GetLink(const std::string& id) const;

    // --- the tutorial's hooks into play ---
    void OnResume() override;
    bool IsActionAllowed(int a, int b, int bit) override;
    // While the script leads, only the tiles the step asks to reveal: a hint must not uncover a
    // tile of a later step, whose tip counts the tiles it still hides.
    bool MayHintReveal(int a, int b) const override;
    void OnStroke(int startA, int startB, int endA, int endB, int stepA, int stepB) override;
    void OnStrokeEnded() override;
    void DrawClueNumber(Graphics* g, float x, float y, int kind, int line, int index,
                        bool lineHighlighted) override;

    // --- the script ---
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    CommandAnswer RunCommand(const AnimationCommand& command);
    void OnScriptEnd() override;
    void OnAnimationFinished() override;
    // The popup's OK button, or a link.
    void ButtonDepress(uint32_t id) override;

    // --- operations it replaces ---
    void Update() override;
    // The step cells flash on the grid's own count while a step waits.
    bool HasScheduledWork() const override;
    void Draw(Graphics* g) override;
    void DrawOverlay(Graphics* g) override;
    void AddedToParent(WidgetContainer* parent) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void AnimationEnded(uint32_t id) override;

private:
    enum class Wait { kNone, kTiles, kOk };
    struct Link {
        WeakWidget<HyperlinkWidget> widget;
        std::string popupText;
    };

    // The script ended or has nothing left: the player goes on alone.
    void Hold();
    // Runs the script on from the command after the one it stopped at.
    void Resume();
    void SetPausesWhenInactive(bool pauses);
    CommandAnswer AddSteps(const AnimationCommand& command, int action);
    CommandAnswer SetHighlight(const AnimationCommand& command, bool on);
    CommandAnswer ShowPopup(const AnimationCommand& command);
    CommandAnswer AddLink(const AnimationCommand& command);
    void ClosePopup();
    StepCell& Step(int a, int b) { return mSteps[static_cast<size_t>(a * mSize + b)]; }

    std::string mScriptName;
    std::vector<StepCell> mSteps;  // [a * N + b]
    int mRemaining = 0;
    bool mFreePlay = false;
    bool mAllMode = false;
    bool mResumeReady = false;
    int mFlashGroups = 2;
    int mFlashCounter = 0;
    Wait mWait = Wait::kNone;
    bool mHintRevealing = false;
    bool mHintFinishedStep = false;  // a hint revealed the step's last cell
    std::map<std::tuple<int, int, int>, bool> mClueHighlights;
    std::map<std::string, Link> mLinks;
    WeakWidget<DynamicWidget> mLinkLayer;
    WeakWidget<Widget> mPopup;
    uint32_t mPopupOkId = 0;
    WeakWidget<DynamicWidget> mPopupLabel;
};
