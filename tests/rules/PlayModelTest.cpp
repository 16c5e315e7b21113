#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RulesTestSupport.h"
#include "core/util/Random.h"
#include "rules/HintBulbs.h"
#include "rules/PlayModel.h"
#include "rules/Stroke.h"

namespace {

using Outcome = PlayModel::Outcome;

// A 10 x 10 grid: a frame of solid cells around holes, with a cross in the middle.
CellGrid TenByTen() {
    return FromRows({"##########", "#........#", "#........#", "#...##...#", "#..####..#",
                     "#..####..#", "#...##...#", "#........#", "#........#", "##########"});
}

std::vector<CellPos> StrokeCells(int a0, int b0, int a1, int b1, int n = 10) {
    Stroke stroke;
    stroke.Begin(a0, b0);
    stroke.DragTo(a1, b1, n);
    return stroke.Cells();
}

}  // namespace

TEST(StrokeTest, LocksToTheAxisMovedFurther) {
    EXPECT_EQ(StrokeCells(2, 2, 5, 3), (std::vector<CellPos>{{2, 2}, {3, 2}, {4, 2}, {5, 2}}));
    // A tie keeps the column.
    EXPECT_EQ(StrokeCells(2, 2, 3, 3), (std::vector<CellPos>{{2, 2}, {2, 3}}));
    EXPECT_EQ(StrokeCells(4, 4, 4, 1), (std::vector<CellPos>{{4, 4}, {4, 3}, {4, 2}, {4, 1}}));
    EXPECT_EQ(StrokeCells(3, 3, 3, 3), (std::vector<CellPos>{{3, 3}}));
}

TEST(StrokeTest, DragIsClampedAtTheEdgesButHoverIsNot) {
    EXPECT_EQ(StrokeCells(7, 1, 25, 0).back(), (CellPos{9, 1}));
    EXPECT_EQ(StrokeCells(1, 2, 0, -8).back(), (CellPos{1, 0}));
    Stroke stroke;
    EXPECT_TRUE(stroke.Hover(-1, 12));
    EXPECT_EQ(stroke.GetStart(), (CellPos{-1, 12}));
    EXPECT_FALSE(stroke.Hover(-1, 12));
}

TEST(PlayModelPressTest, ButtonsAndToolsChooseTheAction) {
    PlayModel model(TenByTen(), 4);
    EXPECT_EQ(model.Press(1, 1, 1, {}).action, PlayModel::kReveal);
    model.EndStroke();
    model.SetTool(1);
    EXPECT_EQ(model.Press(1, 1, 2, {}).action, PlayModel::kMark);
    model.EndStroke();
    EXPECT_EQ(model.Press(1, 1, 0, {}).action, PlayModel::kMark);
    model.EndStroke();
    EXPECT_EQ(model.Press(1, 1, -1, {}).action, PlayModel::kMark);
    model.EndStroke();
    PlayModel::PressResult toggle = model.Press(1, 1, -1, {.toggleMode = true});
    EXPECT_TRUE(toggle.switchTool);
    EXPECT_EQ(toggle.action, PlayModel::kNoAction);
    EXPECT_EQ(model.Press(1, 1, -1, {.rightClickOff = true}).action, PlayModel::kNoAction);
    EXPECT_EQ(model.Press(1, 1, 1, {.disabled = true}).action, PlayModel::kNoAction);
    EXPECT_EQ(model.Press(10, 1, 1, {}).action, PlayModel::kNoAction);
}

TEST(PlayModelPressTest, SecondButtonDuringAStrokeCancelsIt) {
    PlayModel model(TenByTen(), 4);
    ASSERT_EQ(model.Press(0, 0, 1, {}).action, PlayModel::kReveal);
    EXPECT_EQ(model.Press(0, 0, -1, {}).action, PlayModel::kNoAction);
    EXPECT_TRUE(model.ReleaseStroke().empty());
    EXPECT_FALSE(model.IsResolved(0, 0));
}

TEST(PlayModelActTest, StrokeDelaysSkipResolvedCells) {
    PlayModel model(TenByTen(), 4);
    model.SetAction(PlayModel::kReveal);
    int unused = 0;
    model.ActOnCell(1, 0, &unused);
    model.ActOnCell(3, 0, &unused);
    std::vector<int> delays;
    int delay = 0;
    for (int a = 0; a < 5; ++a) {
        const int before = delay;
        if (model.ActOnCell(a, 0, &delay) != Outcome::kNothing) {
            delays.push_back(before);
        }
    }
    EXPECT_EQ(delays, (std::vector<int>{0, 11, 22}));
}

