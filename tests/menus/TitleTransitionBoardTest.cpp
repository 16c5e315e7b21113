// The title screen and its two loading steps, transitions, and the board's play time and paused
// cover.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "MenuTestSupport.h"
#include "app/LoadingCompleteListener.h"
#include "core/util/Log.h"
#include "game/data/PlayerState.h"
#include "menus/Board.h"
#include "menus/TitleScreen.h"
#include "menus/Transition.h"

namespace {

class HandOverApp : public HarnessApp {
public:
    void LoadingComplete() override {
        HarnessApp::LoadingComplete();
        ++handOvers;
    }
    int handOvers = 0;
};

class CountingTitle : public TitleScreen {
public:
    CountingTitle() : TitleScreen(nullptr) {}
    void Update() override { ++updates; }
    void LoadingComplete() override {
        TitleScreen::LoadingComplete();
        ++loadingCompletes;
    }
    int updates = 0;
    int loadingCompletes = 0;
};

class TestBoard : public Board {
public:
    void ShowMainMenu() override { ++mainMenus; }
    void StartPlay() override {}
    int mainMenus = 0;
};

}  // namespace

TEST(TitleScreenSteps, TheLoadingStepTellsTheTitleAndLeavingHandsOver) {
    ManualClock clock;
    HandOverApp app;
    app.SetClock(&clock);
    auto* title = new CountingTitle;
    EXPECT_EQ(gTitleScreen, static_cast<LoadingCompleteListener*>(title));
    Menu::ShowAsDialog(title);
    // The main loop's step reaches the title through gTitleScreen.
    gTitleScreen->LoadingComplete();
    EXPECT_EQ(title->loadingCompletes, 1);
    EXPECT_EQ(app.handOvers, 0);
    // Leaving the title hands the application over, then the title goes.
    title->CloseThroughApp();
    EXPECT_EQ(app.handOvers, 1);
    EXPECT_FALSE(app.HasDialog(title));
    app.ProcessDeletionQueue();
    EXPECT_EQ(gTitleScreen, nullptr);
}

TEST_F(MenuTest, TheTitleKeepsUpdatingUnderAnotherMenuAndWhilePaused) {
    auto* title = new CountingTitle;
    Menu::ShowAsDialog(title);
    Menu::ShowAsDialog(new Menu(nullptr, false, false));
    EXPECT_FALSE(title->IsActive());
    Run(2);
    h.app.SetPauseCount(1);
    Run(2);
    EXPECT_EQ(title->updates, 4);
    h.app.SetPauseCount(0);
}

TEST_F(MenuTest, ATransitionShowsTheOldScreenOpensTheNextAndRemovesItself) {
    Scripts(
        "<animation name=\"flip\"><set id=\"screenshot\" property=\"x\" value=\"100\"/>"
        "<wait-for time=\"4\"/></animation>");
    auto* old = new Menu(nullptr, false, false);
    Menu::ShowAsDialog(old);
    auto* next = new Menu(nullptr, false, false);
    auto* transition = new Transition("flip", next, true);
    EXPECT_TRUE(h.app.HasDialog(next));  // already open beneath
    EXPECT_EQ(transition->GetVariables().Find("menu")->AsObject(), next);
    EXPECT_EQ(transition->mZOrder, Transition::kOnTop);
    ASSERT_NE(transition->GetSnapshot(), nullptr);
    const ExprValue* shot = transition->GetVariables().Find("screenshot");
    ASSERT_NE(shot, nullptr);
    auto* picture = dynamic_cast<DynamicWidget*>(shot->AsObject());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetImage(), transition->GetSnapshot());

    Menu::ShowAsDialog(transition);
    EXPECT_EQ(picture->mX, 100.0f);                          // the script runs once shown
    EXPECT_EQ(h.manager->GetChildren().back(), transition);  // above every screen
    Run(3);
    EXPECT_TRUE(h.app.HasDialog(transition));
    Run(2);
    EXPECT_FALSE(h.app.HasDialog(transition));
    EXPECT_EQ(h.app.GetActiveMenu(), next);
}

TEST_F(MenuTest, ATransitionWithoutNextMenuOrScriptStillGoes) {
    auto* transition = new Transition("no_such_script", nullptr, false);
    EXPECT_EQ(transition->GetVariables().Find("menu"), nullptr);
    EXPECT_NE(transition->GetVariables().Find("screenshot"), nullptr);
    Menu::ShowAsDialog(transition);
    EXPECT_FALSE(h.app.HasDialog(transition));  // nothing would ever end it
    Run(1);
}

