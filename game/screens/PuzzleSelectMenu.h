#pragma once
// The puzzles of one set (story or bonus) as buttons in three looks (complete, open, locked),
// with a preview of the hovered puzzle (its picture when solved, its name, best time and stars)
// and a flash on the newest open puzzle, whose preview shows on arrival. A puzzle just solved
// (booked when it was solved) shows as new, and a finished set moves on to the map, or after the
// last story set to the closing letter. The scripts "<mode>_puzzle_menu_<game>" and
// "<mode>_puzzle_select_<game>" (mode "story" or "bonus") lay it out; "display_preview" fills it.
// Main thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "menus/Menu.h"

class AnimationWidget;
class TextLabel;

class PuzzleSelectMenu : public Menu {
public:
    // What finishedPuzzle holds besides the index of a puzzle just solved.
    static constexpr int kOpenedPlainly = -1;
    static constexpr int kFromFailScreen = -2;

    struct Entry {
        int mGridSize = 0;
        std::string mLabel;  // "3-A", "X1-C"
        std::string mName;   // the puzzle's name (a localized-text id)
        uint32_t mButtonLiveId = 0;
        uint32_t mPreviewLiveId = 0;  // 0 for a locked puzzle
        int mBestTime = -1;           // seconds; -1 when not completed
        bool mCompleted = false;
    };

    PuzzleSelectMenu(const std::string& gameName, int mode, int set, int finishedPuzzle,
                     bool noTransition);

    // "puzzle_select_transition", unless opened without a transition.
    Widget* CreateTransition() override;
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    // No updates of its own: at rest whenever its script and widgets are.
    bool HasScheduledWork() const override;
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    // "transition_complete", "puzzle_animation_complete" and "bring_puzzle_forward" from the
    // screen's widgets (also accepted as named events).
    void AnimationEvent(uint32_t id, const std::string& message) override;
    void ButtonDepress(uint32_t id) override;
    void ButtonMouseEnter(uint32_t id) override;
    void ButtonMouseLeave(uint32_t id) override;

    const std::vector<Entry>& GetEntries() const { return mEntries; }
    int GetShownEntry() const { return mShown; }
    int GetCompletedSetMarker() const { return mCompletedSet; }
    int GetAvailable() const { return mAvailable; }
    TextLabel* GetNameLabel() const;
    TextLabel* GetTimeLabel() const;
    Widget* GetEntryButton(int i) const;
    Widget* GetFlashWidget() const;
    const std::string& GetImageName(int which) const { return mImageNames[which]; }

private:
    enum ImageSlot { kIncomplete = 0, kComplete = 1, kCurrent = 2, kFlash = 3 };

    std::string ModeWord() const;
    void SetCurrentSet(int set);
    void AddPuzzleButton(int puzzle, int x, int y, int previewX, int previewY);
    void CreatePreview();
    void SetPuzzleImages();
    void PuzzleLoadingDone();
    void ShowPuzzleInfo(int i);
    // ShowPuzzleInfo for a puzzle the pointer brings to the page; the star text is cleared.
    void ShowHoveredInfo(int i);
    // Whether the newest open puzzle glows (it lies within the open ones, is not solved yet).
    bool Glows() const;
    // The entry the page shows at rest: the glowing puzzle, else the one just solved, else the
    // last solved one; -1 for none.
    int RestingEntry() const;
    // Whether the puzzle just solved finished the set (read only: the solve is already booked).
    void NoteFinishedSet();
    void Refresh();
    void DisplayPreview();
    void HandleScreenEvent(const std::string& message);
    int FindEntry(uint32_t widgetId) const;
    AnimationWidget* GetInfoWidget() const;
    AnimationWidget* GetPreviewHolder() const;
    int PuzzleCount() const;

    std::string mGameName;
    int mMode;
    int mSet;
    int mFinishedPuzzle;
    bool mNoTransition;
    int mCompletedSet = -1;
    int mAvailable = 0;
    std::vector<Entry> mEntries;
    int mShown = -1;
    int mLastCompleted = -1;
    int mFirstOpen = -1;
    uint32_t mPreviewHolderLiveId = 0;
    uint32_t mNameLabelLiveId = 0;
    uint32_t mTimeLabelLiveId = 0;
    uint32_t mInfoLiveId = 0;
    uint32_t mFlashLiveId = 0;
    std::string mImageNames[4] = {"ui_Puzzle_Incomplete", "ui_Puzzle_Complete", "ui_Puzzle_Current",
                                  ""};
    bool mReady = true;
    bool mFinishNoted = false;
    bool mLeaving = false;
};
