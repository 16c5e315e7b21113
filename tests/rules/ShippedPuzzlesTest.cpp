#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/util/Random.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/PuzzleStats.h"
#include "rules/CRandShuffle.h"
#include "rules/PlayModel.h"

namespace {

// Every puzzle of the shipped catalogue, read through the game's own reader.
class ShippedPuzzlesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ifstream in(std::string(P7_SOURCE_DIR) + "/content/properties/" +
                         PuzzleStats::kFileName);
        std::stringstream text;
        text << in.rdbuf();
        PuzzleStats reader;
        ASSERT_TRUE(reader.LoadText(text.str(), PuzzleStats::kFileName));
        for (const auto& [game, modes] : GetPuzzleCatalog()) {
            (void)game;
            for (const auto& sets : modes) {
                for (const auto& set : sets) {
                    for (const PuzzleRecord& puzzle : set) {
                        sPuzzles.push_back(puzzle);
                    }
                }
            }
        }
        ClearPuzzleCatalog();
    }
    static void TearDownTestSuite() { sPuzzles.clear(); }

    static std::vector<CellPos> Cells(const PlayModel& model, bool solid) {
        std::vector<CellPos> cells;
        for (int a = 0; a < model.GetSize(); ++a) {
            for (int b = 0; b < model.GetSize(); ++b) {
                if (model.IsSolid(a, b) == solid) {
                    cells.push_back({a, b});
                }
            }
        }
        return cells;
    }

    static bool AllCluesDone(const PlayModel& model) {
        for (const auto* lines : {&model.GetClues().columns, &model.GetClues().rows}) {
            for (const ClueLine& line : *lines) {
                for (const ClueRun& clue : line) {
                    if (!clue.done) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    static inline std::vector<PuzzleRecord> sPuzzles;
};

}  // namespace

TEST_F(ShippedPuzzlesTest, RevealingExactlyTheSolidCellsInAnyOrderSolves) {
    ASSERT_FALSE(sPuzzles.empty());
    CSeedRand(2026);
    for (const PuzzleRecord& puzzle : sPuzzles) {
        SCOPED_TRACE(puzzle.mName);
        PlayModel model(puzzle.mSolution, 3);
        model.ResolveEmptyLines();
        std::vector<CellPos> solid = Cells(model, true);
        CRandShuffle(solid);
        for (size_t i = 0; i < solid.size(); ++i) {
            ASSERT_TRUE(model.IsPlaying());
            ASSERT_EQ(model.Apply(solid[i].a, solid[i].b, PlayModel::kReveal),
                      PlayModel::Outcome::kRevealedSolid);
        }
        EXPECT_EQ(model.GetState(), PlayModel::State::kSolved);
        EXPECT_EQ(model.GetMistakes(), 0);
        EXPECT_TRUE(AllCluesDone(model));
    }
}

TEST_F(ShippedPuzzlesTest, MarkingEveryHoleThenRevealingTheRestSolves) {
    CSeedRand(17);
    for (const PuzzleRecord& puzzle : sPuzzles) {
        SCOPED_TRACE(puzzle.mName);
        PlayModel model(puzzle.mSolution, 3);
        std::vector<CellPos> holes = Cells(model, false);
        CRandShuffle(holes);
        for (const CellPos& cell : holes) {
            ASSERT_EQ(model.Apply(cell.a, cell.b, PlayModel::kMark),
                      PlayModel::Outcome::kMarkedHole);
        }
        ASSERT_TRUE(model.IsPlaying());
        std::vector<CellPos> rest = Cells(model, true);
        CRandShuffle(rest);
        for (const CellPos& cell : rest) {
            ASSERT_EQ(model.Apply(cell.a, cell.b, PlayModel::kReveal),
                      PlayModel::Outcome::kRevealedSolid);
        }
        EXPECT_EQ(model.GetState(), PlayModel::State::kSolved);
        EXPECT_EQ(model.GetMistakes(), 0);
        EXPECT_TRUE(AllCluesDone(model));
    }
}
