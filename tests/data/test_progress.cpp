// The progress rules the screens share, and play time.

#include <gtest/gtest.h>

#include <vector>

#include "DataTestUtil.h"
#include "game/data/ProgressRules.h"
#include "game/data/PuzzleBooking.h"

namespace {

class ProgressTest : public datatest::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        datatest::LoadSmallCatalog();
    }
};

TEST_F(ProgressTest, AFreshStateIsSizedFromTheCatalogueWithTheFirstSetOpen) {
    PlayerState state;
    ASSERT_EQ(state.mProgress[0].size(), 3u);
    ASSERT_EQ(state.mProgress[1].size(), 2u);
    EXPECT_EQ(state.mProgress[0][1].mPuzzles.size(), 3u);
    EXPECT_EQ(CountOpenPuzzles(state, 0, 0, 2), 1);
    EXPECT_TRUE(IsSetOpen(state, 0, 0));
    EXPECT_FALSE(IsSetOpen(state, 0, 1));
    EXPECT_FALSE(IsSetOpen(state, 1, 0));
    EXPECT_FALSE(IsSetOpen(state, 0, 7));
    EXPECT_TRUE(state.mShowNumbers);
    EXPECT_EQ(state.mGameName, "pelnora7");

    ClearPuzzleCatalog();
    PlayerState empty;  // no catalogue: no progress, and nothing indexed out of range
    EXPECT_TRUE(empty.mProgress[0].empty());
    EXPECT_EQ(CountOpenPuzzles(empty, 0, 0, 5), 0);
}

TEST_F(ProgressTest, SolvingTheNewestOpenPuzzleOpensTheNextOne) {
    PlayerState state;
    // Set 1 of the story holds three puzzles.
    state.mProgress[0][1].mUnlock = 1;
    EXPECT_FALSE(BookFinishedPuzzle(state, {0, 1, 0}, 3));
    EXPECT_TRUE(state.mProgress[0][1].mPuzzles[0].mCompleted);
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 2);
    // Solving an older puzzle again opens nothing.
    EXPECT_FALSE(BookFinishedPuzzle(state, {0, 1, 0}, 3));
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 2);
    EXPECT_FALSE(BookFinishedPuzzle(state, {0, 1, 1}, 3));
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 3);
    // The last puzzle finishes the set.
    EXPECT_TRUE(BookFinishedPuzzle(state, {0, 1, 2}, 3));
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 3);
    EXPECT_EQ(state.CountCompletedPuzzles(0, 1), 3);
    EXPECT_EQ(state.CountCompletedSets(0), 1);
    // An unlock count past the set still finishes it on its last puzzle.
    state.mProgress[0][2].mUnlock = 4;
    EXPECT_TRUE(BookFinishedPuzzle(state, {0, 2, 0}, 1));
    EXPECT_EQ(CountOpenPuzzles(state, 0, 2, 1), 1);
    // Puzzles the state does not hold change nothing.
    EXPECT_FALSE(BookFinishedPuzzle(state, {0, 1, 3}, 3));
    EXPECT_FALSE(BookFinishedPuzzle(state, {2, 0, 0}, 3));
}

// A set with puzzles that can't be played (the catalogue kept their places) is still played to
// its end: each one, once open, counts as done, whether in the middle, in a run or last.
TEST_F(ProgressTest, UnavailablePuzzlesArePassedSoTheSetCanBeFinished) {
    const struct {
        std::vector<bool> unavailable;
        std::vector<int> played;  // the playable puzzles, in the order they open
    } cases[] = {
        {{false, true, false}, {0, 2}},
        {{true, true, false}, {2}},
        {{false, false, true}, {0, 1}},
    };
    for (const auto& c : cases) {
        PlayerState state;
        state.mProgress[0][1].mUnlock = 1;  // set 1 of the story holds three puzzles
        bool finished = PassUnavailablePuzzles(state, 0, 1, c.unavailable);
        for (int puzzle : c.played) {
            ASSERT_EQ(CountOpenPuzzles(state, 0, 1, 3), puzzle + 1) << puzzle;
            finished = BookFinishedPuzzle(state, {0, 1, puzzle}, 3);
            finished = PassUnavailablePuzzles(state, 0, 1, c.unavailable) || finished;
        }
        EXPECT_TRUE(finished);
        EXPECT_EQ(state.CountCompletedPuzzles(0, 1), 3);
        EXPECT_FALSE(PassUnavailablePuzzles(state, 0, 1, c.unavailable)) << "passed once";
    }
}

