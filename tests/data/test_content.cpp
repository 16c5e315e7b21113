// The shipped content read by the game's own readers: every file loads, no puzzle is left out,
// and the files agree with each other.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "DataTestUtil.h"
#include "game/data/GameDataCheck.h"
#include "game/data/ProgressRules.h"

namespace {

class ShippedContentTest : public datatest::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        const char* source = std::getenv("P7_SOURCE_DIR");
        mContent = std::string(source != nullptr ? source : ".") + "/content";
        if (!std::filesystem::exists(mContent + "/properties/" + PuzzleStats::kFileName)) {
            GTEST_SKIP() << "no shipped catalogue under " << mContent;
        }
        char old[4096];
        ASSERT_NE(getcwd(old, sizeof old), nullptr);
        mOldFolder = old;
        ASSERT_EQ(chdir(mContent.c_str()), 0);
    }
    void TearDown() override {
        if (!mOldFolder.empty()) {
            EXPECT_EQ(chdir(mOldFolder.c_str()), 0);
        }
        DataTest::TearDown();
    }

    std::string mContent;
    std::string mOldFolder;
};

TEST_F(ShippedContentTest, LoadsWholeAndAgrees) {
    PuzzleStats puzzles;
    ASSERT_TRUE(puzzles.Load()) << puzzles.GetError();
    EXPECT_TRUE(puzzles.GetRejections().empty()) << puzzles.GetRejections().front();
    GameStats grids;
    ASSERT_TRUE(grids.Load()) << grids.GetError();
    SetStats sets;
    ASSERT_TRUE(sets.Load()) << sets.GetError();
    MyLocalization names;
    ASSERT_TRUE(names.Load()) << names.GetError();

    for (const std::string& problem : CheckGameData()) {
        ADD_FAILURE() << problem;
    }
    // The picture-tile sheet has 18 shapes in 4 shades.
    for (const std::string& problem : FindPictureCodesBeyond(18 * 4)) {
        ADD_FAILURE() << problem;
    }
    ASSERT_GT(CountCatalogSets(kDefaultGameName, 0), 0);
    for (int mode = 0; mode < kModeCount; ++mode) {
        for (int set = 0; set < CountSetsInMode(kDefaultGameName, mode); ++set) {
            const SetRecord* record = GetSetRecord(kDefaultGameName, mode, set);
            ASSERT_NE(record, nullptr);
            EXPECT_GE(record->PickMusic(1), 0) << record->mName << " has no music";
            const auto* list = FindLocalizedPuzzleNames(record->mName);
            ASSERT_NE(list, nullptr) << record->mName << " has no puzzle names";
            EXPECT_EQ(static_cast<int>(list->size()),
                      CountCatalogPuzzles(kDefaultGameName, mode, set))
                << record->mName;
        }
    }
    // A new player starts with the first story set open, and a save of the real catalogue's
    // progress reads back the same.
    LoadProfiles();
    AddProfile("content");
    PlayerState& state = *GetCurrentPlayerState();
    EXPECT_EQ(CountOpenPuzzles(state, 0, 0, CountCatalogPuzzles(kDefaultGameName, 0, 0)), 1);
    state.mProgress[1].back().mPuzzles.back().mBestTime = 77;
    ASSERT_TRUE(SaveProfiles());
    const auto progress = state.mProgress;
    ClearProfiles();
    ASSERT_TRUE(LoadProfiles());
    EXPECT_EQ(GetProfileRecord(0)->mState.mProgress, progress);
}

}  // namespace
