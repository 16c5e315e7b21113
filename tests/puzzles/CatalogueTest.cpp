#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "rules/GridSolver.h"
#include "tools/ArtCodes.h"
#include "tools/Catalogue.h"
#include "tools/CatalogueXml.h"
#include "tools/PuzzleSource.h"

using namespace p7tools;

namespace {

std::string SourceDir() {
    const char* dir = std::getenv("P7_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

std::string BinaryDir() {
    const char* dir = std::getenv("P7_BINARY_DIR");
    return dir != nullptr ? dir : ".";
}

const char* kSmallSet =
    "; a comment\n"
    "set shore Shore & Sea\n"
    "mode bonus\n"
    "wing harbour\n"
    "unlock 3\n"
    "background set_shore\n"
    "map 10 20\n"
    "music track_a\n"
    "music track_b\n"
    "\n"
    "puzzle box Box\n"
    "#####\n"
    "#...#\n"
    "#.@.#\n"
    "#...#\n"
    "Q###W\n"
    "\n"
    "puzzle bar Bar\n"
    ".....\n"
    ".....\n"
    "=====\n"
    ".....\n"
    ".....\n";

}  // namespace

TEST(CatalogueEncodingTest, ReadsGridAndPictureTextsColumnMajor) {
    std::vector<std::vector<int>> grid = DecodeGridText("0110 1001");
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(grid[0], (std::vector<int>{0, 1}));
    EXPECT_EQ(grid[1], (std::vector<int>{1, 0}));
    EXPECT_EQ(grid[2], (std::vector<int>{1, 0}));
    EXPECT_EQ(grid[3], (std::vector<int>{0, 1}));
    EXPECT_EQ(DecodeGridText("  0110   1001  "), grid);

    std::vector<std::vector<int>> picture = DecodePictureText("AAAB 0xBA");
    ASSERT_EQ(picture.size(), 2u);
    EXPECT_EQ(picture[0], (std::vector<int>{0, -1}));
    EXPECT_EQ(picture[1], (std::vector<int>{1, 26}));
}

TEST(CatalogueEncodingTest, EveryArtCodeHasACharacterAndSurvivesTheTwoLetterForm) {
    int written = 0;
    for (int code = -1; code < kArtCodeCount; ++code) {
        const std::string pair = EncodeArtCode(code);
        ASSERT_EQ(pair.size(), 2u);
        EXPECT_EQ(DecodeArtCode(pair[0], pair[1]), code) << pair;
        const char ch = CharForArtCode(code);
        if (ch != '?') {
            ++written;
            EXPECT_EQ(ArtCodeForChar(ch), code) << ch;
        }
    }
    // Every shape column is reachable from the sources.
    for (int column = 0; column < kArtColumns; ++column) {
        bool reachable = false;
        for (int shade = 0; shade < kShades; ++shade) {
            reachable |= CharForArtCode(column * kShades + shade) != '?';
        }
        EXPECT_TRUE(reachable) << column;
    }
    EXPECT_GT(written, kArtColumns);
    EXPECT_FALSE(ArtCodeForChar('!').has_value());
}

TEST(PuzzleSourceTest, ReportsBadSourcesWithFileAndLine) {
    SetSource set;
    std::string error;
    ASSERT_TRUE(ParseSetSource("shore.txt", kSmallSet, &set, &error)) << error;
    EXPECT_EQ(set.id, "shore");
    EXPECT_EQ(set.title, "Shore & Sea");
    EXPECT_EQ(set.shortTitle, "Shore & Sea");
    EXPECT_EQ(set.mode, 1);
    EXPECT_EQ(set.unlock, 3);
    EXPECT_EQ(set.mapX, 10);
    EXPECT_EQ(set.music, (std::vector<std::string>{"track_a", "track_b"}));
    ASSERT_EQ(set.puzzles.size(), 2u);
    EXPECT_EQ(set.puzzles[0].rows[4], "Q###W");

    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"set a A\nmode story\nflavour x\n", "bad.txt:3: unknown keyword 'flavour'"},
        {"set a A\nmode story\npuzzle p P\n#####\n####\n#####\n#####\n#####\n",
         "bad.txt:5: puzzle 'p' row 2 is 4 cells wide"},
        {"set a A\nmode story\npuzzle p P\n##\n##\n", "bad.txt:3: puzzle 'p' has 2 rows"},
        {"set a A\nmode story\npuzzle p P\n#####\n##!##\n", "bad.txt:5: unexpected '##!##'"},
        {"set a A\nmode sideways\n", "bad.txt:2: mode must be"},
        {"set a A\nmode story\n", "bad.txt:1: set 'a' has no puzzles"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ParseSetSource("bad.txt", c.text, &set, &error));
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << error;
    }
}