TEST_F(ProgressTest, FinishingASetOpensTheNextSetAndOnceTheBonusMode) {
    PlayerState state;
    EXPECT_EQ(OpenNextSet(state, 0, 0, 3), 1);
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 1);
    // Opening an open set again never skips its first puzzle.
    state.mProgress[0][1].mUnlock = 2;
    EXPECT_EQ(OpenNextSet(state, 0, 0, 3), 1);
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 2);
    EXPECT_EQ(OpenNextSet(state, 0, 2, 3), -1);  // the last story set
    EXPECT_EQ(OpenNextSet(state, 1, 0, 2), 1);
    EXPECT_EQ(OpenNextSet(state, 0, 5, 9), -1);  // a set the state lacks

    // With "sets_before_extra_puzzles" 2, finishing story set number 2 (index 1) opens the bonus.
    EXPECT_FALSE(FinishingSetOpensBonus(0, 0, 2));
    EXPECT_TRUE(FinishingSetOpensBonus(0, 1, 2));
    EXPECT_FALSE(FinishingSetOpensBonus(1, 1, 2));
    EXPECT_TRUE(OpenFirstBonusSet(state));
    EXPECT_EQ(state.mProgress[1][0].mUnlock, 1);
    EXPECT_FALSE(OpenFirstBonusSet(state));
    EXPECT_EQ(state.mProgress[1][0].mUnlock, 1);
}

