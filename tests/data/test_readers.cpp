// The readers of "game.xml", the puzzle catalogue, "sets7.xml" and the localized name lists, and
// the checks across them.

#include <gtest/gtest.h>

#include "DataTestUtil.h"
#include "core/expr/NamedConstants.h"
#include "game/data/GameDataCheck.h"
#include "game/data/GameStats.h"
#include "game/data/MyLocalization.h"
#include "game/data/PuzzleStats.h"
#include "game/data/SetStats.h"
#include "graphics/assets/LocalizedTexts.h"

namespace {

using datatest::DataTest;
using Grid = PuzzleStats::Grid;

class GridSettingsTest : public DataTest {};

TEST_F(GridSettingsTest, ReadsRecordsEvaluatesExpressionsAndNeverInserts) {
    SetConstant("base_hints", ExprValue::FromInt(3));
    GameStats reader;
    ASSERT_TRUE(reader.LoadText(R"(<game>
        <grid size="15" hints="4" hint-reward="3" mistakes="5"/>
        <grid size="10" hints="base_hints + 1" hint-reward="2" mistakes="3" offset-x="120"
              offset-y="96"/>
        <grid size="10" hints="base_hints" hint-reward="1" mistakes="4" offset-x="7"/>
        <other size="3" hints="9"/>
    </game>)",
                                "game.xml"))
        << reader.GetError();
    const GridSettings* fifteen = FindGridSettings(15);
    ASSERT_NE(fifteen, nullptr);
    EXPECT_EQ(*fifteen, (GridSettings{0, 0, 4, 3, 5}));
    // The later record of a size replaces the earlier one; the expression is evaluated.
    const GridSettings* ten = FindGridSettings(10);
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(*ten, (GridSettings{7, 0, 3, 1, 4}));
    // Unknown sizes (and elements other than "grid") are absent and stay absent.
    EXPECT_EQ(FindGridSettings(3), nullptr);
    EXPECT_EQ(FindGridSettings(3), nullptr);
    EXPECT_EQ(GetGridSettingsTable().size(), 2u);
    ClearConstants();
}

// One grid whose values can't be used is left out with its file and line; the file's other grids
// are kept. Only a file that is not XML leaves the table as it was.
TEST_F(GridSettingsTest, ABadGridIsLeftOutAndTheOthersAreKept) {
    const struct {
        const char* grid;
        const char* words;
    } bad[] = {
        {"<grid size=\"5\" hints=\"0\" mistakes=\"3\"/>", "needs \"hints\" of at least 1"},
        {"<grid hints=\"2\" mistakes=\"3\"/>", "needs a \"size\""},
        {"<grid size=\"5\" hints=\"2\" mistakes=\"-1\"/>", "negative"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.grid);
        GameStats reader;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(reader.LoadText(std::string("<game><grid size=\"7\" hints=\"2\"/>\n") + c.grid +
                                        "\n<grid size=\"9\" hints=\"3\"/></game>",
                                    "game.xml"));
        const std::string log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(reader.GetRejections().size(), 1u);
        const std::string& message = reader.GetRejections()[0];
        EXPECT_NE(message.find(c.words), std::string::npos) << message;
        EXPECT_NE(message.find(" on Line 2 in File 'game.xml'"), std::string::npos) << message;
        EXPECT_EQ(log, message + "\n");
        ASSERT_NE(FindGridSettings(7), nullptr);
        ASSERT_NE(FindGridSettings(9), nullptr);
        EXPECT_EQ(FindGridSettings(9)->mHints, 3);
        EXPECT_EQ(FindGridSettings(5), nullptr);
    }
    GameStats broken;
    EXPECT_FALSE(broken.LoadText("<game>\n<grid size=\"5\" hints=\"2\"", "game.xml"));
    EXPECT_NE(broken.GetError().find(" on Line 2 in File 'game.xml'"), std::string::npos);
    EXPECT_NE(FindGridSettings(9), nullptr) << "a file that is not XML leaves the table";
}

class CatalogTest : public DataTest {};

