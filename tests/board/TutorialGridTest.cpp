#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "BoardTestSupport.h"
#include "game/board/BoardAssets.h"
#include "game/board/TutorialGrid.h"
#include "game/board/TutorialPopups.h"
#include "game/data/MyLocalization.h"
#include "graphics/assets/LocalizedTexts.h"
#include "support/TempFolder.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/HyperlinkWidget.h"
#include "widgets/script/AnimationCommand.h"

namespace {

std::vector<std::string> gNotices;
ButtonWidget* gOkButton = nullptr;
std::string gPopupText;
int gOkEnabled = 0;

void RecordNotice(const std::string& text, const std::string& layout) {
    gNotices.push_back(text + "/" + layout);
}

// The screens' popup stand-in: a disabled OK button reporting to the grid.
Widget* ShowTestPopup(DynamicWidget* label, ButtonListener* listener, uint32_t* okButtonId) {
    if (auto* text = dynamic_cast<TextLabel*>(label)) {
        gPopupText = text->GetText();
    }
    gOkButton =
        new ButtonWidget(static_cast<int>(label->mX), static_cast<int>(label->mY), "", "OK", false);
    gOkButton->SetButtonListener(listener);
    gOkButton->SetDisabled(true);
    *okButtonId = gOkButton->mId;
    label->GetParent()->AddWidget(gOkButton);
    return gOkButton;
}

void EnableTestOk(Widget* popup) {
    ++gOkEnabled;
    popup->SetDisabled(false);
}

AnimationCommand Cmd(const std::string& word, AnimationCommand::ParamMap params = {}) {
    AnimationCommand command;
    command.mCommand = word;
    command.mParams = std::move(params);
    return command;
}

class TutorialGridTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        gNotices.clear();
        gOkButton = nullptr;
        gOkEnabled = 0;
        SetBoardNoticeHandler(RecordNotice);
        SetTutorialPopupHooks({ShowTestPopup, EnableTestOk});
        int mode = 0, set = 0;
        ASSERT_TRUE(FindPuzzleOfSize(10, &mode, &set, &mPuzzle));
        record = FindPuzzle(kDefaultGameName, {mode, set, mPuzzle});
        std::ofstream(folder.Path() + "tutorial.xml") << R"(<animations>
  <animation name="tutorial_)" << mPuzzle + 1 << R"(">
    <reveal group="0" x1="2" y1="1" x2="5" y2="1"/>
    <do-tiles/>
    <assign name="'stage'" value="1"/>
    <reveal x1="0" y1="0" x2="3" y2="2"/>
    <mark x1="9" y1="9" x2="12" y2="9"/>
    <set-flash-groups count="0"/>
    <reveal x1="3" y1="1"/>
    <do-tiles/>
    <assign name="'stage'" value="2"/>
    <popup text="'Reveal the row'" x="300" y="200" lookup="false"/>
    <ok/>
    <assign name="'stage'" value="3"/>
  </animation>
</animations>)";
        AnimationStats scripts(false);
        ASSERT_TRUE(scripts.ReadAll("tutorial.xml", folder.Path()));
        grid = new TutorialGrid(kDefaultGameName, {mode, set, mPuzzle});
        h.manager->AddWidget(grid);
    }
    void TearDown() override {
        h.manager->RemoveAllWidgets(true, true);
        h.RunUpdates(1);
        SetBoardNoticeHandler(nullptr);
        SetTutorialPopupHooks({});
        BoardTest::TearDown();
    }

    int Stage() {
        const ExprValue* stage = grid->GetVariables().Find("stage");
        return stage != nullptr ? stage->AsInt() : 0;
    }
    CellPos Centre(int a, int b) const {
        const int t = grid->GetTileSize();
        return {static_cast<int>(grid->mX) + a * t + t / 2,
                static_cast<int>(grid->mY) + b * t + t / 2};
    }
    void Stroke(int a0, int b0, int a1, int b1) {
        const CellPos from = Centre(a0, b0), to = Centre(a1, b1);
        h.Drag(from.a, from.b, to.a, to.b);
    }

    TempFolder folder;
    const PuzzleRecord* record = nullptr;
    int mPuzzle = 0;
    TutorialGrid* grid = nullptr;
};

}  // namespace