// The total is time in the game: the paused cover counts too.
TEST_F(MenuTest, TheBoardCountsPlayTimePausedOrNot) {
    BasicPlayerState state;
    state.MakeCurrent();
    auto* board = new TestBoard;
    h.manager->AddWidget(board);
    EXPECT_EQ(board->mainMenus, 1);  // the first screen opens as it joins
    EXPECT_EQ(board->mWidth, 1024);
    Run(6000);
    EXPECT_EQ(state.mMinutes, 1);
    EXPECT_EQ(state.mCentiseconds, 0);
    h.app.SetPauseCount(1);
    EXPECT_TRUE(board->IsPaused());
    Run(100);
    EXPECT_EQ(state.mCentiseconds, 100);
    h.app.SetPauseCount(0);
    EXPECT_FALSE(board->IsPaused());
    Run(5);
    EXPECT_EQ(state.mCentiseconds, 105);
    board->MarkForRemoval();
    Run(1);
    ClearCurrentPlayerState();
}

TEST_F(MenuTest, AnHourOfUpdatesAddsAnHour) {
    BasicPlayerState state;
    state.MakeCurrent();
    state.mMinutes = 59;
    state.mCentiseconds = 5999;
    TestBoard board;
    board.Update();
    EXPECT_EQ(state.mHours, 1);
    EXPECT_EQ(state.mMinutes, 0);
    EXPECT_EQ(state.mCentiseconds, 0);
    ClearCurrentPlayerState();
}

TEST_F(MenuTest, ThePausedBoardIsDrawnOverEverythingAndBackUnderAfter) {
    auto* board = new TestBoard;
    h.manager->AddWidget(board);
    auto* screen = new Menu(nullptr, false, false);
    Menu::ShowAsDialog(screen);
    auto* popup = new Menu(nullptr, true, false);
    Menu::ShowAsDialog(popup);
    h.app.SetPauseCount(1);
    EXPECT_EQ(h.manager->GetChildren().back(), board);
    EXPECT_EQ(board->mZOrder, Board::kPausedOrder);
    h.app.SetPauseCount(2);  // still paused: nothing moves
    EXPECT_EQ(h.manager->GetChildren().back(), board);
    h.app.SetPauseCount(0);
    EXPECT_EQ(h.manager->GetChildren().front(), board);
    EXPECT_EQ(board->mZOrder, 0);
}

TEST_F(MenuTest, PausingDuringAnUpdateRestacksTheBoardBeforeTheNextOne) {
    // A widget that pauses the game from its own update, inside the walk over the root.
    class Pauser : public Widget {
    public:
        void Update() override {
            if (pause) {
                pause = false;
                gApp->SetPauseCount(1);
            }
        }
        bool pause = false;
    };
    auto* board = new TestBoard;
    h.manager->AddWidget(board);
    auto* pauser = new Pauser;
    h.manager->AddWidget(pauser);
    pauser->pause = true;
    Run(1);
    EXPECT_TRUE(board->IsPaused());
    EXPECT_EQ(h.manager->GetChildren().front(), board);  // not moved under the walk
    Run(1);
    EXPECT_EQ(h.manager->GetChildren().back(), board);
    h.app.SetPauseCount(0);
}

TEST_F(MenuTest, TheBoardLogsTheTotalPlayTimeOnlyWithAPlayer) {
    ::setenv("XDG_DESKTOP_DIR", folder.Path().c_str(), 1);
    ASSERT_TRUE(StartLogging("MenuTest", "v1"));
    {
        auto* board = new TestBoard;
        h.manager->AddWidget(board);
        board->MarkForRemoval();  // no current player: nothing logged
        BasicPlayerState state;
        state.MakeCurrent();
        state.mHours = 2;
        state.mMinutes = 7;
        state.mCentiseconds = 4599;
        auto* second = new TestBoard;
        h.manager->AddWidget(second);
        second->MarkForRemoval();
        ClearCurrentPlayerState();
    }
    const std::string path = GetLogFilePath();
    StopLogging();
    ::unsetenv("XDG_DESKTOP_DIR");
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    const std::string log = text.str();
    EXPECT_NE(log.find("Total play time: 2:07:45"), std::string::npos) << log;
    EXPECT_EQ(log.find("Total play time"), log.rfind("Total play time"));
}