TEST(PuzzleSourceTest, ReplacesOnlyTheNamedPuzzlesRows) {
    std::string text = kSmallSet;
    ASSERT_TRUE(ReplacePuzzleRows(&text, "bar", {".....", ".....", "=====", "..#..", "....."}));
    SetSource set;
    std::string error;
    ASSERT_TRUE(ParseSetSource("shore.txt", text, &set, &error)) << error;
    EXPECT_EQ(set.puzzles[1].rows[3], "..#..");
    EXPECT_EQ(set.puzzles[0].rows[4], "Q###W");
    EXPECT_FALSE(ReplacePuzzleRows(&text, "nothing", {}));
}

TEST(CatalogueBuildTest, RoundTripsThroughTheCatalogueText) {
    SetSource set;
    std::string error;
    ASSERT_TRUE(ParseSetSource("shore.txt", kSmallSet, &set, &error)) << error;
    std::vector<std::string> problems;
    Catalogue catalogue = BuildCatalogue({set}, &problems);
    ASSERT_TRUE(problems.empty()) << problems[0];
    ASSERT_EQ(catalogue.modes[1].size(), 1u);
    // Played in order of size, then of the sweeps the proof needed.
    EXPECT_EQ(catalogue.modes[1][0].puzzles[0].name, "shore_bar");

    ReadCatalogue read;
    ASSERT_TRUE(ReadPuzzlesXml(WritePuzzlesXml(catalogue), kGameName, &read, &error)) << error;
    EXPECT_TRUE(read.modes[0].empty());
    ASSERT_EQ(read.modes[1].size(), 1u);
    ASSERT_EQ(read.modes[1][0].size(), 2u);
    const ReadPuzzle& box = read.modes[1][0][1];
    EXPECT_EQ(box.name, "shore_box");
    EXPECT_TRUE(box.tested);
    EXPECT_EQ(box.steps, catalogue.modes[1][0].puzzles[1].passes);
    EXPECT_EQ(box.difficulty, catalogue.modes[1][0].puzzles[1].difficulty);
    ASSERT_EQ(box.solution.size(), 5u);
    // [a][b]: column a, row b. The top-left triangle 'Q' is solid with its own code.
    EXPECT_EQ(box.solution[0][4], 1);
    EXPECT_EQ(box.solution[1][1], 0);
    EXPECT_EQ(box.solution[2][2], 1);
    EXPECT_EQ(box.picture[0][4], *ArtCodeForChar('Q'));
    EXPECT_EQ(box.picture[2][2], *ArtCodeForChar('@'));
    EXPECT_EQ(box.picture[1][1], -1);

    const std::string sets = WriteSetsXml(catalogue);
    EXPECT_NE(sets.find("<set name=\"shore\" wing=\"harbour\" unlock=\"3\" "
                        "background=\"set_shore\" x=\"10\" y=\"20\">"),
              std::string::npos);
    const std::string names = WriteLocalizationXml(
        catalogue, "<localization><pair id=\"ok\" value=\"OK\"/></localization>");
    EXPECT_NE(names.find("<pair id=\"ok\" value=\"OK\"/>"), std::string::npos);
    EXPECT_NE(names.find("<pair id=\"shore\" value=\"Shore &amp; Sea\"/>"), std::string::npos);
    EXPECT_NE(names.find("<set name=\"shore\"><puzzle>shore_bar</puzzle><puzzle>shore_box"
                         "</puzzle></set>"),
              std::string::npos);
}