TEST_F(TutorialGridTest, ScriptNamedAfterThePuzzle) {
    EXPECT_EQ(grid->GetScriptName(), "tutorial_" + std::to_string(mPuzzle + 1));
    EXPECT_EQ(grid->GetFlashGroups(), 2);
    EXPECT_FALSE(grid->IsFreePlay());
}

TEST_F(TutorialGridTest, StepCellsWaitForTheStrokeThenTheScriptGoesOn) {
    grid->OnResume();
    EXPECT_FALSE(grid->mDisabled);
    for (int a = 2; a <= 5; ++a) {
        EXPECT_EQ(grid->GetStepCell(a, 1).action, 1) << a;
        EXPECT_EQ(grid->GetStepCell(a, 1).groups, 1) << a;
    }
    EXPECT_EQ(grid->GetStepCell(1, 1).action, 0);
    EXPECT_EQ(grid->GetRemaining(), 4);
    EXPECT_TRUE(grid->IsWaitingForTiles());
    h.RunUpdates(5);
    EXPECT_EQ(Stage(), 0);

    Stroke(2, 1, 5, 1);
    for (int a = 2; a <= 5; ++a) {
        EXPECT_TRUE(grid->GetModel().IsResolved(a, 1)) << a;
    }
    // The step is done: the script went on, past the refused lines and the already revealed
    // cell, to the popup.
    EXPECT_EQ(grid->GetRemaining(), 0);
    EXPECT_FALSE(grid->IsResumeReady());
    EXPECT_GE(Stage(), 2);
    EXPECT_EQ(grid->GetStepCell(0, 0).action, 0);
    EXPECT_EQ(grid->GetStepCell(1, 1).action, 0);
    EXPECT_EQ(grid->GetFlashGroups(), 1);

    // The popup waits for its OK button.
    ASSERT_NE(gOkButton, nullptr);
    EXPECT_EQ(grid->GetPopup(), gOkButton);
    EXPECT_EQ(gOkEnabled, 1);
    EXPECT_TRUE(grid->IsWaitingForOk());
    EXPECT_EQ(Stage(), 2);
    grid->ButtonDepress(gOkButton->mId);
    EXPECT_EQ(Stage(), 3);
    EXPECT_EQ(grid->GetPopup(), nullptr);
    // The script ended: free play.
    EXPECT_TRUE(grid->IsFreePlay());
    h.RunUpdates(2);
}

TEST_F(TutorialGridTest, CellsOutsideTheStepAreRefusedWithANotice) {
    grid->OnResume();
    Stroke(2, 2, 2, 2);
    EXPECT_FALSE(grid->GetModel().IsResolved(2, 2));
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_EQ(gNotices[0], "blank_tile/menu");

    grid->SetTool(1);
    Stroke(3, 1, 3, 1);
    EXPECT_FALSE(grid->GetModel().IsResolved(3, 1));
    ASSERT_EQ(gNotices.size(), 2u);
    EXPECT_EQ(gNotices[1], "incorrect_tile/menu");
    EXPECT_EQ(grid->GetRemaining(), 4);
    EXPECT_EQ(Stage(), 0);

    // Part of the step in one stroke, the rest in another.
    grid->SetTool(0);
    Stroke(2, 1, 3, 1);
    EXPECT_EQ(grid->GetRemaining(), 2);
    EXPECT_EQ(Stage(), 0);
    Stroke(4, 1, 5, 1);
    EXPECT_GE(Stage(), 2);
}

TEST_F(TutorialGridTest, NoticesWaitForTheHeldStrokeToEnd) {
    grid->OnResume();
    const CellPos from = Centre(2, 1), to = Centre(5, 1);
    h.MoveTo(from.a, from.b);
    h.Press(from.a, from.b);
    h.MoveTo(to.a, to.b);
    ShowBoardNotice("hint_intro", "menu");
    EXPECT_TRUE(gNotices.empty());
    h.Release(to.a, to.b);
    EXPECT_EQ(gNotices, std::vector<std::string>{"hint_intro/menu"});
    // The stroke it waited for was taken whole.
    EXPECT_GE(Stage(), 2);
}