TEST_F(CatalogTest, DecodesCellsColumnMajorAndPictureCodes) {
    Grid solution;
    std::string error;
    ASSERT_TRUE(PuzzleStats::DecodeSolution("0110 1001", &solution, &error)) << error;
    EXPECT_EQ(solution, (Grid{{0, 1}, {1, 0}, {1, 0}, {0, 1}}));
    // Any white space separates rows; doubled and trailing separators add nothing.
    Grid spaced;
    ASSERT_TRUE(PuzzleStats::DecodeSolution("  0110\n\t1001  \r\n ", &spaced, &error));
    EXPECT_EQ(spaced, solution);

    Grid picture;
    ASSERT_TRUE(PuzzleStats::DecodePicture("AAAB 0xBA", &picture, &error)) << error;
    EXPECT_EQ(picture, (Grid{{0, -1}, {1, 26}}));
    ASSERT_TRUE(PuzzleStats::DecodePicture("AZZZ", &picture, &error));
    EXPECT_EQ(picture, (Grid{{25}, {675}}));

    EXPECT_FALSE(PuzzleStats::DecodeSolution("0120", &solution, &error));
    EXPECT_FALSE(PuzzleStats::DecodeSolution("01 011", &solution, &error));
    EXPECT_FALSE(PuzzleStats::DecodePicture("AAA", &picture, &error));
    EXPECT_FALSE(PuzzleStats::DecodePicture("aA", &picture, &error));
    EXPECT_FALSE(PuzzleStats::DecodePicture("AA AAAA", &picture, &error));
}

TEST_F(CatalogTest, ReadsGamesModesSetsAndPuzzleAttributes) {
    PuzzleStats reader;
    ASSERT_TRUE(reader.LoadText(R"(<puzzles>
      <game name="old"><mode><set><puzzle><grid>1</grid></puzzle></set></mode></game>
      <game name="pelnora7">
        <mode>
          <set>
            <puzzle name="kite" steps="14" tested="1">
              <grid>10
                    01</grid>
              <picture>AAAB 0xBA</picture>
            </puzzle>
            <puzzle name="plain" difficulty="3" tested="yes"><grid>1</grid></puzzle>
          </set>
        </mode>
        <mode><set/></mode>
      </game>
      <game name="old"><mode><set><puzzle><grid>11 11</grid></puzzle></set></mode></game>
    </puzzles>)",
                                "p.xml"))
        << reader.GetError();
    EXPECT_TRUE(reader.GetRejections().empty());
    const PuzzleRecord* kite = FindPuzzle("pelnora7", {0, 0, 0});
    ASSERT_NE(kite, nullptr);
    EXPECT_EQ(kite->mName, "kite");
    EXPECT_EQ(kite->mDifficulty, 0);  // absent: 0, not the record's default
    EXPECT_EQ(kite->mSteps, 14);
    EXPECT_TRUE(kite->mTested);
    EXPECT_EQ(kite->GetGridSize(), 2);
    EXPECT_EQ(kite->mSolution, (Grid{{1, 0}, {0, 1}}));
    EXPECT_EQ(kite->mPicture, (Grid{{0, -1}, {1, 26}}));
    const PuzzleRecord* plain = FindPuzzle("pelnora7", {0, 0, 1});
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mDifficulty, 3);
    EXPECT_FALSE(plain->mTested);
    EXPECT_FALSE(plain->HasPicture());
    EXPECT_EQ(CountCatalogSets("pelnora7", 1), 1);
    EXPECT_EQ(CountCatalogPuzzles("pelnora7", 1, 0), 0);
    // A later game of the same name replaces the earlier content.
    EXPECT_EQ(FindPuzzle("old", {0, 0, 0})->GetGridSize(), 2);
    // Lookups outside the catalogue answer empty and insert nothing.
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 0, 2}), nullptr);
    EXPECT_EQ(FindPuzzle("pelnora7", {2, 0, 0}), nullptr);
    EXPECT_EQ(FindPuzzle("pelnora7", {-1, 0, 0}), nullptr);
    EXPECT_TRUE(GetGameCatalog("nothing")[0].empty());
    EXPECT_EQ(FindGameCatalog("nothing"), nullptr);
    EXPECT_EQ(GetPuzzleCatalog().size(), 2u);
}

