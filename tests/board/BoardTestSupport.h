#pragma once
// Shared set-up of the board tests: the shipped catalogue, grid settings and board scripts, and
// generated stand-ins for the board's images (plain shapes of the right sizes), on top of the UI
// harness.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/expr/NamedConstants.h"
#include "game/data/GameStats.h"
#include "game/data/GridSettings.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/PuzzleStats.h"
#include "graphics/Color.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "support/UiHarness.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

inline std::string ReadContentFile(const std::string& name) {
    std::ifstream in(std::string(P7_SOURCE_DIR) + "/content/properties/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Enters a generated image of cols x rows cells of the given cell size under name.
inline void AddTestImage(const std::string& name, int cellWidth, int cellHeight, int cols = 1,
                         int rows = 1, const Color& color = Color(200, 200, 200)) {
    auto image = std::make_shared<ImageSurface>();
    image->SetName(name);
    image->Create(cellWidth * cols, cellHeight * rows);
    image->Fill(color);
    image->SetCells(cols, rows);
    AssetManager::Get().SetImage(name, image);
}

// The shipped catalogue, grid settings and board scripts, the constants the board reads, and
// generated stand-ins for the board's images; for fixtures that are not BoardTests (GL tests).
inline void LoadBoardContent() {
    ASSERT_TRUE(
        PuzzleStats().LoadText(ReadContentFile(PuzzleStats::kFileName), PuzzleStats::kFileName));
    ASSERT_TRUE(GameStats().LoadText(ReadContentFile("game.xml"), "game.xml"));
    AnimationStats scripts(false);
    ASSERT_TRUE(scripts.ReadAll("animations_board.xml",
                                std::string(P7_SOURCE_DIR) + "/content/properties/"));
    SetConstant("max_number_count", ExprValue::FromInt(5));
    SetConstant("max_trails_count", ExprValue::FromInt(20));
    SetConstant("shades", ExprValue::FromInt(4));
    for (int size : {5, 10, 15, 20}) {
        const int tile = 400 / size;
        for (const char* format : {"Grid%d_ipad", "G%dTileHighlight_ipad", "G%dMarkHighlight_ipad",
                                   "G%dCursorHighlight_ipad", "G%dTileSolid_ipad",
                                   "G%dTileMark_ipad", "G%dTileMiss_ipad"}) {
            char name[64];
            std::snprintf(name, sizeof name, format, size);
            AddTestImage(name, tile, tile);
        }
    }
    AddTestImage("GridNumbers", 16, 16, 25, 8);
    AddTestImage("chanceLarge_ipad", 30, 30, 2, 1);
    AddTestImage("chanceSmall_ipad", 20, 20, 2, 1);
}

inline void ClearBoardContent() {
    AssetManager::Get().Clear();
    AnimationTable::Get().Clear();
    ClearPuzzleCatalog();
    ClearGridSettings();
    ClearConstants();
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(LoadBoardContent()); }
    void TearDown() override { ClearBoardContent(); }

    // The first puzzle of the catalogue with n tiles a side, as (mode, set, puzzle).
    static bool FindPuzzleOfSize(int n, int* mode, int* set, int* puzzle) {
        return FindPuzzleOfSizeIn(n, mode, set, puzzle);
    }

public:
    static bool FindPuzzleOfSizeIn(int n, int* mode, int* set, int* puzzle) {
        for (int m = 0; m < kModeCount; ++m) {
            for (int s = 0; s < CountCatalogSets(kDefaultGameName, m); ++s) {
                for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, m, s); ++p) {
                    if (FindPuzzle(kDefaultGameName, {m, s, p})->GetGridSize() == n) {
                        *mode = m, *set = s, *puzzle = p;
                        return true;
                    }
                }
            }
        }
        return false;
    }

protected:
    WidgetHarness h;
};