TEST_F(TutorialGridTest, GroupsFlashInTurnForOneSecondEach) {
    ASSERT_EQ(grid->RunCommand(Cmd("reveal", {{"group", "2"}, {"x1", "0"}, {"y1", "0"}})),
              CommandAnswer::kHandled);
    EXPECT_EQ(grid->GetFlashGroups(), 3);
    std::vector<int> shown;
    for (int i = 0; i < 600; ++i) {
        if (i % 100 == 50) {
            shown.push_back(grid->GetShownGroup());
        }
        h.RunUpdates(1);
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1, 2}));
    // No groups at all still counts one.
    grid->RunCommand(Cmd("set-flash-groups", {{"count", "0"}}));
    h.RunUpdates(150);
    EXPECT_EQ(grid->GetShownGroup(), 0);
}

TEST_F(TutorialGridTest, LinesMustBeStraightOrDiagonalAndInside) {
    grid->RunCommand(Cmd("mark", {{"x1", "1"}, {"y1", "1"}, {"x2", "4"}, {"y2", "4"}}));
    EXPECT_EQ(grid->GetRemaining(), 4);
    EXPECT_EQ(grid->GetStepCell(3, 3).action, 2);
    grid->RunCommand(Cmd("mark", {{"x1", "0"}, {"y1", "0"}, {"x2", "2"}, {"y2", "1"}}));
    grid->RunCommand(Cmd("mark", {{"x1", "8"}, {"y1", "0"}, {"x2", "10"}, {"y2", "0"}}));
    grid->RunCommand(Cmd("reveal", {{"x1", "-1"}, {"y1", "0"}}));
    EXPECT_EQ(grid->GetRemaining(), 4);
    // Backwards along a column, ending in column 0.
    grid->RunCommand(Cmd("reveal", {{"x1", "0"}, {"y1", "6"}, {"x2", "0"}, {"y2", "5"}}));
    EXPECT_EQ(grid->GetRemaining(), 6);
    EXPECT_EQ(grid->GetStepCell(0, 5).action, 1);
    grid->RunCommand(Cmd("clear-tiles"));
    EXPECT_EQ(grid->GetRemaining(), 0);
    EXPECT_EQ(grid->GetStepCell(3, 3).action, 0);
    // Nothing to do: the step goes on instead of waiting.
    EXPECT_EQ(grid->RunCommand(Cmd("do-tiles")), CommandAnswer::kHandled);
}

TEST_F(TutorialGridTest, CluesHighlightByLineOrPosition) {
    const ClueLists& clues = grid->GetClues();
    int column = -1;
    for (int i = 0; i < 10 && column < 0; ++i) {
        if (clues.columns[i].size() >= 2) {
            column = i;
        }
    }
    ASSERT_GE(column, 0);
    grid->RunCommand(Cmd("highlight", {{"col", std::to_string(column + 1)}, {"position", "2"}}));
    EXPECT_FALSE(grid->IsClueHighlighted(0, column, 0));
    EXPECT_TRUE(grid->IsClueHighlighted(0, column, 1));
    grid->RunCommand(Cmd("highlight", {{"row", "1"}}));
    for (size_t j = 0; j < clues.rows[0].size(); ++j) {
        EXPECT_TRUE(grid->IsClueHighlighted(1, 0, static_cast<int>(j)));
    }
    grid->RunCommand(Cmd("unhighlight", {{"row", "1"}}));
    EXPECT_FALSE(grid->IsClueHighlighted(1, 0, 0));
    grid->RunCommand(Cmd("highlight", {{"col", "11"}}));  // no such column: nothing
    grid->RunCommand(Cmd("highlight", {{"row", "1"}, {"position", "9"}}));
    h.Draw();
}