TEST_F(CatalogTest, BadPuzzlesKeepTheirPlaceAsUnavailableAndAreNamed) {
    PuzzleStats reader;
    ASSERT_TRUE(reader.LoadText(R"(<puzzles><game name="pelnora7"><mode><set>
      <puzzle name="good1"><grid>10 01</grid></puzzle>
      <puzzle name="notsquare"><grid>101 010</grid></puzzle>
      <puzzle name="digit"><grid>12 01</grid></puzzle>
      <puzzle name="empty"><grid>00 00</grid></puzzle>
      <puzzle name="nogrid"><picture>AAAA AAAA</picture></puzzle>
      <puzzle name="picsize"><grid>10 01</grid><picture>AAAAAA AAAAAA</picture></puzzle>
      <puzzle name="picchar"><grid>10 01</grid><picture>AA#A AAAA</picture></puzzle>
      <puzzle name="good2"><grid>1</grid></puzzle>
    </set></mode></game></puzzles>)",
                                "p.xml"))
        << reader.GetError();
    // Each bad puzzle is named with its own fault and keeps its place, so that every later puzzle
    // keeps its index.
    ASSERT_EQ(reader.GetRejections().size(), 6u);
    ASSERT_EQ(CountCatalogPuzzles("pelnora7", 0, 0), 8);
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 0, 0})->mName, "good1");
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 0, 7})->mName, "good2");
    const std::vector<bool> unavailable = {false, true, true, true, true, true, true, false};
    EXPECT_EQ(FindUnavailablePuzzles("pelnora7", 0, 0), unavailable);
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 0, 1}), nullptr);
    const std::string& first = reader.GetRejections()[0];
    EXPECT_NE(first.find("Puzzle 1 (\"notsquare\") of set 0, mode 0"), std::string::npos) << first;
    EXPECT_NE(first.find(" on Line 3 in File 'p.xml'"), std::string::npos) << first;
}

TEST_F(CatalogTest, ElementsWithoutASlotStopTheReadAndKeepTheCatalog) {
    datatest::LoadSmallCatalog();
    const char* bad[] = {
        R"(<p><game name="x"><set/></game></p>)",                 // set before mode
        R"(<p><game name="x"><mode/><mode/><mode/></game></p>)",  // a third mode
        R"(<p><game name="x"><mode><puzzle><grid>1</grid></puzzle></mode></game></p>)",
        R"(<p><mode/></p>)",                                       // mode before game
        R"(<p><game name="x"><mode><set><puzzle><grid>1</grid>)",  // truncated
    };
    for (const char* text : bad) {
        PuzzleStats reader;
        EXPECT_FALSE(reader.LoadText(text, "p.xml")) << text;
        EXPECT_NE(reader.GetError().find("in File 'p.xml'"), std::string::npos);
        EXPECT_EQ(CountCatalogSets("pelnora7", 0), 3);
        EXPECT_EQ(FindGameCatalog("x"), nullptr);
    }
    // Text outside a puzzle is reported and dropped; the read goes on.
    PuzzleStats reader;
    EXPECT_TRUE(reader.LoadText(
        R"(<p><game name="x"><mode><set>stray<puzzle><grid>1</grid></puzzle></set></mode></game></p>)",
        "p.xml"));
    EXPECT_EQ(CountCatalogPuzzles("x", 0, 0), 1);
}

TEST_F(CatalogTest, PictureCodesBeyondTheTileSheetAreFound) {
    PuzzleStats reader;
    ASSERT_TRUE(reader.LoadText(R"(<p><game name="pelnora7"><mode><set>
      <puzzle name="fits"><grid>1</grid><picture>BD</picture></puzzle>
      <puzzle name="beyond"><grid>1</grid><picture>CE</picture></puzzle>
    </set></mode></game></p>)",
                                "p.xml"));
    // BD is 29, CE is 56: a sheet of 14 shapes with 4 shades has codes 0 to 55.
    const auto problems = FindPictureCodesBeyond(56);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("\"beyond\""), std::string::npos);
    EXPECT_TRUE(FindPictureCodesBeyond(57).empty());
}

class SetTableTest : public DataTest {};

