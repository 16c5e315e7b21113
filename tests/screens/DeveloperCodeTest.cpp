// The developer codes, typed on a menu or selected as a profile's name, through the real game,
// each checked on the saved "profiles.xml".

#include <gtest/gtest.h>

#include "GameSession.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"

namespace {

void ExpectEverySetOpen(const PlayerState& state, bool allPuzzlesDone) {
    for (int mode = 0; mode < kModeCount; ++mode) {
        const auto& sets = state.mProgress[static_cast<size_t>(mode)];
        ASSERT_EQ(static_cast<int>(sets.size()), CountCatalogSets(kDefaultGameName, mode));
        for (size_t set = 0; set < sets.size(); ++set) {
            const int puzzles = CountCatalogPuzzles(kDefaultGameName, mode, static_cast<int>(set));
            if (allPuzzlesDone) {
                EXPECT_EQ(sets[set].mUnlock, puzzles) << mode << "/" << set;
                for (const PuzzleProgress& puzzle : sets[set].mPuzzles) {
                    EXPECT_TRUE(puzzle.mCompleted) << mode << "/" << set;
                }
            } else {
                EXPECT_GE(sets[set].mUnlock, 1) << mode << "/" << set;
            }
        }
    }
}

}  // namespace

TEST(DeveloperCodes, PirdanuxTypedOnAMenuCompletesEveryPuzzleAndSavesAtOnce) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    ASSERT_NE(session.app->GetActiveMenu(), nullptr);
    // Seven letters of it are not the code.
    session.Type("pirdanu");
    EXPECT_FALSE(GetCurrentPlayerState()->mProgress[0][1].mUnlock > 0);
    session.Type("x");
    const SavedProfiles saved = session.ReadSaved();
    ASSERT_TRUE(saved.read);
    ASSERT_EQ(saved.profiles[0].mName, "Ann");
    ExpectEverySetOpen(saved.profiles[0].mState, true);
}

TEST(DeveloperCodes, DorpazikQuitsWithoutRewritingTheProfiles) {
    GameSession session(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session.Start());
    // A save the player made, then a change that only lives in memory.
    ASSERT_TRUE(SaveProfiles());
    const std::string before = ReadWholeFile(session.ProfilesPath());
    GetCurrentPlayerState()->mProgress[0][3].mUnlock = 4;
    session.Type("dorpazik");
    EXPECT_TRUE(session.app->IsQuitRequested());
    EXPECT_FALSE(session.app->GetSaveProfilesAtExit());
    session.End();
    EXPECT_EQ(ReadWholeFile(session.ProfilesPath()), before);
}

TEST(DeveloperCodes, AProfileNamedLikeACodeActsWhenItIsSelectedAtStartUp) {
    GameSession session(MakeProfilesXml("tebrofal", nullptr));
    ASSERT_TRUE(session.Start());
    const SavedProfiles saved = session.ReadSaved();
    ASSERT_TRUE(saved.read);
    ASSERT_EQ(saved.profiles[0].mName, "tebrofal");
    EXPECT_EQ(saved.selected, 0);
    ExpectEverySetOpen(saved.profiles[0].mState, false);
    // Only the unlocks changed: nothing was marked complete.
    EXPECT_FALSE(saved.profiles[0].mState.mProgress[0][1].mPuzzles[0].mCompleted);
}