TEST(CatalogueBuildTest, RejectsPicturesLineLogicCannotFinish) {
    SetSource set;
    std::string error;
    ASSERT_TRUE(ParseSetSource("bad.txt",
                               "set a A\nmode story\npuzzle diag D\n#....\n.#...\n.....\n.....\n"
                               ".....\n\npuzzle blank B\n.....\n.....\n.....\n.....\n.....\n",
                               &set, &error))
        << error;
    std::vector<std::string> problems;
    BuildCatalogue({set}, &problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0],
              "bad.txt:3: puzzle 'diag' is not solvable by line logic alone; open lines: row 1, "
              "column 1, row 2, column 2");
    EXPECT_EQ(problems[1], "bad.txt:10: puzzle 'blank' has no solid cell");
}

// Four round dots in a square draw as a star-shaped hole between them; a row or column of
// dots, or corner tiles rounding a square, are fine.
TEST(CatalogueBuildTest, RejectsFourRoundDotsInASquare) {
    SetSource set;
    std::string error;
    ASSERT_TRUE(ParseSetSource("dots.txt",
                               "set a A\nmode story\npuzzle hub H\n#####\n#@@##\n#@@##\n#####\n"
                               "#####\n\npuzzle row R\n#####\n#@@@#\n#c#O#\n#rt##\n#fg##\n",
                               &set, &error))
        << error;
    std::vector<std::string> problems;
    BuildCatalogue({set}, &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0],
              "dots.txt:5: puzzle 'hub' has four round dots in a square at column 2, which draw "
              "as a star-shaped hole; round the block with the corner tiles (r t above f g)");
}

// A rounded tile rounds only the corners that face the background: beside a neighbour whose
// edge runs on to the corner it is square, so no light tick or wedge shows between the two.
TEST(CatalogueBuildTest, RoundedTilesRoundOnlyCornersThatFaceTheBackground) {
    SetSource set;
    set.file = "round.txt";
    set.id = "round";
    PuzzleSource source;
    source.id = "p";
    source.rows = {
        ".@@.c",  // dots side by side on a solid row, a light dot on a stem
        "#####",  //
        "#@#..",  // a dot inside solid tiles
        "###.R",  // a corner tile facing the background
        "@...T",  // a dot under a solid cell; a corner tile under a solid edge
    };
    BuiltPuzzle puzzle;
    std::string error;
    ASSERT_TRUE(ConvertPuzzle(set, source, &puzzle, &error)) << error;
    const std::vector<std::string> expected = {
        ".RT.n", "#####", "###..", "###.R", "J...#",
    };
    for (int b = 0; b < 5; ++b) {
        for (int a = 0; a < 5; ++a) {
            EXPECT_EQ(puzzle.picture[static_cast<size_t>(b) * 5 + a],
                      *ArtCodeForChar(expected[b][a]))
                << "column " << a << ", row " << b << ": drawn as '"
                << CharForArtCode(puzzle.picture[static_cast<size_t>(b) * 5 + a]) << "'";
        }
    }
    // The fox's nose: two dots under a two-cell snout round only their outer lower corners.
    source.rows = {"#####", "#####", "#####", "#####", ".@@.."};
    ASSERT_TRUE(ConvertPuzzle(set, source, &puzzle, &error)) << error;
    EXPECT_EQ(puzzle.picture[21], *ArtCodeForChar('F'));
    EXPECT_EQ(puzzle.picture[22], *ArtCodeForChar('G'));
}

