// A 10 x 10 play grid drawn through OpenGL and compared with golden images under
// tests/board/golden/ (every channel within 3): mid-play (numbers, revealed and marked tiles, a
// mistake, done clues) and solved with its picture over it. P7_UPDATE_GOLDEN=1 rewrites them.

#include <memory>
#include <vector>

#include "BoardGLTestSupport.h"
#include "game/board/ArtGrid.h"
#include "game/board/ArtTiles.h"
#include "game/board/PlayArtGrid.h"
#include "game/board/PlayTileGrid.h"

namespace {

constexpr int kSide = 600;

// A sheet of cols x rows cells, each row in its own colour with a lighter square in the middle
// of every cell, so that the number states and columns show.
void AddBandedImage(const std::string& name, int cellW, int cellH, int cols, int rows,
                    const std::vector<Color>& rowColors) {
    const int width = cellW * cols, height = cellH * rows;
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color& c = rowColors[static_cast<size_t>((y / cellH) % rowColors.size())];
            const int cx = x % cellW, cy = y % cellH;
            const bool inner = cx >= cellW / 4 && cx < cellW * 3 / 4 && cy >= cellH / 4 &&
                               cy < cellH * 3 / 4 && cx - cellW / 4 <= (x / cellW) % cellW;
            const int r = inner ? 255 : c.mRed, g = inner ? 255 : c.mGreen,
                      b = inner ? 255 : c.mBlue;
            pixels[static_cast<size_t>(y * width + x)] =
                (uint32_t(c.mAlpha) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        }
    }
    auto image = std::make_shared<ImageSurface>();
    image->SetName(name);
    image->SetPixels(width, height, std::move(pixels));
    image->SetCells(cols, rows);
    AssetManager::Get().SetImage(name, image);
}

class BoardGolden : public BoardGLTest {
protected:
    void SetUp() override {
        BoardGLTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        SetConstant("art_reveal_speed", ExprValue::FromInt(25));
        SetConstant("art_reveal_delay", ExprValue::FromInt(30));
        SetConstant("highlight_color_red", ExprValue::FromInt(255));
        SetConstant("highlight_color_green", ExprValue::FromInt(240));
        SetConstant("highlight_color_blue", ExprValue::FromInt(160));
        SetConstant("highlight_color_alpha", ExprValue::FromInt(70));
        AddTestImage("Grid10_ipad", 570, 570, 1, 1, Color(52, 64, 92));
        AddTestImage("G10TileSolid_ipad", 40, 40, 1, 1, Color(236, 226, 200));
        AddTestImage("G10TileMark_ipad", 40, 40, 1, 1, Color(28, 40, 72));
        AddTestImage("G10TileMiss_ipad", 20, 20, 1, 1, Color(230, 92, 70));
        AddTestImage("G10TileHighlight_ipad", 40, 40, 1, 1, Color(120, 200, 120, 160));
        AddTestImage("G10MarkHighlight_ipad", 40, 40, 1, 1, Color(200, 120, 200, 160));
        AddTestImage("G10CursorHighlight_ipad", 40, 40, 1, 1, Color(250, 250, 250, 200));
        AddBandedImage(
            "GridNumbers", 16, 16, 25, 8,
            {Color(250, 200, 80), Color(200, 210, 230), Color(90, 110, 140), Color(250, 120, 90)});
        AddBandedImage("ArtTiles", 64, 64, 18, 1, {Color(255, 255, 255)});
        LoadArtTiles();
        int mode = 0, set = 0, puzzle = 0;
        ASSERT_TRUE(BoardTest::FindPuzzleOfSizeIn(10, &mode, &set, &puzzle));
        record = FindPuzzle(kDefaultGameName, {mode, set, puzzle});
        grid = new PlayTileGrid(kDefaultGameName, {mode, set, puzzle});
        h.manager->AddWidget(grid);
        grid->ResolveEmptyLines();
        grid->CreateClueNumbers();
        for (int i = 0; i < 400 && grid->mDisabled; ++i) {
            h.RunUpdates(1);
        }
        ASSERT_FALSE(grid->mDisabled);
        target = MakeTarget(kSide, kSide);
    }
    void TearDown() override {
        target.reset();
        BoardGLTest::TearDown();
        if (!IsSkipped()) {
            LoadArtTiles();
        }
    }

