#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "BoardTestSupport.h"
#include "game/board/ArtGrid.h"
#include "game/board/ArtTiles.h"
#include "game/board/PlayArtGrid.h"
#include "game/board/PlayTileGrid.h"
#include "game/board/PuzzleIcon.h"
#include "game/board/SmallArtGrid.h"
#include "game/data/PlayerState.h"
#include "graphics/FPoint.h"
#include "graphics/Image.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/controls/ActiveWidget.h"

namespace {

class PictureTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        SetConstant("art_reveal_speed", ExprValue::FromInt(25));
        SetConstant("art_reveal_delay", ExprValue::FromInt(30));
        AddTestImage("ArtTiles", 64, 64, 14, 1);
        LoadArtTiles();
        int mode = 0, set = 0, puzzle = 0;
        ASSERT_TRUE(FindPuzzleOfSize(10, &mode, &set, &puzzle));
        mMode = mode, mSet = set, mPuzzle = puzzle;
        record = FindPuzzle(kDefaultGameName, {mode, set, puzzle});
    }
    void TearDown() override {
        h.manager->RemoveAllWidgets(true, true);
        h.RunUpdates(1);
        BoardTest::TearDown();
        LoadArtTiles();
    }

    PlayTileGrid* AddPlayGrid() {
        auto* grid = new PlayTileGrid(kDefaultGameName, {mMode, mSet, mPuzzle});
        h.manager->AddWidget(grid);
        return grid;
    }

    const PuzzleRecord* record = nullptr;
    int mMode = 0, mSet = 0, mPuzzle = 0;
};

}  // namespace

TEST_F(PictureTest, ShadesGreyDownToHalf) {
    EXPECT_EQ(ArtShadeGrey(0, 4), 255);
    EXPECT_EQ(ArtShadeGrey(1, 4), 223);
    EXPECT_EQ(ArtShadeGrey(2, 4), 191);
    EXPECT_EQ(ArtShadeGrey(3, 4), 159);
    EXPECT_EQ(ArtShadeGrey(2, 0), 255);  // no shades: nothing to divide by
    EXPECT_EQ(GetArtTiles().codeCount, 56);
}

TEST_F(PictureTest, RevealStepsRunFromDelayAndEndAfterTheFade) {
    PlayArtGrid art(*record, nullptr);
    const int n = art.GetSize();
    ASSERT_EQ(n, 10);
    std::vector<int> steps;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            steps.push_back(art.GetRevealStep(a, b));
        }
    }
    std::vector<int> sorted = steps;
    std::sort(sorted.begin(), sorted.end());
    for (int k = 0; k < n * n; ++k) {
        EXPECT_EQ(sorted[static_cast<size_t>(k)], (20 * (k + 1)) / 10 + 30);
    }
    EXPECT_EQ(sorted.front(), 32);
    EXPECT_EQ(sorted.back(), 230);
    EXPECT_EQ(art.GetEndStep(), 255);
    EXPECT_NE(steps, sorted);  // shuffled
}

TEST_F(PictureTest, TilesFadeInOverTheRevealSpeed) {
    auto* art = new PlayArtGrid(*record, nullptr);
    h.manager->AddWidget(art);
    const int step = art->GetRevealStep(3, 4);
    while (art->GetStepCounter() < step) {
        EXPECT_EQ(art->GetTileAlpha(3, 4), 0);
        h.RunUpdates(1);
    }
    EXPECT_EQ(art->GetTileAlpha(3, 4), 0);
    h.RunUpdates(10);
    EXPECT_EQ(art->GetTileAlpha(3, 4), 102);
    h.RunUpdates(15);
    EXPECT_EQ(art->GetTileAlpha(3, 4), 255);
    h.RunUpdates(1);
    EXPECT_EQ(art->GetTileAlpha(3, 4), 255);
}