TEST(PlayModelActTest, FourOutcomes) {
    PlayModel model(TenByTen(), 4);
    EXPECT_EQ(model.Apply(0, 0, PlayModel::kReveal), Outcome::kRevealedSolid);
    EXPECT_EQ(model.Apply(1, 1, PlayModel::kReveal), Outcome::kRevealedHole);
    EXPECT_EQ(model.Apply(2, 2, PlayModel::kMark), Outcome::kMarkedHole);
    const int left = model.GetSolidLeft();
    EXPECT_EQ(model.Apply(0, 1, PlayModel::kMark), Outcome::kMarkedSolid);
    EXPECT_EQ(model.GetMistakes(), 2);
    EXPECT_EQ(model.GetSolidLeft(), left - 1);  // a wrongly marked solid cell counts as found
    EXPECT_EQ(model.Apply(0, 1, PlayModel::kReveal), Outcome::kNothing);
    EXPECT_EQ(model.GetState(), PlayModel::State::kPlaying);
}

TEST(PlayModelActTest, LosingMistakeInTheMiddleOfAStrokeStopsIt) {
    PlayModel model(TenByTen(), 2);
    model.Apply(1, 1, PlayModel::kReveal);  // one mistake made
    // Reveal along row 2: (0,2) solid, (1,2) hole (the losing mistake), (2,2) and on untouched.
    model.Press(0, 2, 1, {});
    model.Drag(5, 2);
    const std::vector<Outcome> outcomes = model.ReleaseStroke();
    EXPECT_EQ(outcomes, (std::vector<Outcome>{Outcome::kRevealedSolid, Outcome::kRevealedHole,
                                              Outcome::kNothing, Outcome::kNothing,
                                              Outcome::kNothing, Outcome::kNothing}));
    EXPECT_FALSE(model.IsResolved(2, 2));
    EXPECT_EQ(model.GetState(), PlayModel::State::kLost);
    EXPECT_EQ(model.Press(3, 3, 1, {}).action, PlayModel::kNoAction);
}

TEST(PlayModelActTest, WrongMarkOnTheLastSolidWithTheLastMistakeIsLost) {
    PlayModel model(FromRows({"#.", ".."}), 1);
    EXPECT_EQ(model.Apply(0, 0, PlayModel::kMark), Outcome::kMarkedSolid);
    EXPECT_EQ(model.GetSolidLeft(), 0);
    EXPECT_EQ(model.GetState(), PlayModel::State::kLost);
}

TEST(PlayModelActTest, SolvedWithMistakesBelowTheAllowedCount) {
    PlayModel model(FromRows({"#.", ".#"}), 3);
    model.Apply(0, 0, PlayModel::kMark);
    model.Apply(1, 1, PlayModel::kReveal);
    EXPECT_EQ(model.GetMistakes(), 1);
    EXPECT_EQ(model.GetState(), PlayModel::State::kSolved);
}

TEST(PlayModelActTest, AllowedCountBelowOneMeansTheFirstMistakeLoses) {
    PlayModel model(FromRows({"#.", ".#"}), 0);
    EXPECT_EQ(model.GetAllowedMistakes(), 1);
    EXPECT_TRUE(model.IsPlaying());
    EXPECT_EQ(model.Press(0, 0, 1, {}).action, PlayModel::kReveal);
    model.EndStroke();
    model.Apply(1, 0, PlayModel::kReveal);
    EXPECT_EQ(model.GetState(), PlayModel::State::kLost);
}

TEST(PlayModelActTest, ClueFlagsFollowTheCells) {
    PlayModel model(FromRows({"##.#.", ".....", ".....", ".....", "....."}), 3);
    model.Apply(0, 0, PlayModel::kReveal);
    model.Apply(1, 0, PlayModel::kReveal);
    EXPECT_FALSE(model.GetClues().rows[0][0].done);
    model.Apply(2, 0, PlayModel::kMark);
    EXPECT_TRUE(model.GetClues().rows[0][0].done);
    EXPECT_FALSE(model.GetClues().rows[0][1].done);
    EXPECT_TRUE(model.GetClues().columns[0][0].done);  // its only solid cell is resolved
    model.Apply(3, 0, PlayModel::kReveal);
    EXPECT_TRUE(model.GetClues().rows[0][1].done);
}

TEST(PlayModelStartTest, EmptyLinesResolveColumnsAndRowsInTurn) {
    PlayModel model(FromRows({"#..", "...", "#.."}), 3);
    EXPECT_EQ(model.ResolveEmptyLines(),
              (std::vector<CellPos>{{1, 0}, {1, 1}, {1, 2}, {0, 1}, {2, 1}, {2, 0}, {2, 2}}));
    EXPECT_EQ(model.GetSolidLeft(), 2);
    EXPECT_EQ(model.GetMistakes(), 0);
}

