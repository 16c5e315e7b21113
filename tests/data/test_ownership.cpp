// Each game-data object is a world of its own: tables read while one is installed are not seen
// through another, and destroying one leaves no dangling current player behind.

#include <gtest/gtest.h>

#include "DataTestUtil.h"
#include "game/data/GameData.h"
#include "game/data/GridSettings.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleCatalog.h"

namespace {

TEST(GameDataOwnership, TwoDataObjectsDoNotSeeEachOthersTables) {
    GameData first;
    GameData second;
    {
        ScopedGameData use(&first);
        datatest::LoadSmallCatalog();
        CommitGridSettings({{5, GridSettings{0, 0, 3, 1, 2}}});
        EXPECT_GT(CountCatalogSets(kDefaultGameName, 0), 0);
    }
    {
        ScopedGameData use(&second);
        EXPECT_EQ(CountCatalogSets(kDefaultGameName, 0), 0);
        EXPECT_EQ(FindGridSettings(5), nullptr);
        EXPECT_EQ(FindPuzzle(kDefaultGameName, {0, 0, 0}), nullptr);
    }
    {
        ScopedGameData use(&first);
        EXPECT_NE(FindPuzzle(kDefaultGameName, {0, 0, 0}), nullptr);
        ASSERT_NE(FindGridSettings(5), nullptr);
        EXPECT_EQ(FindGridSettings(5)->mMistakes, 2);
    }
}

TEST(GameDataOwnership, ScopesNestAndRestoreTheOuterData) {
    GameData outer;
    GameData inner;
    ScopedGameData useOuter(&outer);
    CommitGridSettings({{7, GridSettings{}}});
    {
        ScopedGameData useInner(&inner);
        EXPECT_EQ(&CurrentGameData(), &inner);
        EXPECT_EQ(FindGridSettings(7), nullptr);
    }
    EXPECT_EQ(&CurrentGameData(), &outer);
    EXPECT_NE(FindGridSettings(7), nullptr);
}

class GameDataLifetime : public datatest::DataTest {};

TEST_F(GameDataLifetime, DestroyingTheInstalledDataDropsItsCurrentPlayer) {
    auto data = std::make_unique<GameData>();
    InstallGameData(data.get());
    datatest::LoadSmallCatalog();
    LoadProfiles();  // no file yet: eight free slots
    AddProfile("Ann");
    SelectProfile(0);
    ASSERT_NE(GetCurrentPlayerState(), nullptr);
    data.reset();
    // The destroyed object uninstalled itself: the lookups read other data, with no player of
    // the destroyed object's.
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);
    EXPECT_TRUE(GetProfiles().empty());
}

}  // namespace
