// The script commands that reach a widget's owning menu: "notice-menu" and the counted looping
// sounds, and the loops a scripted widget gives back when it leaves the manager.

#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "menus/Menu.h"
#include "menus/NoticeMenu.h"

namespace {

// A menu whose scripts can note progress with "mark" (the value of "v").
class MarkingMenu : public Menu {
public:
    explicit MarkingMenu(const std::string& script) : Menu(script) {}
    CommandAnswer HandleCommand(const AnimationCommand& command) override {
        if (command.mCommand == "mark") {
            trace += GetParamString("v");
            return CommandAnswer::kHandled;
        }
        return CommandAnswer::kNotHandled;
    }
    std::string trace;
};

NoticeMenu* TopNotice(WidgetHarness& h) {
    for (auto it = h.manager->GetChildren().rbegin(); it != h.manager->GetChildren().rend(); ++it) {
        if (auto* notice = dynamic_cast<NoticeMenu*>(*it)) {
            return notice;
        }
    }
    return nullptr;
}

}  // namespace

TEST_F(MenuTest, ANoticeWaitsAndKeepsTheMenuRunningUntilItCloses) {
    Scripts(
        "<animation name=\"s\"><mark v=\"a\"/><notice-menu text=\"hint_intro\"/>"
        "<mark v=\"b\"/></animation>");
    auto* menu = new MarkingMenu("s");
    Menu::ShowAsDialog(menu);
    EXPECT_EQ(menu->trace, "a");
    EXPECT_EQ(menu->GetRunState(), AnimationWidget::kNoticeMenu);
    NoticeMenu* notice = TopNotice(h);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(menu->GetNoticeMenu(), notice);
    EXPECT_EQ(notice->GetVariables().Find("text_font")->AsString(), "menu");
    EXPECT_EQ(h.app.GetActiveMenu(), notice);
    EXPECT_FALSE(menu->GetPausesWhenInactive());  // "unpause" defaults to true
    EXPECT_FALSE(menu->IsUpdateSuspended());

    notice->OnEvent("close", "", 0);
    EXPECT_EQ(menu->trace, "ab");
    EXPECT_TRUE(menu->GetPausesWhenInactive());  // its earlier setting back
    EXPECT_EQ(menu->GetNoticeMenu(), nullptr);
    EXPECT_EQ(h.app.GetActiveMenu(), menu);
}

TEST_F(MenuTest, ANoticeWithoutUnpauseLeavesTheMenuSuspended) {
    Scripts(
        "<animation name=\"s\"><notice-menu text=\"x\" unpause=\"false\"/><mark v=\"b\"/>"
        "</animation>");
    auto* menu = new MarkingMenu("s");
    Menu::ShowAsDialog(menu);
    EXPECT_TRUE(menu->GetPausesWhenInactive());
    EXPECT_TRUE(menu->IsUpdateSuspended());
    TopNotice(h)->OnEvent("close", "", 0);
    EXPECT_EQ(menu->trace, "b");
    EXPECT_TRUE(menu->GetPausesWhenInactive());
}

TEST_F(MenuTest, ANoticeWithContinueDoesNotWaitAndASecondReplacesTheFirst) {
    Scripts(
        "<animation name=\"s\"><notice-menu text=\"x\" continue=\"true\"/><mark v=\"c\"/>"
        "</animation>"
        "<animation name=\"t\"><notice-menu text=\"y\" continue=\"true\"/></animation>");
    auto* menu = new MarkingMenu("s");
    Menu::ShowAsDialog(menu);
    NoticeMenu* first = TopNotice(h);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(menu->trace, "");  // the run ends at the command
    EXPECT_EQ(menu->GetRunState(), AnimationWidget::kRunning);
    EXPECT_TRUE(menu->GetPausesWhenInactive());
    menu->PlayAnimationRef("t");
    EXPECT_FALSE(h.app.HasDialog(first));  // the open one was closed
    EXPECT_NE(TopNotice(h), nullptr);
    EXPECT_NE(TopNotice(h), first);
}