TEST_F(TutorialGridTest, LinksOpenTheirNoticeAndGo) {
    ASSERT_EQ(grid->RunCommand(Cmd("add-link", {{"id", "'more'"},
                                                {"text", "'Tell me more'"},
                                                {"lookup", "false"},
                                                {"x", "512"},
                                                {"y", "700"},
                                                {"width", "300"},
                                                {"popup-text", "'tutorial_more'"}})),
              CommandAnswer::kHandled);
    HyperlinkWidget* link = grid->GetLink("more");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetLabel(), "Tell me more");
    grid->ButtonDepress(link->mId);
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_EQ(gNotices[0], "tutorial_more/menu");
    grid->RunCommand(Cmd("remove-link", {{"id", "'more'"}}));
    EXPECT_EQ(grid->GetLink("more"), nullptr);
    h.RunUpdates(1);
    EXPECT_EQ(grid->RunCommand(Cmd("call_tut_fade")), CommandAnswer::kNotHandled);
    EXPECT_EQ(grid->RunCommand(Cmd("flash")), CommandAnswer::kHandled);
    EXPECT_EQ(grid->RunCommand(Cmd("set", {{"reveal-mode", "'all'"}})), CommandAnswer::kHandled);
    EXPECT_TRUE(grid->IsAllMode());
}

TEST_F(TutorialGridTest, MissingScriptMeansFreePlay) {
    AnimationTable::Get().Clear();
    grid->OnResume();
    EXPECT_TRUE(grid->IsFreePlay());
    Stroke(0, 0, 0, 0);
    EXPECT_TRUE(grid->GetModel().IsResolved(0, 0));
}

// While the script leads, a hint takes only hidden solid tiles the step asks to reveal: a tile
// of a later step would leave that step's tip counting one tile too many. In free play it may
// take any.
TEST_F(TutorialGridTest, AHintTakesOnlyTheStepsTilesWhileTheScriptLeads) {
    grid->OnResume();
    const PlayModel& model = grid->GetModel();
    const int n = model.GetSize();
    const auto inStep = [](int a, int b) { return b == 1 && a >= 2 && a <= 5; };
    int hiddenInStep = 0;
    int hiddenElsewhere = 0;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (model.IsSolid(a, b) && !model.IsResolved(a, b)) {
                (inStep(a, b) ? hiddenInStep : hiddenElsewhere) += 1;
            }
        }
    }
    ASSERT_GT(hiddenInStep, 0);
    ASSERT_GT(hiddenElsewhere, 0);
    EXPECT_EQ(grid->RevealHintTiles(0, 0, n * n), hiddenInStep);
    for (int i = 0; i < 3000 && grid->GetHintTrailCount() > 0; ++i) {
        h.RunUpdates(1);
    }
    EXPECT_EQ(grid->GetHintTrailCount(), 0u);
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (model.IsSolid(a, b)) {
                EXPECT_EQ(model.IsResolved(a, b), inStep(a, b)) << a << ", " << b;
            }
        }
    }
}

TEST_F(TutorialGridTest, InFreePlayAHintTakesAnyHiddenTile) {
    AnimationTable::Get().Clear();
    grid->OnResume();
    ASSERT_TRUE(grid->IsFreePlay());
    const int solid = grid->GetModel().GetSolidLeft();
    EXPECT_EQ(grid->RevealHintTiles(0, 0, solid + 5), solid);
}

TEST_F(TutorialGridTest, AHintThatDoesTheStepsLastCellLetsTheScriptGoOn) {
    ASSERT_NE(record->mSolution[5][1], 0);
    grid->OnResume();
    Stroke(2, 1, 4, 1);
    EXPECT_EQ(grid->GetRemaining(), 1);
    // A reward as large as the board: the hint's reveals take the step's last cell too.
    grid->RevealHintTiles(0, 0, grid->GetModel().GetSize() * grid->GetModel().GetSize());
    for (int i = 0; i < 3000 && grid->GetHintTrailCount() > 0; ++i) {
        h.RunUpdates(1);
    }
    EXPECT_EQ(grid->GetRemaining(), 0);
    EXPECT_FALSE(grid->IsWaitingForTiles());
    EXPECT_GE(Stage(), 2);
}