TEST_F(PictureTest, RevealEndsByFadingThePlayGridOnce) {
    PlayTileGrid* grid = AddPlayGrid();
    auto* art = new PlayArtGrid(*record, grid);
    h.manager->AddWidget(art);
    EXPECT_EQ(art->mX, grid->mX);
    EXPECT_EQ(art->mY, grid->mY);
    // One acted-on tile with a picture object to fade.
    grid->GetModel().SetAction(PlayModel::kReveal);
    int delay = 0;
    grid->ActOnCell(2, 3, delay);
    AnimationWidget* tile = grid->GetTileWidget(2, 3);
    ASSERT_NE(tile, nullptr);
    int ticks = 0;
    while (!art->StepArtReveal()) {
        h.RunUpdates(1);
        ++ticks;
    }
    EXPECT_EQ(ticks, 256);
    EXPECT_FALSE(art->HasScheduledWork()) << "the whole picture stands still";
    ASSERT_NE(tile->GetVariables().Find("tile_x"), nullptr);
    EXPECT_EQ(tile->GetVariables().Find("tile_x")->AsInt(), 2);
    ASSERT_NE(tile->GetCurrentAnimation(), nullptr);
    EXPECT_EQ(tile->GetCurrentAnimation()->mName, "fade_tile");
    // Later calls do not start the fade again.
    tile->GetVariables().Set("tile_x", ExprValue::FromInt(-7));
    EXPECT_TRUE(art->StepArtReveal());
    EXPECT_EQ(tile->GetVariables().Find("tile_x")->AsInt(), -7);
}

TEST_F(PictureTest, RevealOutlivesThePlayGrid) {
    PlayTileGrid* grid = AddPlayGrid();
    auto* art = new PlayArtGrid(*record, grid);
    h.manager->AddWidget(art);
    grid->MarkForRemoval();
    h.RunUpdates(300);
    EXPECT_TRUE(art->StepArtReveal());
    h.Draw();
}

TEST_F(PictureTest, EmptyPictureDrawsNothingAndReadsNothingOutOfRange) {
    PuzzleRecord bare = *record;
    bare.mPicture.clear();
    auto* art = new PlayArtGrid(bare, nullptr);
    h.manager->AddWidget(art);
    EXPECT_EQ(art->GetSize(), 10);
    EXPECT_EQ(art->GetCode(0, 0), -1);
    EXPECT_EQ(art->GetCode(9, 9), -1);
    EXPECT_EQ(art->GetCode(10, 0), -1);
    h.RunUpdates(300);
    EXPECT_TRUE(art->StepArtReveal());
    h.Draw();

    // A picture smaller than the grid is padded with empty cells.
    PuzzleRecord ragged = *record;
    ragged.mPicture.resize(3);
    ragged.mPicture[1].resize(2);
    ArtGrid small(ragged);
    EXPECT_EQ(small.GetCode(1, 5), -1);
    EXPECT_EQ(small.GetCode(0, 5), record->mPicture[0][5]);
    EXPECT_EQ(small.GetCode(7, 7), -1);
}

TEST_F(PictureTest, SmallGridShowsFrameUntilSolvedThenOnlyThePicture) {
    PlayerState player;
    player.mCurrentGameName = "pelnora7";
    player.MakeCurrent();
    AddTestImage("SmallGrid10_pelnora7", 206, 206);
    auto* unsolved = new SmallArtGrid(*record, 700, 300, false);
    auto* solved = new SmallArtGrid(*record, 700, 300, true);
    h.manager->AddWidget(unsolved);
    h.manager->AddWidget(solved);
    EXPECT_EQ(unsolved->mX, 700);
    EXPECT_EQ(unsolved->mY, 300);
    EXPECT_EQ(unsolved->mWidth, 206);
    EXPECT_DOUBLE_EQ(unsolved->GetCellSize(), 20.0);
    EXPECT_TRUE(unsolved->ShowsFrame());
    EXPECT_FALSE(unsolved->ShowsPicture());
    EXPECT_FALSE(solved->ShowsFrame());
    EXPECT_TRUE(solved->ShowsPicture());
    h.Draw();
    h.manager->RemoveAllWidgets(true, true);
    h.RunUpdates(1);
    ClearCurrentPlayerState();
}

