#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BoardTestSupport.h"
#include "game/board/HintMeter.h"
#include "game/board/MistakeMeter.h"
#include "game/board/PlayGridHost.h"
#include "game/board/PlayTileGrid.h"
#include "game/board/TrailWidget.h"
#include "graphics/Image.h"

namespace {

// A play screen stand-in that records what the grid asks of it.
class RecordingHost : public PlayGridHost {
public:
    void NextTool() override { ++nextTools; }
    void ClearToolHighlights() override { ++clears; }
    WidgetContainer* GetTrailLayer() override { return nullptr; }
    void AddExplosionTile(DynamicWidget* tile, float, float, int) override {
        ++thrown;
        delete tile;
    }
    void FailPuzzle() override { ++failed; }
    bool UseHintAt(int x, int y, int count) override {
        hintX = x, hintY = y, hintCount = count;
        return true;
    }
    int nextTools = 0, clears = 0, thrown = 0, failed = 0;
    int hintX = 0, hintY = 0, hintCount = 0;
};

class PlayGridTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        int mode = 0, set = 0, puzzle = 0;
        ASSERT_TRUE(FindPuzzleOfSize(10, &mode, &set, &puzzle));
        record = FindPuzzle(kDefaultGameName, {mode, set, puzzle});
        grid = new PlayTileGrid(kDefaultGameName, {mode, set, puzzle});
        hintMeter = new HintMeter(20, 20, 240, 80, 10, 1);
        mistakeMeter = new MistakeMeter(20, 400, 240, 200, 10);
        h.manager->AddWidget(hintMeter);
        h.manager->AddWidget(mistakeMeter);
        h.manager->AddWidget(grid);
        grid->SetMeters(hintMeter, mistakeMeter);
        grid->SetHost(&host);
        hintMeter->SetHost(&host);
        grid->ResolveEmptyLines();
        grid->CreateClueNumbers();
    }
    void TearDown() override {
        h.manager->RemoveAllWidgets(true, true);
        h.RunUpdates(1);
        BoardTest::TearDown();
    }

    // Lets the clue numbers arrive.
    void StartPlay() {
        for (int i = 0; i < 400 && grid->mDisabled; ++i) {
            h.RunUpdates(1);
        }
        ASSERT_FALSE(grid->mDisabled);
    }
    void ClickCell(int a, int b, int clickCount = 1) {
        const int t = grid->GetTileSize();
        h.Click(static_cast<int>(grid->mX) + a * t + t / 2,
                static_cast<int>(grid->mY) + b * t + t / 2, clickCount);
    }
    void Settle() {
        for (int i = 0; i < 600 && (grid->HasTileAnimations() || grid->GetHintTrailCount() > 0 ||
                                    grid->GetMistakeTrailCount() > 0);
             ++i) {
            h.RunUpdates(1);
        }
    }

    // The grid's trails in flight (without a trail layer they fly beside the grid).
    std::vector<TrailWidget*> Trails() const {
        std::vector<TrailWidget*> trails;
        for (Widget* child : h.manager->GetChildren()) {
            if (auto* trail = dynamic_cast<TrailWidget*>(child)) {
                trails.push_back(trail);
            }
        }
        return trails;
    }
    // The first untouched cell that is solid (or a hole).
    bool FindUntouched(bool solid, int* a, int* b) const {
        const int n = grid->GetSize();
        for (*a = 0; *a < n; ++*a) {
            for (*b = 0; *b < n; ++*b) {
                if ((record->mSolution[*a][*b] != 0) == solid &&
                    !grid->GetModel().IsResolved(*a, *b)) {
                    return true;
                }
            }
        }
        return false;
    }

    const PuzzleRecord* record = nullptr;
    PlayTileGrid* grid = nullptr;
    HintMeter* hintMeter = nullptr;
    MistakeMeter* mistakeMeter = nullptr;
    RecordingHost host;
};

}  // namespace