TEST_F(SetTableTest, ReadsSetsWithDefaultsFlagsAndMusic) {
    SetStats reader([](const std::string& name) { return name == "calm" ? 7 : -1; });
    ASSERT_TRUE(reader.LoadText(R"(<sets>
      <music name="orphan"/>
      <game name="pelnora7">
        <mode>
          <set name="harbour" wing="east" unlock="2" background="bg_harbour"/>
          <set name="mill" x="1 + 2" y="40" separate="1">
            <music name="calm"/><music name="storm"/><music name="calm"/>
          </set>
          <set name="yes" separate="yes"/>
          <set name="true" separate="true"/>
        </mode>
        <mode><set name="bonus1" unlock="3"/></mode>
      </game>
      <game name="other"><mode><set name="o"/></mode></game>
    </sets>)",
                                "sets7.xml"))
        << reader.GetError();
    const SetRecord* harbour = GetSetRecord("pelnora7", 0, 0);
    ASSERT_NE(harbour, nullptr);
    EXPECT_EQ(harbour->mName, "harbour");
    EXPECT_EQ(harbour->mWing, "east");
    EXPECT_EQ(harbour->mUnlock, 2);
    EXPECT_EQ(harbour->mBackground, "bg_harbour");
    EXPECT_EQ(harbour->mX, 0);
    EXPECT_EQ(harbour->mY, 0);
    EXPECT_FALSE(harbour->mSeparate);
    const SetRecord* mill = GetSetRecord("pelnora7", 0, 1);
    EXPECT_EQ(mill->mX, 3);
    EXPECT_EQ(mill->mY, 40);
    EXPECT_TRUE(mill->mSeparate);
    EXPECT_EQ(mill->mMusicIds, (std::vector<int>{7, -1, 7}));
    EXPECT_EQ(mill->mMusicNames, (std::vector<std::string>{"calm", "storm", "calm"}));
    EXPECT_FALSE(GetSetRecord("pelnora7", 0, 2)->mSeparate);
    EXPECT_TRUE(GetSetRecord("pelnora7", 0, 3)->mSeparate);
    EXPECT_EQ(CountSetsInMode("pelnora7", 0), 4);
    EXPECT_EQ(CountSetsInMode("pelnora7", 1), 1);
    // An unknown game reads the first game's sets; indices outside answer null.
    EXPECT_EQ(FindGameRecord("nothing")->mName, "pelnora7");
    EXPECT_EQ(FindGameRecord("other")->mName, "other");
    EXPECT_EQ(GetSetRecord("pelnora7", 0, 4), nullptr);
    EXPECT_EQ(GetSetRecord("pelnora7", 2, 0), nullptr);
    EXPECT_EQ(CountSetsInMode("pelnora7", 2), 0);

    ResolveSetMusicIds([](const std::string& name) { return name == "storm" ? 9 : -1; });
    EXPECT_EQ(GetSetRecord("pelnora7", 0, 1)->mMusicIds, (std::vector<int>{-1, 9, -1}));
}

TEST_F(SetTableTest, MusicPickNeverIndexesOutOfRange) {
    SetRecord set;
    EXPECT_EQ(set.PickMusic(0), -1);
    EXPECT_EQ(set.PickMusic(1), -1);
    set.mMusicNames = {"one"};
    EXPECT_EQ(set.PickMusic(0), 0);
    EXPECT_EQ(set.PickMusic(1), 0);
    set.mMusicNames = {"one", "two"};
    EXPECT_EQ(set.PickMusic(1), 1);
    EXPECT_EQ(set.PickMusic(-1), 1);
}

TEST_F(SetTableTest, SetsWithoutASlotStopTheRead) {
    EXPECT_EQ(FindGameRecord("pelnora7"), nullptr);  // an empty table has no first game
    EXPECT_EQ(CountSetsInMode("pelnora7", 0), 0);
    const char* bad[] = {
        R"(<s><set name="a"/></s>)",
        R"(<s><game name="g"><set name="a"/></game></s>)",
        R"(<s><game name="g"><mode/><mode/><mode><set name="a"/></mode></game></s>)",
    };
    for (const char* text : bad) {
        SetStats reader;
        EXPECT_FALSE(reader.LoadText(text, "sets7.xml")) << text;
        EXPECT_NE(reader.GetError().find("in File 'sets7.xml'"), std::string::npos);
        EXPECT_TRUE(GetSetTable().empty());
    }
}

