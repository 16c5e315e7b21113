#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RulesTestSupport.h"
#include "rules/ClueRuns.h"

namespace {

std::vector<int> Runs(const ClueLine& line) {
    std::vector<int> runs;
    for (const ClueRun& clue : line) {
        runs.push_back(clue.run);
    }
    return runs;
}

std::vector<bool> Done(const ClueLine& line) {
    std::vector<bool> done;
    for (const ClueRun& clue : line) {
        done.push_back(clue.done);
    }
    return done;
}

}  // namespace

TEST(ClueRunsTest, RowAndColumnRunsInReadingOrder) {
    const ClueLists lists =
        ComputeClueRuns(FromRows({"#.###", "#....", ".....", "#####", "#.#.#"}));
    EXPECT_EQ(Runs(lists.rows[0]), (std::vector<int>{1, 3}));
    EXPECT_EQ(Runs(lists.rows[2]), (std::vector<int>{}));  // no "0" clue
    EXPECT_EQ(Runs(lists.rows[3]), (std::vector<int>{5}));
    EXPECT_EQ(Runs(lists.rows[4]), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Runs(lists.columns[0]), (std::vector<int>{2, 2}));
    EXPECT_EQ(Runs(lists.columns[1]), (std::vector<int>{1}));
    EXPECT_EQ(Runs(lists.columns[2]), (std::vector<int>{1, 2}));
    for (const auto& line : lists.columns) {
        for (const ClueRun& clue : line) {
            EXPECT_FALSE(clue.done);
        }
    }
}

// The line solid, solid, hole, solid, hole with clues 2 and 1.
class DoneFlagsTest : public ::testing::Test {
protected:
    std::vector<bool> FlagsWith(std::vector<int> resolved) {
        ClueLine line{{2, false}, {1, false}};
        UpdateClueDoneFlags(line, {1, 1, 0, 1, 0}, resolved);
        return Done(line);
    }
};

TEST_F(DoneFlagsTest, AllSolidCellsResolvedMakesEveryClueDone) {
    EXPECT_EQ(FlagsWith({1, 1, 1, 1, 0}), (std::vector<bool>{true, true}));
}

TEST_F(DoneFlagsTest, BackwardWalkFindsARunBetweenResolvedHoles) {
    EXPECT_EQ(FlagsWith({1, 0, 1, 1, 1}), (std::vector<bool>{false, true}));
}

TEST_F(DoneFlagsTest, OpenRunIsNotJudged) {
    EXPECT_EQ(FlagsWith({1, 0, 0, 0, 0}), (std::vector<bool>{false, false}));
    EXPECT_EQ(FlagsWith({1, 1, 1, 0, 0}), (std::vector<bool>{true, false}));
}

TEST_F(DoneFlagsTest, FlagsClearWhenTheLineIsRecomputed) {
    ClueLine line{{2, true}, {1, true}};
    UpdateClueDoneFlags(line, {1, 1, 0, 1, 0}, {0, 0, 0, 0, 0});
    EXPECT_EQ(Done(line), (std::vector<bool>{false, false}));
}

TEST_F(DoneFlagsTest, RunAtTheLineEndsIsClosedByTheEnd) {
    ClueLine line{{1, false}, {1, false}, {1, false}};
    UpdateClueDoneFlags(line, {1, 0, 1, 0, 1}, {1, 1, 0, 0, 0});
    EXPECT_EQ(Done(line), (std::vector<bool>{true, false, false}));
    UpdateClueDoneFlags(line, {1, 0, 1, 0, 1}, {0, 0, 0, 1, 1});
    EXPECT_EQ(Done(line), (std::vector<bool>{false, false, true}));
}

TEST_F(DoneFlagsTest, EmptyLineHasNothingToFlag) {
    ClueLine line;
    UpdateClueDoneFlags(line, {0, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(line.empty());
}