TEST_F(PlayGridTest, PlacedFromTheGridSettings) {
    // offset 170, tile 40, 10 tiles: margin (768 - 170 - 400) / 2 = 99.
    EXPECT_EQ(grid->GetTileSize(), 40);
    EXPECT_EQ(grid->mX, 170 + 99);
    EXPECT_EQ(grid->mY, 170 + 99);
    EXPECT_EQ(grid->mWidth, 400);
}

// The nearest clue of a line stands a quarter of a number's room apart from the tiles (a wide
// "10" never touches them); the farthest of as many clues as a line can hold stays in the margin.
TEST_F(BoardTest, ClueNumbersStandApartFromTheTilesInsideTheMargin) {
    SetConstant("max_number_count", ExprValue::FromInt(10));
    AddTestImage("GridNumbers", 36, 36, 25, 8);  // the shipped sheet's cells
    for (int n : {5, 10, 15, 20}) {
        int mode = 0, set = 0, puzzle = 0;
        ASSERT_TRUE(FindPuzzleOfSize(n, &mode, &set, &puzzle));
        auto* grid = new PlayTileGrid(kDefaultGameName, {mode, set, puzzle});
        h.manager->AddWidget(grid);
        for (int kind : {0, 1}) {
            const float room =
                static_cast<float>(kind == 0 ? grid->GetNumberHeight() : grid->GetNumberWidth());
            const float margin =
                static_cast<float>(kind == 0 ? grid->GetOffsetY() : grid->GetOffsetX());
            auto centre = [&](int index, int count) {
                const FPoint at = grid->CluePosition(kind, 0, index, count);
                return (kind == 0 ? at.mY : at.mX) + 18.0f;
            };
            EXPECT_LE(centre(0, 1), 1.0f - room * 3 / 4) << n << " kind " << kind;
            EXPECT_GE(centre(0, (n + 1) / 2) - room / 2, -margin) << n << " kind " << kind;
        }
        grid->MarkForRemoval();
        h.RunUpdates(1);
    }
}

TEST_F(PlayGridTest, NumbersArriveBeforePlayStarts) {
    EXPECT_TRUE(grid->mDisabled);
    EXPECT_EQ(grid->GetNumberOpacity(), 0.0f);
    ClickCell(0, 0);
    EXPECT_FALSE(grid->GetModel().IsResolved(0, 0) && grid->GetModel().IsSolid(0, 0));
    StartPlay();
    EXPECT_EQ(grid->GetNumberOpacity(), 1.0f);
}

TEST_F(PlayGridTest, PlaysToSolvedThroughThePointer) {
    StartPlay();
    const int n = grid->GetSize();
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (record->mSolution[a][b] != 0) {
                ClickCell(a, b);
            }
        }
    }
    EXPECT_EQ(grid->GetModel().GetSolidLeft(), 0);
    EXPECT_TRUE(grid->mDisabled);
    EXPECT_EQ(host.clears, 1);
    Settle();
    EXPECT_TRUE(grid->IsSolved());
    EXPECT_FALSE(grid->IsLost());
    EXPECT_FALSE(grid->HasTileAnimations());
    EXPECT_EQ(grid->GetSparkleCount(), 0);
    // Correct reveals filled bulbs: the first started full, more filled since.
    EXPECT_GE(hintMeter->GetBulbs().GetAvailableHints(), 1);
}

TEST_F(PlayGridTest, PlaysToLostThroughThePointerAndCollapses) {
    StartPlay();
    grid->SetTool(1);  // marking solid cells is a mistake each time
    const int allowed = grid->GetModel().GetAllowedMistakes();
    int made = 0;
    const int n = grid->GetSize();
    for (int a = 0; a < n && made < allowed; ++a) {
        for (int b = 0; b < n && made < allowed; ++b) {
            if (record->mSolution[a][b] != 0) {
                ClickCell(a, b);
                ++made;
            }
        }
    }
    EXPECT_EQ(grid->GetModel().GetMistakes(), allowed);
    EXPECT_FALSE(grid->IsLost());  // the trails are still flying
    Settle();
    EXPECT_EQ(mistakeMeter->GetShownMarks(), allowed);
    EXPECT_TRUE(grid->IsLost());
    EXPECT_FALSE(grid->IsSolved());
    grid->StartMistakeExplosion();
    for (int i = 0; i < 200 && host.failed == 0; ++i) {
        h.RunUpdates(1);
    }
    EXPECT_EQ(host.failed, 1);
    EXPECT_EQ(host.thrown, allowed);
}