    // The grid's top-left tile at (180, 180), so the clue margins fit.
    void Render(std::initializer_list<DynamicWidget*> widgets) {
        Graphics g(target.get());
        g.SetColor(Color(20, 24, 32));
        g.FillRect(0.0f, 0.0f, float(kSide), float(kSide));
        for (DynamicWidget* widget : widgets) {
            Graphics sub(g);
            sub.Translate(180.0f + widget->mX - grid->mX, 180.0f + widget->mY - grid->mY);
            WidgetFlagState state;
            widget->DrawAll(state, &sub);
        }
    }
    // The overlay pass as the manager runs it for the grid (bands and stroke preview).
    void RenderOverlay() {
        Graphics g(target.get());
        g.Translate(180.0f, 180.0f);
        grid->DrawOverlay(&g);
    }
    void Act(int a, int b, int action) {
        grid->GetModel().SetAction(action);
        int delay = 0;
        grid->ActOnCell(a, b, delay);
        grid->GetModel().SetAction(PlayModel::kNoAction);
    }
    void Settle() {
        for (int i = 0; i < 600 && grid->HasTileAnimations(); ++i) {
            h.RunUpdates(1);
        }
    }

    const PuzzleRecord* record = nullptr;
    PlayTileGrid* grid = nullptr;
    std::unique_ptr<ImageSurface> target;
};

}  // namespace

TEST_F(BoardGolden, TenByTenMidPlay) {
    // The first column in full, a mark on every hole of the second, and one wrong mark.
    for (int b = 0; b < 10; ++b) {
        if (record->mSolution[0][b] != 0) {
            Act(0, b, PlayModel::kReveal);
        }
        if (record->mSolution[1][b] == 0) {
            Act(1, b, PlayModel::kMark);
        }
    }
    for (int b = 0; b < 10; ++b) {
        if (record->mSolution[5][b] != 0) {
            Act(5, b, PlayModel::kMark);
            break;
        }
    }
    Settle();
    Render({grid});
    ExpectGoldenIn("tests/board/golden", target.get(), "grid10_midplay", 3, 0);
}

TEST_F(BoardGolden, TenByTenSolvedWithItsPicture) {
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 10; ++b) {
            if (record->mSolution[a][b] != 0) {
                Act(a, b, PlayModel::kReveal);
            }
        }
    }
    ASSERT_TRUE(grid->IsSolved());
    Settle();
    grid->StartFadeTimer();
    auto* art = new PlayArtGrid(*record, grid);
    h.manager->AddWidget(art);
    while (art->GetStepCounter() <= art->GetEndStep()) {
        h.RunUpdates(1);
    }
    Render({grid, art});
    ExpectGoldenIn("tests/board/golden", target.get(), "grid10_solved", 3, 0);
}

TEST_F(BoardGolden, TenByTenStrokeWithCursorBands) {
    // A mark stroke held from (2, 3) to (6, 3): bands around the current cell, the stroke's
    // cells in the mark highlight, the current one in the cursor highlight.
    const int t = grid->GetTileSize();
    const int x0 = static_cast<int>(grid->mX) + 2 * t + t / 2;
    const int y0 = static_cast<int>(grid->mY) + 3 * t + t / 2;
    grid->SetTool(1);
    h.MoveTo(x0, y0);
    h.Press(x0, y0);
    h.MoveTo(x0 + 4 * t, y0 + t / 3);
    ASSERT_EQ(grid->GetModel().GetAction(), PlayModel::kMark);
    Render({grid});
    RenderOverlay();
    ExpectGoldenIn("tests/board/golden", target.get(), "grid10_stroke", 3, 0);
    h.Release(x0 + 4 * t, y0 + t / 3);
    for (int a = 2; a <= 6; ++a) {
        EXPECT_TRUE(grid->GetModel().IsResolved(a, 3)) << a;
    }
}