TEST_F(SetTableTest, CrossChecksFindGridSizesAndSetCountsThatDisagree) {
    datatest::LoadSmallCatalog();
    GameStats grids;
    ASSERT_TRUE(grids.LoadText(R"(<g><grid size="2" hints="1"/></g>)", "game.xml"));
    SetStats sets;
    ASSERT_TRUE(sets.LoadText(R"(<s><game name="pelnora7">
        <mode><set name="a"/><set name="b"/><set name="c"/></mode>
        <mode><set name="x"/><set name="y"/></mode></game></s>)",
                              "sets7.xml"));
    EXPECT_TRUE(CheckGameData().empty());

    ASSERT_TRUE(sets.LoadText(R"(<s><game name="pelnora7">
        <mode><set name="a"/><set name="b"/></mode><mode/></game>
        <game name="extra"/></s>)",
                              "sets7.xml"));
    ASSERT_TRUE(grids.LoadText(R"(<g><grid size="3" hints="1"/></g>)", "game.xml"));
    const auto problems = CheckGameData();
    // Nine puzzles of size 2, two modes of wrong counts, one game without puzzles.
    EXPECT_EQ(problems.size(), 12u);
    EXPECT_NE(problems[0].find("a grid size that 'game.xml' does not list"), std::string::npos);
}

// A grid larger than any size "game.xml" lists would freeze the board that builds it: it is
// refused as an unreadable puzzle is, keeping its place, and the puzzles around it stay.
TEST_F(SetTableTest, AGridLargerThanTheListedSizesCantBePlayed) {
    std::string huge;
    for (int row = 0; row < 300; ++row) {
        huge += std::string(300, '1') + " ";
    }
    PuzzleStats catalog;
    ASSERT_TRUE(
        catalog.LoadText("<p><game name=\"pelnora7\"><mode><set>"
                         "<puzzle name=\"small\"><grid>10 01</grid></puzzle>"
                         "<puzzle name=\"huge\"><grid>" +
                             huge +
                             "</grid></puzzle>"
                             "<puzzle name=\"after\"><grid>11 01</grid></puzzle>"
                             "</set></mode><mode/></game></p>",
                         "puzzles_pelnora7.xml"))
        << catalog.GetError();
    GameStats grids;
    ASSERT_TRUE(grids.LoadText(R"(<g><grid size="2" hints="1"/></g>)", "game.xml"));
    const auto problems = CheckGameData();
    const std::string refusal =
        "Puzzle 1 (\"huge\") of set 0, mode 0 of game \"pelnora7\" can't be played: its grid is "
        "300 by 300";
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].find(refusal), 0u) << problems[0];
    EXPECT_TRUE(IsPuzzleUnavailable("pelnora7", PuzzleId{0, 0, 1}));
    EXPECT_EQ(FindPuzzle("pelnora7", PuzzleId{0, 0, 1}), nullptr);
    EXPECT_EQ(CountCatalogPuzzles("pelnora7", 0, 0), 3);
    ASSERT_NE(FindPuzzle("pelnora7", PuzzleId{0, 0, 2}), nullptr);
    EXPECT_EQ(FindPuzzle("pelnora7", PuzzleId{0, 0, 2})->mName, "after");
    // Checked again, the refused puzzle is not named twice.
    for (const std::string& problem : CheckGameData()) {
        EXPECT_EQ(problem.find("huge"), std::string::npos) << problem;
    }
}