// One solve booked into a player's progress, with "sets_before_extra_puzzles" 2.
TEST_F(ProgressTest, BookingASolveRecordsItAndOpensWhatItEarnsLoweringNothing) {
    struct Case {
        const char* what;
        PuzzleId id;
        int unlockBefore;  // of the solved puzzle's set
        bool completedBefore;
        int unlockAfter;
        bool first;
        int openedSet;
        bool openedBonus;
    };
    const Case cases[] = {
        {"the newest open puzzle opens the next", {0, 1, 0}, 1, false, 2, true, -1, false},
        {"an older puzzle opens nothing", {0, 1, 0}, 3, false, 3, true, -1, false},
        {"a replay opens nothing", {0, 1, 1}, 3, true, 3, false, -1, false},
        {"the set's last opens the next set and the bonus", {0, 1, 2}, 3, false, 3, true, 2, true},
        {"a replayed last opens nothing", {0, 1, 2}, 3, true, 3, false, -1, false},
        {"a tutorial puzzle opens the next one", {0, 0, 0}, 0, false, 2, true, -1, false},
        {"the tutorial's last opens the first story set", {0, 0, 1}, 2, true, 2, false, 1, false},
        {"a bonus set's last", {1, 0, 1}, 2, false, 2, true, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerState state;
        state.mProgress[1][1].mUnlock = 1;  // an open set stays as it is
        SetProgress& set = state.mProgress[c.id.mMode][c.id.mSet];
        set.mUnlock = c.unlockBefore;
        set.mPuzzles[c.id.mIndex] = {c.completedBefore, 40, true, true};
        const PuzzleBooking booking =
            RecordSolvedPuzzle(state, {"pelnora7", c.id, 55, 1, 0}, /*setsBeforeExtraPuzzles=*/2);
        EXPECT_TRUE(booking.mBooked);
        EXPECT_EQ(booking.mBefore, (PuzzleProgress{c.completedBefore, 40, true, true}));
        EXPECT_EQ(*state.FindPuzzle(c.id), (PuzzleProgress{true, 40, true, false}));
        EXPECT_EQ(set.mUnlock, c.unlockAfter);
        EXPECT_EQ(booking.mFirstCompletion, c.first);
        EXPECT_EQ(booking.mOpenedSet, c.openedSet);
        EXPECT_EQ(booking.mOpenedBonus, c.openedBonus);
        EXPECT_EQ(state.mProgress[1][0].mUnlock > 0, c.openedBonus || c.id.mMode == 1);
        EXPECT_EQ(state.mProgress[1][1].mUnlock, 1);
        EXPECT_EQ(state.mCurrentCountry, IsTutorialPuzzle("pelnora7", c.id) && c.openedSet > 0);
    }
    // A better time replaces the best; a puzzle past the catalogue grows the lists.
    PlayerState state;
    RecordSolvedPuzzle(state, {"pelnora7", {0, 2, 3}, 30, 0, 0}, 2);
    EXPECT_EQ(*state.FindPuzzle({0, 2, 3}), (PuzzleProgress{true, 30, true, true}));
    EXPECT_FALSE(RecordSolvedPuzzle(state, {"pelnora7", {2, 0, 0}, 30, 0, 0}, 2).mBooked);
}

TEST_F(ProgressTest, PassingTheTutorialCompletesItAndLowersNothing) {
    PlayerState state;
    state.mProgress[0][0].mUnlock = 1;
    state.mProgress[0][1].mUnlock = 3;
    PassTutorialSet(state);
    EXPECT_EQ(state.CountCompletedPuzzles(0, 0), 2);
    EXPECT_EQ(state.mProgress[0][0].mUnlock, 2);
    EXPECT_EQ(state.mProgress[0][1].mUnlock, 3);
    PlayerState fresh;
    PassTutorialSet(fresh);
    EXPECT_EQ(fresh.mProgress[0][1].mUnlock, 1);
}

TEST_F(ProgressTest, StorySetsNeededForABonusSet) {
    PlayerState state;
    EXPECT_EQ(CountStorySetsNeeded(state, 3), 3);
    for (PuzzleProgress& puzzle : state.mProgress[0][0].mPuzzles) {
        puzzle.mCompleted = true;
    }
    state.mProgress[0][2].mPuzzles[0].mCompleted = true;
    EXPECT_EQ(state.CountCompletedSets(0), 2);
    EXPECT_EQ(CountStorySetsNeeded(state, 3), 1);
    EXPECT_EQ(CountStorySetsNeeded(state, 1), -1);
    // A set without puzzles is never complete.
    state.mProgress[0][1].mPuzzles.clear();
    EXPECT_EQ(state.CountCompletedSets(0), 2);
}

TEST_F(ProgressTest, PlayTimeRollsOver) {
    PlayerState state;
    state.mMinutes = 59;
    state.mCentiseconds = 5999;
    state.AddPlayTick();
    EXPECT_EQ(state.mHours, 1);
    EXPECT_EQ(state.mMinutes, 0);
    EXPECT_EQ(state.mCentiseconds, 0);
    // Past the rollover, not only exactly at it.
    state.mMinutes = 61;
    state.mCentiseconds = 6100;
    state.AddPlayTick();
    EXPECT_EQ(state.mHours, 2);
    EXPECT_EQ(state.mMinutes, 2);
    EXPECT_EQ(state.mCentiseconds, 101);
    state.mHours = 2147483647;
    state.mMinutes = 60;
    state.AddPlayTick();
    EXPECT_EQ(state.mHours, 2147483647);
    // The largest values a file can hold carry up without wrapping.
    state.mHours = 0;
    state.mMinutes = 2147483647;
    state.mCentiseconds = 2147483647;
    state.NormalizePlayTime();
    EXPECT_EQ(state.mHours, (2147483647LL + 2147483647LL / 6000) / 60);
    EXPECT_EQ(state.mMinutes, static_cast<int>((2147483647LL + 2147483647LL / 6000) % 60));
    EXPECT_EQ(state.mCentiseconds, 2147483647 % 6000);
}

TEST_F(ProgressTest, CopiesKeepNamedValuesAndCurrentnessStaysWithTheObject) {
    PlayerState state;
    state.GetNamedValues().Set("score", ExprValue::FromInt(4));
    state.MakeCurrent();
    {
        PlayerState copy = state;
        EXPECT_EQ(copy.GetNamedValues().Find("score")->AsInt(), 4);
        EXPECT_EQ(GetCurrentPlayerState(), &state);
    }
    EXPECT_EQ(GetCurrentPlayerState(), &state);
    {
        PlayerState temporary;
        temporary.MakeCurrent();
    }
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);
    EXPECT_EQ(GetCurrentBasicPlayerState(), nullptr);
}

}  // namespace