TEST(PlayModelHintTest, HintsPickOnlyUntouchedSolidCellsOnceAndAreCapped) {
    CSeedRand(7);
    PlayModel model(TenByTen(), 4);
    model.Apply(0, 0, PlayModel::kReveal);
    const int solid = model.GetSolidLeft();
    std::vector<CellPos> first = model.ChooseHintCells(5);
    ASSERT_EQ(first.size(), 5u);
    std::vector<CellPos> all = first;
    // Later hints, before any arrives, never share a cell with the first.
    while (true) {
        std::vector<CellPos> more = model.ChooseHintCells(7);
        if (more.empty()) {
            break;
        }
        all.insert(all.end(), more.begin(), more.end());
    }
    EXPECT_EQ(static_cast<int>(all.size()), solid);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_TRUE(model.IsSolid(all[i].a, all[i].b));
        EXPECT_FALSE(all[i] == (CellPos{0, 0}));
        for (size_t j = i + 1; j < all.size(); ++j) {
            EXPECT_FALSE(all[i] == all[j]);
        }
    }
}

TEST(PlayModelHintTest, ArrivalRevealsAndRestoresTheStrokeOnlyWhilePlaying) {
    PlayModel model(FromRows({"##", ".."}), 2);
    std::vector<CellPos> cells = model.ChooseHintCells(1);
    ASSERT_EQ(cells.size(), 1u);
    model.Press(0, 1, 1, {.toggleMode = false});
    model.SetTool(1);
    model.SetAction(PlayModel::kMark);
    EXPECT_EQ(model.RevealHintCell(cells[0].a, cells[0].b), Outcome::kRevealedSolid);
    EXPECT_EQ(model.GetAction(), PlayModel::kMark);
    EXPECT_EQ(model.GetMistakes(), 0);

    std::vector<CellPos> last = model.ChooseHintCells(3);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(model.RevealHintCell(last[0].a, last[0].b), Outcome::kRevealedSolid);
    EXPECT_EQ(model.GetState(), PlayModel::State::kSolved);
    EXPECT_EQ(model.GetAction(), PlayModel::kNoAction);  // the solve ended the stroke
    EXPECT_TRUE(model.ReleaseStroke().empty());
}

TEST(HintBulbsTest, FillsBulbsInTurnAndCountsHints) {
    HintBulbs bulbs(10, 1);
    EXPECT_EQ(bulbs.GetAvailableHints(), 1);
    EXPECT_EQ(bulbs.GetCurrentBulb(), 1);
    ASSERT_TRUE(bulbs.Use(0));
    for (int i = 0; i < 25; ++i) {
        bulbs.AddFill(1);
    }
    EXPECT_EQ(bulbs.GetFill(0), 10);
    EXPECT_EQ(bulbs.GetFill(1), 10);
    EXPECT_EQ(bulbs.GetFill(2), 5);
    EXPECT_EQ(bulbs.GetFill(3), 0);
    EXPECT_EQ(bulbs.GetAvailableHints(), 2);
    EXPECT_EQ(bulbs.FrameFor(5), 6);
    EXPECT_EQ(bulbs.FrameFor(9), 10);
    EXPECT_EQ(bulbs.FrameFor(10), HintBulbs::kFullFrame);
    EXPECT_EQ(bulbs.GetHintsUsed(), 1);
}

TEST(HintBulbsTest, FullRowTakesNoMoreFillAndBadBulbsAreRefused) {
    HintBulbs bulbs(2, 4);
    EXPECT_FALSE(bulbs.AddFill(1).changed);
    EXPECT_FALSE(bulbs.Use(-1));
    EXPECT_FALSE(bulbs.Use(4));
    EXPECT_TRUE(bulbs.Use(3));
    EXPECT_FALSE(bulbs.Use(3));  // now empty
    const HintBulbs::FillResult fill = bulbs.AddFill(1);
    EXPECT_TRUE(fill.changed);
    EXPECT_EQ(fill.bulb, 3);
    EXPECT_EQ(fill.frame, 6);
}

TEST(HintBulbsTest, StartingHintsAreHonoured) {
    HintBulbs none(5, 0);
    EXPECT_EQ(none.GetAvailableHints(), 0);
    EXPECT_FALSE(none.Use(0));
    HintBulbs two(5, 2);
    EXPECT_TRUE(two.CanUse(1));
    EXPECT_FALSE(two.CanUse(2));
}