// The shipped files must be exactly what the sources generate, and every shipped puzzle must be
// proven again from the committed text, read the way the game reads it.
TEST(ShippedCatalogueTest, CommittedFilesMatchTheSourcesAndEveryPuzzleIsProven) {
    std::vector<std::string> problems;
    std::string report;
    auto files = GenerateContent(SourceDir() + "/content-src", &problems, &report);
    ASSERT_TRUE(problems.empty()) << problems[0];
    const std::string outDir = BinaryDir() + "/generated_content";
    std::filesystem::create_directories(outDir);
    for (const auto& [name, text] : files) {
        ASSERT_TRUE(WriteTextFileAtomic(outDir + "/" + name, text));
        std::string committed;
        const std::string path = SourceDir() + "/content/properties/" + name;
        ASSERT_TRUE(ReadTextFile(path, &committed)) << path << " is missing";
        EXPECT_TRUE(committed == text)
            << path << " differs from what content-src generates (" << outDir << "/" << name
            << "); regenerate with: cmake --build <build folder> --target regen_content";
    }

    std::string text;
    ASSERT_TRUE(ReadTextFile(SourceDir() + "/content/properties/puzzles_pelnora7.xml", &text));
    ReadCatalogue read;
    std::string error;
    ASSERT_TRUE(ReadPuzzlesXml(text, kGameName, &read, &error)) << error;
    GridSolver solver;
    int total = 0;
    for (int mode = 0; mode < 2; ++mode) {
        for (size_t s = 0; s < read.modes[mode].size(); ++s) {
            for (const ReadPuzzle& p : read.modes[mode][s]) {
                ++total;
                SCOPED_TRACE(p.name);
                const int n = static_cast<int>(p.solution.size());
                ASSERT_TRUE(n == 5 || n == 10 || n == 15 || n == 20);
                ASSERT_EQ(p.picture.size(), p.solution.size());
                SolutionGrid grid;
                grid.n = n;
                grid.cells.assign(static_cast<size_t>(n) * n, 0);
                for (int a = 0; a < n; ++a) {
                    ASSERT_EQ(static_cast<int>(p.solution[a].size()), n);
                    ASSERT_EQ(static_cast<int>(p.picture[a].size()), n);
                    for (int b = 0; b < n; ++b) {
                        const int value = p.solution[a][b];
                        ASSERT_TRUE(value == 0 || value == 1);
                        grid.cells[static_cast<size_t>(b) * n + a] = static_cast<uint8_t>(value);
                        // The picture shows the solved grid: a tile exactly on solid cells.
                        ASSERT_EQ(p.picture[a][b] >= 0, value == 1);
                        ASSERT_LT(p.picture[a][b], kArtCodeCount);
                    }
                }
                ClueSet clues = ComputeClues(grid);
                int solid = 0;
                for (int i = 0; i < n; ++i) {
                    int rowSum = 0;
                    for (int run : clues.rows[i]) {
                        rowSum += run + 1;
                    }
                    ASSERT_LE(rowSum - 1, n);
                    for (int run : clues.columns[i]) {
                        ASSERT_LE(run, n);
                        solid += run;
                    }
                }
                ASSERT_GT(solid, 0);
                SolveReport proof = solver.Solve(clues);
                ASSERT_EQ(proof.status, SolveStatus::Solved);
                for (size_t c = 0; c < grid.cells.size(); ++c) {
                    ASSERT_EQ(proof.cells[c] == Cell::Filled, grid.cells[c] != 0);
                }
                EXPECT_EQ(p.steps, proof.passes);
                EXPECT_TRUE(p.tested);
            }
        }
    }
    // The shape of the game: a tutorial of small boards, at least ten story sets after it, at
    // least three bonus sets, at most thirteen story sets (the saved current set stops at 12).
    EXPECT_GE(total, 130);
    ASSERT_GE(read.modes[0].size(), 11u);
    EXPECT_LE(read.modes[0].size(), 13u);
    EXPECT_GE(read.modes[1].size(), 3u);
    for (const ReadPuzzle& p : read.modes[0][0]) {
        EXPECT_EQ(p.solution.size(), 5u);
    }
    for (size_t s = 1; s < read.modes[0].size(); ++s) {
        EXPECT_GE(read.modes[0][s].size(), 10u);
        EXPECT_LE(read.modes[0][s].size(), 12u);
    }
}