TEST_F(PlayGridTest, DragLocksToOneAxisAndSkipsResolvedCells) {
    StartPlay();
    grid->SetTool(1);
    const int t = grid->GetTileSize();
    const int x0 = static_cast<int>(grid->mX) + 2 * t + t / 2;
    const int y0 = static_cast<int>(grid->mY) + 2 * t + t / 2;
    h.Drag(x0, y0, x0 + 3 * t, y0 + t);
    for (int a = 2; a <= 5; ++a) {
        EXPECT_TRUE(grid->GetModel().IsResolved(a, 2)) << a;
    }
}

TEST_F(PlayGridTest, AStrokeStepRepaintsOnlyTheColumnsItLeavesAndEnters) {
    StartPlay();
    const int t = grid->GetTileSize();
    const int x0 = static_cast<int>(grid->mX) + 2 * t + t / 2;
    const int y0 = static_cast<int>(grid->mY) + 2 * t + t / 2;
    h.MoveTo(x0, y0);
    h.Press(x0, y0);
    h.MoveTo(x0 + t, y0);
    h.Draw();
    h.MoveTo(x0 + 2 * t, y0);
    Rect area;
    ASSERT_TRUE(h.manager->GetDirtyArea(&area));
    const int edge = std::max(2, t / 24);  // the line's edges, half outside it
    EXPECT_EQ(area.mX, static_cast<int>(grid->mX) + 3 * t - edge - 2);
    EXPECT_EQ(area.mWidth, 2 * t + 2 * edge + 4);
    EXPECT_EQ(area.mY + area.mHeight, static_cast<int>(grid->mY) + 10 * t + edge + 2);
    h.Release(x0 + 2 * t, y0);
}

TEST_F(PlayGridTest, HintsRevealUntouchedSolidCells) {
    StartPlay();
    hintMeter->OnEvent("hint", "7", 0);  // no such bulb
    EXPECT_EQ(host.hintCount, 0);
    hintMeter->OnEvent("hint", "0", 0);
    EXPECT_EQ(host.hintCount, hintMeter->GetHintReward());
    EXPECT_EQ(hintMeter->GetBulbs().GetAvailableHints(), 0);
    const int before = grid->GetModel().GetSolidLeft();
    grid->RevealHintTiles(host.hintX, host.hintY, host.hintCount);
    EXPECT_EQ(grid->GetHintTrailCount(), static_cast<size_t>(host.hintCount));
    Settle();
    EXPECT_EQ(grid->GetModel().GetSolidLeft(), before - host.hintCount);
    EXPECT_EQ(grid->GetModel().GetMistakes(), 0);
    EXPECT_EQ(grid->GetSparkleCount(), 0);
}

namespace {

// The script object of that name in a trail, or null.
DynamicWidget* TrailObject(AnimationWidget* trail, const char* name) {
    const ExprValue* value = trail->GetVariables().Find(name);
    return value != nullptr ? dynamic_cast<DynamicWidget*>(value->AsObject()) : nullptr;
}

std::string ImageName(const DynamicWidget* widget) {
    return widget != nullptr && widget->GetImage() != nullptr ? widget->GetImage()->GetName()
                                                              : std::string();
}

}  // namespace

