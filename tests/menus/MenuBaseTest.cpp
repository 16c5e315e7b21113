// The menu base: typed codes, the active menu and the focus, suspension while covered or paused,
// muted and released loops, and closing from inside the menu's own handlers.

#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "menus/Menu.h"

namespace {

// Records the typed codes the menus hand to the application.
class CodeApp : public HarnessApp {
public:
    void HandleDeveloperCode(const std::string& text) override { codes.push_back(text); }
    std::vector<std::string> codes;
};

class CountingMenu : public Menu {
public:
    explicit CountingMenu(int* updates = nullptr)
        : Menu(nullptr, false, false), mUpdates(updates) {}
    void Update() override {
        Menu::Update();
        if (mUpdates != nullptr) {
            ++*mUpdates;
        }
    }
    void MouseDown(int x, int y, int clickCount) override {
        Menu::MouseDown(x, y, clickCount);
        if (closeOnPress) {
            MarkForRemoval();
            MarkForRemoval();              // twice from the same handler: harmless
            touchedAfterClose = mRemoved;  // still alive until the pass ends
        }
    }
    void Draw(Graphics* g) override {
        Menu::Draw(g);
        ++draws;
    }
    bool closeOnPress = false;
    bool touchedAfterClose = false;
    int draws = 0;

private:
    int* mUpdates;
};

}  // namespace

TEST(MenuTypedCodes, TenLettersGiveThreeCodes) {
    ManualClock clock;
    CodeApp app;
    app.SetClock(&clock);
    app.GetWidgetManager()->SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
    auto* menu = new CountingMenu;
    Menu::ShowAsDialog(menu);
    EXPECT_EQ(app.GetWidgetManager()->GetFocusWidget(), menu);
    for (char c = 'a'; c <= 'g'; ++c) {
        app.OnKeyChar(c);
    }
    EXPECT_TRUE(app.codes.empty());
    for (char c = 'h'; c <= 'j'; ++c) {
        app.OnKeyChar(c);
    }
    EXPECT_EQ(app.codes, (std::vector<std::string>{"abcdefgh", "bcdefghi", "cdefghij"}));
    EXPECT_EQ(menu->GetTypedChars(), "cdefghij");
}

TEST_F(MenuTest, ANewMenuTakesTheFocusAndTheCoveredOneSuspends) {
    int firstUpdates = 0;
    auto* first = new CountingMenu(&firstUpdates);
    Menu::ShowAsDialog(first);
    EXPECT_TRUE(first->IsActive());
    EXPECT_EQ(h.app.GetActiveMenu(), first);
    first->StartLoopingSound(7, 0.0f);
    ASSERT_EQ(sounds.made.size(), 1u);
    RecordingInstance* loop = sounds.made[0].get();
    EXPECT_GT(loop->volume, 0.0);
    Run(3);
    EXPECT_EQ(firstUpdates, 3);

    auto* second = new CountingMenu;
    Menu::ShowAsDialog(second);
    EXPECT_EQ(h.app.GetActiveMenu(), second);
    EXPECT_FALSE(first->IsActive());
    EXPECT_TRUE(first->IsUpdateSuspended());
    EXPECT_EQ(first->GetRemovedBySuspension(), widgetflags::kMouse);
    EXPECT_NE(first->mFlagsRemove & widgetflags::kMouse, 0u);
    EXPECT_EQ(loop->volume, 0.0);  // muted
    Run(3);
    EXPECT_EQ(firstUpdates, 3);  // suspended with its subtree

    // The top menu closes: the focus and the activity go back to the one below.
    second->MarkForRemoval();
    EXPECT_EQ(h.app.GetActiveMenu(), first);
    EXPECT_EQ(h.manager->GetFocusWidget(), first);
    EXPECT_FALSE(first->IsUpdateSuspended());
    EXPECT_EQ(first->mFlagsRemove & widgetflags::kMouse, 0u);
    EXPECT_GT(loop->volume, 0.0);
    Run(2);
    EXPECT_EQ(firstUpdates, 5);
}