TEST_F(MenuTest, ARestartedScriptGivesTheMenuItsPauseBackWhenTheNoticeGoes) {
    Scripts(
        "<animation name=\"s\"><notice-menu text=\"x\"/><mark v=\"b\"/></animation>"
        "<animation name=\"t\"><mark v=\"t\"/></animation>");
    // Restarted into another script, or into the same one, which opens a second notice.
    for (const char* restart : {"t", "s"}) {
        SCOPED_TRACE(restart);
        auto* menu = new MarkingMenu("s");
        Menu::ShowAsDialog(menu);
        ASSERT_FALSE(menu->GetPausesWhenInactive());
        menu->PlayAnimationRef(restart);
        while (NoticeMenu* notice = TopNotice(h)) {
            notice->OnEvent("close", "", 0);
            h.RunUpdates(1);
        }
        EXPECT_TRUE(menu->GetPausesWhenInactive());
        menu->MarkForRemoval();
        h.RunUpdates(1);
    }
}

TEST_F(MenuTest, SoundLoopsAreCountedInTheHostAndItsMenu) {
    AssetManager::Get().SetSound("hum", 4);
    Scripts(
        "<animation name=\"two\"><start-soundloop name=\"hum\"/>"
        "<start-soundloop name=\"hum\" fade=\"0.5\"/></animation>"
        "<animation name=\"one_off\"><stop-soundloop name=\"hum\"/></animation>");
    auto* menu = new MarkingMenu("");
    Menu::ShowAsDialog(menu);
    auto* host = new AnimationWidget("two", 0, 0, false);
    menu->AddWidget(host);
    EXPECT_EQ(host->GetMenuSoundLoopCount(4), 2);
    EXPECT_EQ(menu->GetLoopingSoundCount(4), 2);
    ASSERT_NE(player.FindLoop(4), nullptr);
    EXPECT_EQ(player.FindLoop(4)->count, 2);

    host->PlayAnimationRef("one_off");
    EXPECT_EQ(host->GetMenuSoundLoopCount(4), 1);
    EXPECT_EQ(menu->GetLoopingSoundCount(4), 1);

    // Another widget releases only what it started itself: nothing here.
    auto* other = new AnimationWidget("one_off", 0, 0, false);
    menu->AddWidget(other);
    EXPECT_EQ(menu->GetLoopingSoundCount(4), 1);

    // The host leaves: its remaining start is given back through the menu.
    host->MarkForRemoval();
    EXPECT_EQ(menu->GetLoopingSoundCount(4), 0);
    EXPECT_EQ(player.FindLoop(4), nullptr);
    Run(1);
}

TEST_F(MenuTest, SoundLoopsOutsideAMenuAreOnlyLogged) {
    AssetManager::Get().SetSound("hum", 4);
    Scripts("<animation name=\"two\"><start-soundloop name=\"hum\"/></animation>");
    auto* loose = h.Add(new AnimationWidget("two", 0, 0, false), 0, 0, 10, 10);
    EXPECT_EQ(loose->GetMenuSoundLoopCount(4), 0);
    EXPECT_EQ(player.FindLoop(4), nullptr);
}

TEST_F(MenuTest, AMenusOwnScriptLoopsStopOnceWhenItGoes) {
    AssetManager::Get().SetSound("hum", 4);
    Scripts("<animation name=\"two\"><start-soundloop name=\"hum\"/></animation>");
    auto* menu = new MarkingMenu("two");
    Menu::ShowAsDialog(menu);
    EXPECT_EQ(menu->GetLoopingSoundCount(4), 1);
    EXPECT_EQ(menu->GetMenuSoundLoopCount(4), 1);
    menu->MarkForRemoval();
    EXPECT_EQ(player.FindLoop(4), nullptr);
    Run(1);
}