TEST_F(PlayGridTest, TrailsShowTheirMetersDotAndHintTrailsTwinkle) {
    AddTestImage("TrailDot_ipad", 24, 24);
    AddTestImage("MissDot_ipad", 24, 24);
    AddTestImage("Sparkle", 32, 32, 4, 1);
    StartPlay();
    int a = 0, b = 0;
    ASSERT_TRUE(FindUntouched(true, &a, &b));
    ClickCell(a, b);
    ASSERT_TRUE(FindUntouched(false, &a, &b));
    ClickCell(a, b);
    h.RunUpdates(2);
    const std::vector<TrailWidget*> trails = Trails();
    ASSERT_EQ(trails.size(), 2u);
    TrailWidget* toHints = nullptr;
    TrailWidget* toMistakes = nullptr;
    for (TrailWidget* trail : trails) {
        (trail->GetVariables().Find("show_sparkles") != nullptr ? toHints : toMistakes) = trail;
    }
    ASSERT_NE(toHints, nullptr);
    ASSERT_NE(toMistakes, nullptr);

    // Each dot hangs centred on the point its trail flies along.
    DynamicWidget* hintDot = TrailObject(toHints, "dot");
    DynamicWidget* missDot = TrailObject(toMistakes, "dot");
    EXPECT_EQ(ImageName(hintDot), "TrailDot_ipad");
    EXPECT_EQ(ImageName(missDot), "MissDot_ipad");
    ASSERT_NE(missDot, nullptr);
    EXPECT_EQ(missDot->mX, -12.0f);
    EXPECT_EQ(missDot->mY, -12.0f);

    // Only the trail to the hint meter twinkles: its sparkle steps through the strip's frames.
    EXPECT_EQ(TrailObject(toMistakes, "sparkle"), nullptr);
    DynamicWidget* sparkle = TrailObject(toHints, "sparkle");
    ASSERT_EQ(ImageName(sparkle), "Sparkle");
    std::vector<int> frames;
    for (int i = 0; i < 20; ++i) {
        if (frames.empty() || frames.back() != sparkle->mFrames.mFrame) {
            frames.push_back(sparkle->mFrames.mFrame);
        }
        h.RunUpdates(1);
    }
    EXPECT_GE(frames.size(), 4u);
    EXPECT_LT(*std::max_element(frames.begin(), frames.end()), 4);
    Settle();
    EXPECT_TRUE(Trails().empty());
}

TEST_F(PlayGridTest, AQueuedTrailShowsNoDotBeforeItsDelayNorSparklesWhenTold) {
    AddTestImage("TrailDot_ipad", 24, 24);
    AddTestImage("Sparkle", 32, 32, 4, 1);
    auto* trail = new TrailWidget("revealed_tile", 300, 40, 500, 500, 10);
    trail->GetVariables().Set("show_sparkles", ExprValue::FromBool(false));
    h.manager->AddWidget(trail);
    h.RunUpdates(5);
    EXPECT_EQ(TrailObject(trail, "dot"), nullptr);
    EXPECT_EQ(trail->mX, 300.0f);
    h.RunUpdates(8);
    EXPECT_EQ(ImageName(TrailObject(trail, "dot")), "TrailDot_ipad");
    EXPECT_EQ(TrailObject(trail, "sparkle"), nullptr);
}

TEST(MistakeMeterLayout, ThreeMarksOnOneRow) {
    WidgetHarness h;
    GridSettings settings;
    settings.mHints = 1;
    settings.mMistakes = 3;
    CommitGridSettings({{7, settings}});
    AddTestImage("chanceLarge_ipad", 20, 20, 2, 1);
    auto* meter = new MistakeMeter(0, 0, 240, 200, 7);
    h.manager->AddWidget(meter);
    ASSERT_EQ(meter->GetMarkCount(), 3u);
    EXPECT_EQ(meter->GetMarkTarget(0).mX, 60);
    EXPECT_EQ(meter->GetMarkTarget(2).mX, 180);
    EXPECT_EQ(meter->GetMarkTarget(1).mY, 66);
    EXPECT_EQ(meter->GetMarkTarget(3).mX, 120);  // no mark: the meter's centre
    h.manager->RemoveAllWidgets(true, true);
    h.RunUpdates(1);
    AssetManager::Get().Clear();
    ClearGridSettings();
}

TEST(MistakeMeterLayout, NoSettingsNeverDividesByZero) {
    WidgetHarness h;
    ClearGridSettings();
    auto* meter = new MistakeMeter(0, 0, 240, 200, 9);
    h.manager->AddWidget(meter);
    EXPECT_EQ(meter->GetAllowedMistakes(), 1);
    EXPECT_EQ(meter->GetMarkCount(), 1u);
    h.manager->RemoveAllWidgets(true, true);
    h.RunUpdates(1);
}
