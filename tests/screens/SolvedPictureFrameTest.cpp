// The solved picture on the level-complete page, for every board size: played to the end in the
// whole game, the picture lies inside its frame, on the sheet the ink reveal eats away, whatever
// the board's cell size was. Golden images of the frame under tests/screens/golden/
// (P7_UPDATE_GOLDEN=1 rewrites them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "GameSession.h"
#include "game/board/PlayArtGrid.h"
#include "game/board/PlayTileGrid.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/LevelCompleteMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"
#include "widgets/WidgetManager.h"

namespace {

// The page's sheet that the ink reveal eats ("ink_sheet" at 50, 164, 440 wide) and the brass
// rim around the paper, as the level-complete script places them.
constexpr int kSheetX = 50, kSheetY = 164, kSheetSide = 440;
constexpr int kRimX = 36, kRimY = 150, kRimSide = 468;

void PastTheTutorial(PlayerState& state) {
    state.mSeenTutorial = true;
    state.mDisableTips = true;
    state.mMadeMistake = true;
    state.mSeenHint = true;
    for (PuzzleProgress& puzzle : state.mProgress[0][0].mPuzzles) {
        puzzle.mCompleted = true;
    }
    state.mProgress[0][0].mIntroduced = true;
    state.mProgress[0][0].mUnlock = static_cast<int>(state.mProgress[0][0].mPuzzles.size());
}

// The first story puzzle past the tutorial set with an n x n board.
bool FindStoryPuzzle(int n, PuzzleId* id) {
    for (int s = 1; s < CountCatalogSets(kDefaultGameName, 0); ++s) {
        for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, 0, s); ++p) {
            if (FindPuzzle(kDefaultGameName, {0, s, p})->GetGridSize() == n) {
                *id = {0, s, p};
                return true;
            }
        }
    }
    return false;
}

PlayArtGrid* FindArt(const WidgetContainer* root) {
    for (Widget* child : root->GetChildren()) {
        if (auto* art = dynamic_cast<PlayArtGrid*>(child)) {
            return art;
        }
        if (PlayArtGrid* art = FindArt(child)) {
            return art;
        }
    }
    return nullptr;
}

class SolvedPictureFrameTest : public ::testing::TestWithParam<int> {
protected:
    std::unique_ptr<ImageSurface> DrawScreen() {
        auto target = std::make_unique<ImageSurface>(true);
        target->Create(1024, 768);
        Graphics g(target.get());
        session->app->GetWidgetManager()->DrawPassA(&g);
        return target;
    }

    std::unique_ptr<GameSession> session;
};

}  // namespace

TEST_P(SolvedPictureFrameTest, ThePictureFillsTheSheetInsideItsFrame) {
    const int n = GetParam();
    session = std::make_unique<GameSession>(MakeProfilesXml("Ann", PastTheTutorial));
    ASSERT_TRUE(session->Start());
    PuzzleId id;
    ASSERT_TRUE(FindStoryPuzzle(n, &id)) << n;
    OpenPuzzleLoading(kDefaultGameName, id, false);
    PlayPuzzleMenu* play = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        play = session->FindMenu<PlayPuzzleMenu>();
        return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying;
    }));
    PlayTileGrid* grid = play->GetGrid();
    const PlayModel& model = grid->GetModel();
    const FPoint origin = grid->LocalToGlobal();
    const int t = grid->GetTileSize();
    for (int a = 0; a < model.GetSize(); ++a) {
        for (int b = 0; b < model.GetSize(); ++b) {
            if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                session->Click(static_cast<int>(origin.mX) + a * t + t / 2,
                               static_cast<int>(origin.mY) + b * t + t / 2);
            }
        }
    }
    LevelCompleteMenu* complete = nullptr;
    ASSERT_TRUE(session->StepUntil([&] {
        complete = session->FindMenu<LevelCompleteMenu>();
        return complete != nullptr && complete->GetPrimaryButton() != nullptr;
    }));
    ASSERT_TRUE(session->StepUntil(
        [&] { return !session->app->GetWidgetManager()->HasScheduledWork(); }, 1500));
    PlayArtGrid* art = FindArt(complete);
    ASSERT_NE(art, nullptr);
    auto* holder = dynamic_cast<Widget*>(art->mParent);
    ASSERT_NE(holder, nullptr);

    // Every pixel the picture changes lies on the sheet, whatever the board's cell size.
    const std::unique_ptr<ImageSurface> page = DrawScreen();
    holder->mVisible = false;
    const std::unique_ptr<ImageSurface> bare = DrawScreen();
    holder->mVisible = true;
    const std::vector<uint32_t>& with = page->GetPixelData();
    const std::vector<uint32_t>& without = bare->GetPixelData();
    ASSERT_EQ(with.size(), without.size());
    int outside = 0, inside = 0;
    int left = 1024, top = 768, right = -1, bottom = -1;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const size_t i = static_cast<size_t>(y * 1024 + x);
            if (with[i] == without[i]) {
                continue;
            }
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            const bool onSheet = x >= kSheetX && x < kSheetX + kSheetSide && y >= kSheetY &&
                                 y < kSheetY + kSheetSide;
            (onSheet ? inside : outside) += 1;
        }
    }
    EXPECT_EQ(outside, 0) << n << "x" << n << ": the picture spans (" << left << ", " << top
                          << ") to (" << right << ", " << bottom << ")";
    // It fills the sheet rather than shrinking into a corner: the picture's cells are what
    // the sheet holds, so its drawn span is the sheet's within a cell.
    EXPECT_GT(inside, 0);
    const int cell = kSheetSide / n;
    EXPECT_LE(right - left, kSheetSide);
    EXPECT_GE(right - left + 1, kSheetSide - 2 * cell) << n;

    // The frame as the player sees it.
    const std::string name = "level_complete_picture_" + std::to_string(n);
    const std::vector<uint32_t>& pixels = with;
    std::vector<uint32_t> crop(static_cast<size_t>(kRimSide * kRimSide));
    for (int y = 0; y < kRimSide; ++y) {
        for (int x = 0; x < kRimSide; ++x) {
            crop[static_cast<size_t>(y * kRimSide + x)] =
                pixels[static_cast<size_t>((kRimY + y) * 1024 + kRimX + x)] | 0xFF000000u;
        }
    }
    const std::string path = std::string(P7_SOURCE_DIR) + "/tests/screens/golden/" + name + ".png";
    const char* update = std::getenv("P7_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(WritePngFile(path, kRimSide, kRimSide, crop));
        return;
    }
    const std::string actual = std::string(P7_BINARY_DIR) + "/" + name + ".png";
    DecodedImage expected;
    if (!ReadImageFile(path, &expected)) {
        WritePngFile(actual, kRimSide, kRimSide, crop);
        FAIL() << "no expected image " << path << "; this run's image is " << actual;
    }
    ASSERT_EQ(expected.mWidth, kRimSide);
    ASSERT_EQ(expected.mHeight, kRimSide);
    int bad = 0;
    for (size_t i = 0; i < crop.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            const int d =
                int((crop[i] >> shift) & 0xFF) - int((expected.mPixels[i] >> shift) & 0xFF);
            if (d > 3 || d < -3) {
                ++bad;
                break;
            }
        }
    }
    if (bad > 0) {
        WritePngFile(actual, kRimSide, kRimSide, crop);
        ADD_FAILURE() << name << ": " << bad << " pixels differ; this run's image is " << actual;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBoardSize, SolvedPictureFrameTest, ::testing::Values(5, 10, 15, 20),
                         [](const ::testing::TestParamInfo<int>& size) {
                             return "Grid" + std::to_string(size.param);
                         });