TEST_F(SetTableTest, CrossChecksFindPuzzleNameListsOfAnotherLength) {
    datatest::LoadSmallCatalog();
    GameStats grids;
    ASSERT_TRUE(grids.LoadText(R"(<g><grid size="2" hints="1"/></g>)", "game.xml"));
    SetStats sets;
    ASSERT_TRUE(sets.LoadText(R"(<s><game name="pelnora7">
        <mode><set name="a"/><set name="b"/><set name="c"/></mode>
        <mode><set name="x"/><set name="y"/></mode></game></s>)",
                              "sets7.xml"));
    MyLocalization names;
    ASSERT_TRUE(names.LoadText(R"(<t>
        <set name="a"><puzzle>One</puzzle><puzzle>Two</puzzle></set>
        <set name="b"><puzzle>Three</puzzle><puzzle>Four</puzzle></set>
        <set name="y"><puzzle>Five</puzzle></set></t>)",
                               "localization.xml"));
    const auto problems = CheckGameData();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("Set \"b\" (set 1, mode 0 of game \"pelnora7\") has 3 puzzles in "
                               "'puzzles_pelnora7.xml' but 2 puzzle names in 'localization.xml'"),
              std::string::npos)
        << problems[0];
}

TEST_F(CatalogTest, ABadPuzzleChangesNoOtherPuzzlesPlace) {
    PuzzleStats reader;
    ASSERT_TRUE(reader.LoadText(R"(<puzzles><game name="pelnora7"><mode>
      <set><puzzle name="a"><grid>1</grid></puzzle><puzzle name="bad"><grid>2</grid></puzzle>
           <puzzle name="c"><grid>1</grid></puzzle></set>
      <set><puzzle name="d"><grid>1</grid></puzzle><puzzle name="e"><grid>1</grid></puzzle></set>
    </mode></game></puzzles>)",
                                "p.xml"))
        << reader.GetError();
    EXPECT_EQ(reader.GetRejections().size(), 1u);
    EXPECT_EQ(CountCatalogPuzzles("pelnora7", 0, 0), 3);
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 0, 2})->mName, "c");
    EXPECT_EQ(CountCatalogPuzzles("pelnora7", 0, 1), 2);
    EXPECT_EQ(FindPuzzle("pelnora7", {0, 1, 1})->mName, "e");
}

class LocalizationTest : public DataTest {};

TEST_F(LocalizationTest, PuzzleNameListsPerSet) {
    MyLocalization reader;
    ASSERT_TRUE(reader.LoadText(R"(<texts>
      <pair id="p7test_play" value="Play[br]now"/>
      <set name="harbour">
        <puzzle>Lighthouse</puzzle>
        <puzzle/>
        <puzzle>  Anchor </puzzle>
      </set>
      <p7test_free>Free text</p7test_free>
      <set name="mill"><puzzle>Wheel</puzzle></set>
      <set name="harbour"><puzzle>Gull</puzzle></set>
    </texts>)",
                                "localization.xml"))
        << reader.GetError();
    const auto* harbour = FindLocalizedPuzzleNames("harbour");
    ASSERT_NE(harbour, nullptr);
    EXPECT_EQ(*harbour, (std::vector<std::string>{"Lighthouse", "", "Anchor", "Gull"}));
    EXPECT_EQ(GetLocalizedPuzzleName("harbour", 3), "Gull");
    EXPECT_EQ(GetLocalizedPuzzleName("harbour", 4), "");
    EXPECT_EQ(GetLocalizedPuzzleName("harbour", -1), "");
    EXPECT_EQ(GetLocalizedPuzzleName("nothing", 0), "");
    EXPECT_EQ(FindLocalizedPuzzleNames("nothing"), nullptr);
    // The base still files pairs and other elements' texts.
    EXPECT_EQ(LocalizedTexts::Lookup("p7test_play"), "Play\nnow");
    EXPECT_EQ(LocalizedTexts::Lookup("p7test_free"), "Free text");
    EXPECT_FALSE(LocalizedTexts::Contains("puzzle"));

    // Reading again replaces the lists rather than appending a second copy.
    ASSERT_TRUE(reader.LoadText(R"(<t><set name="mill"><puzzle>Sail</puzzle></set></t>)", "l.xml"));
    EXPECT_EQ(*FindLocalizedPuzzleNames("mill"), (std::vector<std::string>{"Sail"}));
    EXPECT_EQ(FindLocalizedPuzzleNames("harbour"), nullptr);
    // A broken file keeps the lists.
    EXPECT_FALSE(reader.LoadText("<t><set name=\"mill\">", "l.xml"));
    EXPECT_EQ(GetLocalizedPuzzleName("mill", 0), "Sail");
}

}  // namespace