TEST_F(PictureTest, SmallGridWithoutItsImageStaysEmpty) {
    auto* grid = new SmallGrid(15);
    h.manager->AddWidget(grid);
    EXPECT_EQ(grid->GetCellSize(), 0.0);
    h.Draw();
}

TEST_F(PictureTest, PuzzleIconIsCentredAndSparklesWhenNew) {
    auto* icon = new PuzzleIcon(100, 200, *record, false);
    auto* fresh = new PuzzleIcon(100, 200, *record, true);
    h.manager->AddWidget(icon);
    h.manager->AddWidget(fresh);
    EXPECT_EQ(icon->mX, 77);
    EXPECT_EQ(icon->mY, 177);
    EXPECT_EQ(icon->mWidth, 46);
    ASSERT_NE(icon->GetImage(), nullptr);
    EXPECT_EQ(icon->GetImage()->GetWidth(), 46);
    EXPECT_EQ(icon->GetChildren().size(), 0u);
    ASSERT_EQ(fresh->GetChildren().size(), 1u);
    h.RunUpdates(2);
    h.Draw();
}

TEST_F(PictureTest, ANewPuzzlesSparklesTwinkleThroughTheStripOnItsCorners) {
    AddTestImage("Sparkle", 32, 32, 4, 1);
    auto* fresh = new PuzzleIcon(100, 200, *record, true);
    h.manager->AddWidget(fresh);
    ASSERT_EQ(fresh->GetChildren().size(), 1u);
    auto* sparkles = dynamic_cast<AnimationWidget*>(fresh->GetChildren().front());
    ASSERT_NE(sparkles, nullptr);
    h.RunUpdates(20);
    std::vector<DynamicWidget*> stars;
    for (const char* name : {"sparkle1", "sparkle2"}) {
        const ExprValue* value = sparkles->GetVariables().Find(name);
        auto* star = value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
        ASSERT_NE(star, nullptr) << name;
        ASSERT_NE(star->GetImage(), nullptr) << name;
        EXPECT_EQ(star->GetImage()->GetName(), "Sparkle") << name;
        stars.push_back(star);
    }
    // Centred on the top right and the bottom left of the 46-pixel icon.
    const auto centre = [](const DynamicWidget* star) {
        return FPoint(star->mX + star->mWidth / 2.0f, star->mY + star->mHeight / 2.0f);
    };
    EXPECT_GT(centre(stars[0]).mX, 23.0f);
    EXPECT_LT(centre(stars[0]).mY, 23.0f);
    EXPECT_LT(centre(stars[1]).mX, 23.0f);
    EXPECT_GT(centre(stars[1]).mY, 23.0f);
    // Each runs through all four frames and starts again.
    std::vector<int> seen;
    for (int i = 0; i < 40; ++i) {
        h.RunUpdates(1);
        seen.push_back(stars[0]->mFrames.mFrame);
    }
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_NE(std::find(seen.begin(), seen.end(), frame), seen.end()) << frame;
    }
    h.Draw();
}

TEST(ActiveWidgetLayout, AnchoredAroundX) {
    WidgetHarness h;
    AddTestImage("probe_btn", 60, 20, 1, 4);
    auto* centred = new ActiveWidget(200, 50, "probe_btn", 0);
    auto* shifted = new ActiveWidget(200, 50, "probe_btn", 1);
    auto* other = new ActiveWidget(400, 50, "probe_btn", 0);
    h.manager->AddWidget(centred);
    h.manager->AddWidget(shifted);
    h.manager->AddWidget(other);
    EXPECT_EQ(centred->mX, 170);
    EXPECT_EQ(shifted->mX, 140);
    EXPECT_EQ(centred->GetAnchorX(), 170);
    centred->Move(10, 10);
    centred->MoveToAnchor();
    EXPECT_EQ(centred->mX, 170);
    EXPECT_EQ(centred->mY, 50);
    // Raised above its siblings when pressed.
    centred->SetRaiseOnPress(true);
    h.Click(215, 55);
    EXPECT_EQ(h.manager->GetChildren().back(), centred);
    h.manager->RemoveAllWidgets(true, true);
    h.RunUpdates(1);
    AssetManager::Get().Clear();
}