// A full tile beside an empty cell of the sheet, drawn larger than the sheet's cells as the
// level-complete picture is: its rim keeps the tile's own colour, no seam from the neighbour.
TEST_F(GLTest, PictureTileRimTakesNothingFromTheNeighbouringCell) {
    std::vector<uint32_t> pixels(128 * 64, 0u);
    for (int y = 0; y < 64; ++y) {
        std::fill_n(pixels.begin() + y * 128, 64, 0xFFFFFFFFu);
    }
    auto sheet = std::make_shared<ImageSurface>();
    sheet->SetName("ArtTiles");
    sheet->SetPixels(128, 64, std::move(pixels));
    sheet->SetCells(2, 1);
    AssetManager::Get().SetImage("ArtTiles", sheet);
    SetConstant("shades", ExprValue::FromInt(4));
    LoadArtTiles();
    auto target = MakeTarget(100, 100);
    {
        Graphics g(target.get());
        g.SetColor(Color(0, 0, 0));
        g.FillRect(0.0f, 0.0f, 100.0f, 100.0f);
        DrawArtTile(&g, 88.0f, 0, 0, 0);
    }
    sDevice->Flush();
    for (int x : {0, 44, 87}) {
        EXPECT_GE(target->GetPixelData()[size_t(44 * 100 + x)] & 0xFF, 250u) << x;
    }
    ClearBoardContent();
    LoadArtTiles();
}

// Every picture of the catalogue as a solved puzzle shows it: the shipped picture tiles on the
// paper of the level-complete page and the previews, one row per set. The golden image is the
// contact sheet in docs/pictures, to be looked at after any change to a picture or its tiles.
TEST_F(GLTest, EverySolvedPictureAsTheGameDrawsIt) {
    ASSERT_NO_FATAL_FAILURE(LoadBoardContent());
    const char* root = std::getenv("P7_SOURCE_DIR");
    DecodedImage tiles;
    ASSERT_TRUE(ReadImageFile(
        std::string(root != nullptr ? root : ".") + "/content/images/board/art_tiles.png", &tiles));
    auto sheet = std::make_shared<ImageSurface>();
    sheet->SetName("ArtTiles");
    sheet->SetPixels(tiles.mWidth, tiles.mHeight, std::move(tiles.mPixels));
    sheet->SetCells(18, 1);
    AssetManager::Get().SetImage("ArtTiles", sheet);
    LoadArtTiles();
    constexpr int kPicture = 120, kStep = 132, kColumns = 10;
    std::vector<std::pair<int, int>> sets;
    for (int m = 0; m < kModeCount; ++m) {
        for (int s = 0; s < CountCatalogSets(kDefaultGameName, m); ++s) {
            sets.emplace_back(m, s);
        }
    }
    auto target = MakeTarget(kColumns * kStep + 12, int(sets.size()) * kStep + 12);
    {
        Graphics g(target.get());
        g.SetColor(Color(22, 33, 58));
        g.FillRect(0.0f, 0.0f, float(target->GetWidth()), float(target->GetHeight()));
        for (size_t row = 0; row < sets.size(); ++row) {
            const auto [mode, set] = sets[row];
            for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, mode, set); ++p) {
                const CellGrid picture =
                    ArtGrid::SquaredPicture(*FindPuzzle(kDefaultGameName, {mode, set, p}));
                const float x = float(12 + (p % kColumns) * kStep), y = float(12 + row * kStep);
                g.SetColor(Color(242, 230, 201));
                g.FillRect(x, y, float(kPicture), float(kPicture));
                g.Translate(x, y);
                const int n = int(picture.size());
                for (int a = 0; a < n; ++a) {
                    for (int b = 0; b < n; ++b) {
                        DrawArtTile(&g, float(kPicture) / float(n), picture[a][b], a, b);
                    }
                }
                g.Translate(-x, -y);
            }
        }
    }
    ExpectGoldenIn("docs/pictures", target.get(), "solved_pictures", 3, 0);
    ClearBoardContent();
    LoadArtTiles();
}
