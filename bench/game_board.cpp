// The puzzle board on a 20 x 20 grid: one stroke across the grid through the rules alone and
// through the play grid widget (press, drag, release, one update), and a fixed update of a full
// play grid at rest and while 400 tile animations run. Needs P7_SOURCE_DIR (the catalogue and
// the board scripts); the images are plain stand-ins.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/GameApp.h"
#include "core/expr/NamedConstants.h"
#include "game/board/PlayTileGrid.h"
#include "game/data/GameStats.h"
#include "game/data/GridSettings.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/PuzzleStats.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "platform/ManualClock.h"
#include "rules/PlayModel.h"
#include "widgets/WidgetManager.h"
#include "widgets/script/AnimationStats.h"

namespace {

std::string SourceDir() {
    const char* source = std::getenv("P7_SOURCE_DIR");
    return source != nullptr ? source : ".";
}

std::string ReadProperties(const std::string& name) {
    std::ifstream in(SourceDir() + "/content/properties/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void AddImage(const std::string& name, int w, int h, int cols = 1, int rows = 1) {
    auto image = std::make_shared<ImageSurface>();
    image->SetName(name);
    image->Create(w * cols, h * rows);
    image->Fill(Color(200, 200, 200));
    image->SetCells(cols, rows);
    AssetManager::Get().SetImage(name, image);
}

// The application with its update step in reach, on a manual clock.
class BenchApp : public GameApp {
public:
    BenchApp() : GameApp("Bench", "v1.2", 1024, 768) {
        SetClock(&clock);
        GetWidgetManager()->SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
    }
    void Tick() {
        UpdateFrame();
        UpdateFramesF(1.0f);
    }
    ManualClock clock;
};

// Content loaded once per process; false when the source tree is not found.
bool LoadContent() {
    static const bool loaded = [] {
        if (!PuzzleStats().LoadText(ReadProperties(PuzzleStats::kFileName),
                                    PuzzleStats::kFileName) ||
            !GameStats().LoadText(ReadProperties("game.xml"), "game.xml")) {
            return false;
        }
        SetConstant("max_number_count", ExprValue::FromInt(5));
        SetConstant("max_trails_count", ExprValue::FromInt(20));
        return true;
    }();
    return loaded;
}

bool FindTwenty(int* mode, int* set, int* puzzle) {
    for (int m = 0; m < kModeCount; ++m) {
        for (int s = 0; s < CountCatalogSets(kDefaultGameName, m); ++s) {
            for (int p = 0; p < CountCatalogPuzzles(kDefaultGameName, m, s); ++p) {
                if (FindPuzzle(kDefaultGameName, {m, s, p})->GetGridSize() == 20) {
                    *mode = m, *set = s, *puzzle = p;
                    return true;
                }
            }
        }
    }
    return false;
}

// The board's scripts and its images for 20 x 20 (an application's start empties the asset
// and script tables).
bool AddBoardContent() {
    AnimationStats scripts(false);
    if (!scripts.ReadAll("animations_board.xml", SourceDir() + "/content/properties/")) {
        return false;
    }
    for (const char* format :
         {"Grid%d_ipad", "G%dTileHighlight_ipad", "G%dMarkHighlight_ipad",
          "G%dCursorHighlight_ipad", "G%dTileSolid_ipad", "G%dTileMark_ipad", "G%dTileMiss_ipad"}) {
        char name[64];
        std::snprintf(name, sizeof name, format, 20);
        AddImage(name, 24, 24);
    }
    AddImage("GridNumbers", 16, 16, 25, 8);
    return true;
}

// A 20 x 20 play grid in app's tree, its numbers arrived.
PlayTileGrid* MakeGrid(BenchApp& app, benchmark::State& state) {
    int mode = 0, set = 0, puzzle = 0;
    if (!LoadContent() || !FindTwenty(&mode, &set, &puzzle) || !AddBoardContent()) {
        state.SkipWithError("set P7_SOURCE_DIR to the source tree with content/");
        return nullptr;
    }
    auto* grid = new PlayTileGrid(kDefaultGameName, {mode, set, puzzle});
    app.GetWidgetManager()->AddWidget(grid);
    // Every stroke is judged in full: no loss part-way through the grid.
    grid->GetModel() = PlayModel(grid->GetModel().GetSolutionGrid(), 400);
    grid->CreateClueNumbers();
    for (int i = 0; i < 400 && grid->mDisabled; ++i) {
        app.Tick();
    }
    return grid;
}

void BM_RulesStrokeAcross20(benchmark::State& state) {
    int mode = 0, set = 0, puzzle = 0;
    if (!LoadContent() || !FindTwenty(&mode, &set, &puzzle)) {
        state.SkipWithError("set P7_SOURCE_DIR to the source tree with content/");
        return;
    }
    // Every stroke is judged in full: no loss part-way through the row.
    const PlayModel fresh(FindPuzzle(kDefaultGameName, {mode, set, puzzle})->mSolution, 400);
    int row = 0;
    for (auto _ : state) {
        PlayModel model = fresh;
        model.SetTool(1);
        model.Press(0, row, 1, {});
        for (int a = 1; a < 20; ++a) {
            model.Drag(a, row);
        }
        benchmark::DoNotOptimize(model.ReleaseStroke());
        row = (row + 1) % 20;
    }
}
BENCHMARK(BM_RulesStrokeAcross20);

void BM_WidgetStrokeAcross20(benchmark::State& state) {
    BenchApp app;
    PlayTileGrid* grid = MakeGrid(app, state);
    if (grid == nullptr) {
        return;
    }
    const int t = grid->GetTileSize();
    int row = 0;
    double acted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh row each time; a fresh grid when every row has been stroked.
        if (row == 20) {
            grid->MarkForRemoval();
            app.Tick();
            grid = MakeGrid(app, state);
            row = 0;
        }
        state.ResumeTiming();
        const int y = row * t + t / 2;
        grid->MouseDown(t / 2, y, 1);
        for (int a = 1; a < 20; ++a) {
            grid->MouseDrag(a * t + t / 2, y);
        }
        grid->MouseUp(19 * t + t / 2, y);
        app.Tick();
        state.PauseTiming();
        for (int a = 0; a < 20; ++a) {
            acted += grid->GetModel().IsResolved(a, row) ? 1 : 0;
        }
        state.ResumeTiming();
        ++row;
    }
    state.counters["cells"] = benchmark::Counter(acted, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WidgetStrokeAcross20);

void BM_FixedUpdateAtRest20(benchmark::State& state) {
    BenchApp app;
    PlayTileGrid* grid = MakeGrid(app, state);
    if (grid == nullptr) {
        return;
    }
    // Every hole marked: 400 settled tile widgets, no trails.
    grid->GetModel().SetAction(PlayModel::kMark);
    for (int a = 0; a < 20; ++a) {
        for (int b = 0; b < 20; ++b) {
            if (!grid->GetModel().IsSolid(a, b)) {
                int delay = 0;
                grid->ActOnCell(a, b, delay);
            }
        }
    }
    grid->GetModel().SetAction(PlayModel::kNoAction);
    for (int i = 0; i < 600 && grid->HasTileAnimations(); ++i) {
        app.Tick();
    }
    for (auto _ : state) {
        app.Tick();
    }
}
BENCHMARK(BM_FixedUpdateAtRest20);

void BM_FixedUpdateMidAnimation20(benchmark::State& state) {
    BenchApp app;
    PlayTileGrid* grid = MakeGrid(app, state);
    if (grid == nullptr) {
        return;
    }
    constexpr int kTicks = 50;
    for (auto _ : state) {
        state.PauseTiming();
        // Every untouched cell of a fresh grid acted on at once, delays spread over a stroke.
        grid->MarkForRemoval();
        app.Tick();
        grid = MakeGrid(app, state);
        grid->GetModel().SetAction(PlayModel::kMark);
        for (int a = 0; a < 20; ++a) {
            int delay = 0;
            for (int b = 0; b < 20; ++b) {
                if (!grid->GetModel().IsSolid(a, b)) {
                    grid->ActOnCell(a, b, delay);
                }
            }
        }
        grid->GetModel().SetAction(PlayModel::kNoAction);
        state.ResumeTiming();
        for (int i = 0; i < kTicks; ++i) {
            app.Tick();
        }
    }
    state.SetItemsProcessed(state.iterations() * kTicks);
}
BENCHMARK(BM_FixedUpdateMidAnimation20);

}  // namespace