TEST_F(MenuTest, OnlyAMouseFlagTheMenuTookIsGivenBack) {
    auto* first = new CountingMenu;
    first->mFlagsRemove |= widgetflags::kMouse;
    Menu::ShowAsDialog(first);
    auto* second = new CountingMenu;
    Menu::ShowAsDialog(second);
    EXPECT_EQ(first->GetRemovedBySuspension(), 0u);
    second->MarkForRemoval();
    EXPECT_TRUE(first->IsActive());
    EXPECT_NE(first->mFlagsRemove & widgetflags::kMouse, 0u);  // it was never the menu's to give
}

TEST_F(MenuTest, RemovingAMenuThatIsNotActiveKeepsTheActiveOne) {
    auto* first = new CountingMenu;
    Menu::ShowAsDialog(first);
    auto* second = new CountingMenu;
    Menu::ShowAsDialog(second);
    first->MarkForRemoval();
    EXPECT_EQ(h.app.GetActiveMenu(), second);
    EXPECT_EQ(h.manager->GetFocusWidget(), second);
    EXPECT_EQ(h.app.GetMenus().size(), 1u);
}

// The window away (focus lost or minimised) pauses like the count, loops muted; a screen saver,
// which never has the focus, plays on.
TEST_F(MenuTest, AnInactiveWindowSuspendsEveryMenuButAScreenSaverPlaysOn) {
    auto* menu = new CountingMenu;
    Menu::ShowAsDialog(menu);
    menu->StartLoopingSound(3, 0.0f);
    h.app.OnFocusLost();
    EXPECT_EQ(h.app.GetPauseCount(), 1);
    EXPECT_TRUE(menu->IsUpdateSuspended());
    EXPECT_EQ(sounds.made[0]->volume, 0.0);
    h.app.OnMinimized(true);
    h.app.OnFocusGained();
    EXPECT_TRUE(menu->IsUpdateSuspended());  // still minimised
    h.app.OnMinimized(false);
    EXPECT_EQ(h.app.GetPauseCount(), 0);
    EXPECT_FALSE(menu->IsUpdateSuspended());
    EXPECT_GT(sounds.made[0]->volume, 0.0);

    h.app.mScreenSaverMode = true;
    h.app.OnFocusLost();
    h.app.OnMinimized(true);
    EXPECT_EQ(h.app.GetPauseCount(), 0);
    EXPECT_FALSE(menu->IsUpdateSuspended());
}

TEST_F(MenuTest, ThePauseCountSuspendsEveryMenuTheActiveOneIncluded) {
    int updates = 0;
    auto* menu = new CountingMenu(&updates);
    Menu::ShowAsDialog(menu);
    menu->StartLoopingSound(3, 0.0f);
    h.app.SetPauseCount(1);
    EXPECT_TRUE(menu->IsUpdateSuspended());
    EXPECT_EQ(sounds.made[0]->volume, 0.0);
    Run(2);
    EXPECT_EQ(updates, 0);
    h.app.SetPauseCount(0);
    EXPECT_TRUE(menu->IsActive());
    EXPECT_FALSE(menu->IsUpdateSuspended());
    EXPECT_GT(sounds.made[0]->volume, 0.0);
    Run(2);
    EXPECT_EQ(updates, 2);
}

TEST_F(MenuTest, AMenuThatDoesNotPauseWhenInactiveKeepsRunningBelowAnother) {
    int updates = 0;
    auto* first = new CountingMenu(&updates);
    Menu::ShowAsDialog(first);
    EXPECT_TRUE(first->SetPausesWhenInactive(false));  // returns the previous value
    Menu::ShowAsDialog(new CountingMenu);
    EXPECT_FALSE(first->IsUpdateSuspended());
    Run(2);
    EXPECT_EQ(updates, 2);
    EXPECT_FALSE(first->SetPausesWhenInactive(true));
    EXPECT_TRUE(first->IsUpdateSuspended());
    EXPECT_EQ(first->GetRemovedBySuspension(), widgetflags::kMouse);
}

