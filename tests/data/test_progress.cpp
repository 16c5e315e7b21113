// The progress rules the screens share, and play time.

#include <gtest/gtest.h>

#include "DataTestUtil.h"
#include "game/data/ProgressRules.h"

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