// The shipped tutorial scripts name solid cells to reveal and holes to mark, on lines the grid
// accepts, in the desk puzzles they run on.
TEST_F(BoardTest, ShippedTutorialStepsMatchTheirPuzzles) {
    for (int p = 0; p < 4; ++p) {
        const PuzzleRecord* puzzle = FindPuzzle(kDefaultGameName, {0, 0, p});
        ASSERT_NE(puzzle, nullptr);
        const auto script = AnimationTable::Get().Find("tutorial_" + std::to_string(p + 1));
        ASSERT_TRUE(script) << p;
        int steps = 0;
        for (const AnimationCommand& command : script->mCommands) {
            if (command.mCommand != "reveal" && command.mCommand != "mark") {
                continue;
            }
            auto param = [&](const char* name, int fallback) {
                const std::string* text = command.FindParam(name);
                return text != nullptr ? std::stoi(*text) : fallback;
            };
            const int x1 = param("x1", 0), y1 = param("y1", 0);
            const int x2 = param("x2", x1), y2 = param("y2", y1);
            const int sx = (x2 > x1) - (x2 < x1), sy = (y2 > y1) - (y2 < y1);
            ASSERT_TRUE(x1 == x2 || y1 == y2 || std::abs(x2 - x1) == std::abs(y2 - y1));
            for (int a = x1, b = y1;; a += sx, b += sy) {
                ASSERT_LT(a, puzzle->GetGridSize());
                ASSERT_LT(b, puzzle->GetGridSize());
                EXPECT_EQ(puzzle->mSolution[a][b] != 0, command.mCommand == "reveal")
                    << "tutorial_" << p + 1 << " cell (" << a << ", " << b << ")";
                ++steps;
                if (a == x2 && b == y2) {
                    break;
                }
            }
        }
        EXPECT_GT(steps, 0) << p;
    }
}

// A player who strokes exactly what flashes, as soon as a tip shows it, is never told off: the
// cells of a step flash while its tip shows, a tip waits for its OK only when nothing flashes,
// and the last tip of a board leaves the board to free play with its OK ready to close it.
TEST_F(BoardTest, ShippedTutorialsTakeWhatTheirTipsAskFor) {
    MyLocalization texts;
    ASSERT_TRUE(texts.LoadText(ReadContentFile(MyLocalization::kFileName), "localization.xml"));
    SetBoardNoticeHandler(RecordNotice);
    SetTutorialPopupHooks({ShowTestPopup, EnableTestOk});
    for (int p = 0; p < 4; ++p) {
        gNotices.clear();
        gOkButton = nullptr;
        auto* grid = new TutorialGrid(kDefaultGameName, {0, 0, p});
        h.manager->AddWidget(grid);
        grid->ResolveEmptyLines();
        grid->OnResume();
        const int t = grid->GetTileSize();
        for (int guard = 0; guard < 40 && !grid->IsFreePlay(); ++guard) {
            if (grid->IsWaitingForOk()) {
                // A tip that waits for its OK asks for no stroke.
                for (const char* verb : {"eveal", "ark ", "troke"}) {
                    EXPECT_EQ(gPopupText.find(verb), std::string::npos) << gPopupText;
                }
                EXPECT_EQ(grid->GetRemaining(), 0) << "tutorial_" << p + 1;
                grid->ButtonDepress(gOkButton->mId);
                continue;
            }
            ASSERT_TRUE(grid->IsWaitingForTiles()) << "tutorial_" << p + 1;
            std::vector<std::tuple<int, int, int>> cells;  // a, b, action
            for (int a = 0; a < grid->GetModel().GetSize(); ++a) {
                for (int b = 0; b < grid->GetModel().GetSize(); ++b) {
                    if (grid->GetStepCell(a, b).action != 0) {
                        cells.emplace_back(a, b, grid->GetStepCell(a, b).action);
                    }
                }
            }
            for (const auto& [a, b, action] : cells) {
                grid->SetTool(action == 2 ? 1 : 0);
                const int x = static_cast<int>(grid->mX) + a * t + t / 2;
                const int y = static_cast<int>(grid->mY) + b * t + t / 2;
                h.Drag(x, y, x, y);
            }
        }
        EXPECT_TRUE(grid->IsFreePlay()) << "tutorial_" << p + 1;
        EXPECT_TRUE(gNotices.empty()) << "tutorial_" << p + 1 << ": " << gNotices.front();
        if (gOkButton != nullptr && grid->GetPopup() != nullptr) {
            EXPECT_FALSE(gOkButton->mDisabled) << "tutorial_" << p + 1;
        }
        h.manager->RemoveAllWidgets(true, true);
        h.RunUpdates(1);
    }
    SetBoardNoticeHandler(nullptr);
    SetTutorialPopupHooks({});
    LocalizedTexts::Clear();
}