TEST_F(MenuTest, LoopsAreCountedAndReleasedWhenTheMenuGoes) {
    auto* menu = new CountingMenu;
    Menu::ShowAsDialog(menu);
    menu->StartLoopingSound(5, 0.0f);
    menu->StartLoopingSound(5, 0.0f);
    menu->StartLoopingSound(6, 0.0f);
    EXPECT_EQ(menu->GetLoopingSoundCount(5), 2);
    ASSERT_NE(player.FindLoop(5), nullptr);
    EXPECT_EQ(player.FindLoop(5)->count, 2);
    menu->StopLoopingSound(9, 0.0f);  // never started here: the player is not asked
    menu->StopLoopingSound(6, 0.0f);
    EXPECT_EQ(player.FindLoop(6), nullptr);
    EXPECT_EQ(menu->GetLoopingSoundCount(6), 0);
    menu->MarkForRemoval();
    EXPECT_EQ(player.FindLoop(5), nullptr);  // both starts stopped
}

TEST_F(MenuTest, AMenuClosingItselfFromItsHandlerIsDeletedAfterThePass) {
    auto* menu = new CountingMenu;
    menu->closeOnPress = true;
    Menu::ShowAsDialog(menu);
    h.Click(100, 100);
    EXPECT_TRUE(menu->touchedAfterClose);
    EXPECT_FALSE(h.app.HasDialog(menu));
    EXPECT_EQ(h.app.GetActiveMenu(), nullptr);
    EXPECT_TRUE(h.app.GetMenus().empty());
    Run(1);  // the sanitizer catches a second deletion or a use after it
    EXPECT_EQ(h.app.GetDeletionQueueSize(), 0u);
}

TEST_F(MenuTest, AMenuRemovedInItsConstructorGoesWhenShown) {
    struct EarlyClose : Menu {
        EarlyClose() : Menu(nullptr, false, false) { MarkForRemoval(); }
    };
    auto* menu = new EarlyClose;
    Menu::ShowAsDialog(menu);
    EXPECT_FALSE(h.app.HasDialog(menu));
    EXPECT_EQ(menu->mParent, nullptr);
    EXPECT_TRUE(h.app.GetMenus().empty());
    Run(1);  // deleted through the queue
    EXPECT_EQ(h.app.GetDeletionQueueSize(), 0u);
}

TEST_F(MenuTest, ABackgroundSetsTheSizeAndCentres) {
    auto image = AddMenuTestImage("Panel", 301, 201);
    Menu centred(image.get(), true, true);
    EXPECT_EQ(centred.mWidth, 301);
    EXPECT_EQ(centred.mHeight, 201);
    EXPECT_EQ(centred.mX, 1024 / 2 - 301 / 2);
    EXPECT_EQ(centred.mY, 768 / 2 - 201 / 2);
    EXPECT_EQ(centred.mZOrder, 2);
    EXPECT_EQ(centred.mDrawPriority, 2);
    Menu plain(nullptr, false, false);
    EXPECT_EQ(plain.mWidth, 1024);
    EXPECT_EQ(plain.mHeight, 768);
    EXPECT_EQ(plain.mZOrder, 0);
    EXPECT_EQ(h.app.GetCursor(), 0);
}

TEST_F(MenuTest, MenusAreModalDialogs) {
    auto* menu = new CountingMenu;
    Menu::ShowAsDialog(menu);
    EXPECT_EQ(h.manager->GetBaseWidget(), menu);
    menu->MarkForRemoval();
    EXPECT_EQ(h.manager->GetBaseWidget(), nullptr);
}

TEST_F(MenuTest, TheRenderedSnapshotHasTheMenusSize) {
    auto* menu = new CountingMenu;
    Menu::ShowAsDialog(menu);
    EXPECT_EQ(menu->GetSnapshot(), nullptr);
    menu->SnapshotScreen(true);
    ASSERT_NE(menu->GetSnapshot(), nullptr);
    EXPECT_EQ(menu->GetSnapshot()->GetWidth(), 1024);
    EXPECT_EQ(menu->GetSnapshot()->GetHeight(), 768);
    menu->SnapshotScreen(false);  // no render device here: no picture of the screen
    EXPECT_EQ(menu->GetSnapshot(), nullptr);

    // A menu not yet shown pictures the screen it is to replace: the tree is drawn all the same.
    CountingMenu next;
    const int drawsBefore = menu->draws;
    next.SnapshotScreen(true);
    ASSERT_NE(next.GetSnapshot(), nullptr);
    EXPECT_EQ(menu->draws, drawsBefore + 1);
}
