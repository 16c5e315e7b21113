#pragma once
// The screen after a solved puzzle. The solve is already booked (BookSolvedPuzzle) when it
// opens; it shows the stars of this solve against those before it and the revealed picture, tells
// of an opened bonus mode, and on "ok" decides what comes next: the next tutorial puzzle or set,
// the set's loading screen, the puzzle selection (with the solved puzzle new), the map, the bonus
// set list or the closing letter. It writes no progress. Main thread only.

#include <cstdint>
#include <functional>
#include <string>

#include "game/data/PuzzleBooking.h"
#include "game/screens/LevelStatusMenu.h"

class LevelCompleteMenu : public LevelStatusMenu {
public:
    // artGrid (may be null) is the play screen's revealed picture: it is taken out of its parent
    // without being destroyed and from then on lives inside this screen (script object "art").
    // booking: what booking the solve found and opened.
    LevelCompleteMenu(const FinishedPuzzle& solved, Widget* artGrid, const PuzzleBooking& booking);

    // The picture's reveal step, which the script waits for ("wait-for-art"): called once per
    // update while the script waits, until it answers true. Without one the wait ends at once.
    void SetArtRevealStep(std::function<bool()> step) { mArtRevealStep = std::move(step); }

    // "wait-for-art" parks the script until the reveal step is done.
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    void Update() override;
    // Busy while the solved picture is being revealed, then at rest with its script.
    bool HasScheduledWork() const override;
    // The star texts ("hint_star_text", "mistake_star_text", "complete_star_text"), and
    // "summary_shown" (also as an animation event): the notice of an opened bonus mode.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    void AnimationEvent(uint32_t id, const std::string& message) override;

    // Continue.
    void OnPrimary() override;
    // The screen has no way back: its secondary button continues too.
    void OnSecondary() override;

    bool IsChain() const { return mChain; }
    int GetNextPuzzle() const { return mNextPuzzle; }
    int GetNextSet() const { return mNextSet; }
    bool IsWaitingForArt() const { return mWaitingForArt; }

private:
    void SetStarVariables(const FinishedPuzzle& solved);
    // The notice of an opened bonus mode, at "summary_shown"; once.
    void SummaryShown();
    bool IsLastPuzzleOfSet() const;

    PuzzleBooking mBooking;
    bool mChain;
    int mNextPuzzle = -1;
    int mNextSet = -1;
    bool mWaitingForArt = false;
    bool mSummaryDone = false;
    std::function<bool()> mArtRevealStep;
};
