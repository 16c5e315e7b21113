// The dialog table and the deferred deletion queue: deletion never happens during a widget walk,
// and killing a dialog twice, or one never added, is harmless.

#include <vector>

#include "support/AppTestSupport.h"
#include "widgets/MenuInterface.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

int gDeleted = 0;

class TrackedWidget : public Widget {
public:
    ~TrackedWidget() override { ++gDeleted; }
    void Update() override {
        ++updates;
        if (removeSelfOnUpdate) {
            MarkForRemoval();
            // Still alive for the rest of the walk: touching members is safe.
            ++updates;
        }
        if (victim != nullptr) {
            victim->MarkForRemoval();
            victim = nullptr;
        }
    }
    int updates = 0;
    bool removeSelfOnUpdate = false;
    Widget* victim = nullptr;
};

// A dialog that asks to be modal, as the menus do.
class ModalDialog : public Widget, public MenuInterface {
public:
    bool WantsBaseLayer() const override { return true; }
    void SetActive(bool active) override { (void)active; }
    bool SetPausesWhenInactive(bool pauses) override { return !pauses; }
    void StartLoopingSound(int soundId, float rate) override { (void)soundId, (void)rate; }
    void StopLoopingSound(int soundId, float rate) override { (void)soundId, (void)rate; }
    Widget* OpenNotice(const std::string& key) override {
        (void)key;
        return nullptr;
    }
};

class DialogTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        gDeleted = 0;
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
    }
    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
};

}  // namespace

TEST_F(DialogTableTest, KillingTwiceOrBeforeAddingIsHarmless) {
    auto* dialog = new TrackedWidget;
    app.AddDialog(dialog);
    app.AddDialog(dialog);  // a second add changes nothing
    EXPECT_EQ(app.GetDialogCount(), 1u);
    EXPECT_EQ(dialog->mParent, app.GetWidgetManager());

    app.KillDialogByPointer(dialog);
    app.KillDialogByPointer(dialog);
    EXPECT_EQ(app.GetDialogCount(), 0u);
    EXPECT_EQ(gDeleted, 0);  // deferred
    app.ProcessDeletionQueue();
    EXPECT_EQ(gDeleted, 1);
    app.KillDialogByPointer(dialog);  // long gone: the pointer is only compared
    EXPECT_EQ(gDeleted, 1);

    auto* never = new TrackedWidget;
    app.KillDialogByPointer(never);
    app.ProcessDeletionQueue();
    EXPECT_EQ(gDeleted, 1);  // not the table's to delete
    delete never;
}

TEST_F(DialogTableTest, WidgetsRemovedDuringAWalkAreDeletedAfterIt) {
    auto* first = new TrackedWidget;
    auto* second = new TrackedWidget;
    auto* third = new TrackedWidget;
    first->removeSelfOnUpdate = true;
    first->victim = second;  // removed before the walk reaches it
    WidgetManager* manager = app.GetWidgetManager();
    manager->AddWidget(first);
    manager->AddWidget(second);
    manager->AddWidget(third);
    app.BeginRun();
    clock.Advance(10);
    app.MainLoopStep();
    EXPECT_EQ(gDeleted, 2);  // first and second, after the pass
    EXPECT_EQ(third->updates, 1);
    ASSERT_EQ(manager->GetChildren().size(), 1u);
    EXPECT_EQ(manager->GetChildren()[0], third);
}

TEST_F(DialogTableTest, AWidgetTakenBackBeforeDeletionSurvives) {
    auto* widget = new TrackedWidget;
    WidgetManager* manager = app.GetWidgetManager();
    manager->AddWidget(widget);
    manager->RemoveWidget(widget);
    EXPECT_EQ(app.GetDeletionQueueSize(), 1u);
    manager->AddWidget(widget);
    app.ProcessDeletionQueue();
    EXPECT_EQ(gDeleted, 0);
    EXPECT_EQ(app.GetDeletionQueueSize(), 0u);
}

TEST_F(DialogTableTest, ChildrenOfADeletedWidgetAreDeletedToo) {
    auto* parent = new TrackedWidget;
    auto* child = new TrackedWidget;
    parent->AddWidget(child);
    app.AddDialog(parent);
    app.KillDialogByPointer(parent);
    app.ProcessDeletionQueue();
    EXPECT_EQ(gDeleted, 2);
}

TEST(DialogTable, ModalDialogsBecomeBaseLayers) {
    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    WidgetManager* manager = app.GetWidgetManager();

    auto* below = new Widget;
    below->mMouseVisible = true;
    below->Resize(0, 0, 100, 100);
    manager->AddWidget(below);
    // A plain widget is never modal.
    auto* plain = new Widget;
    app.AddDialog(plain);
    EXPECT_EQ(manager->GetBaseWidget(), nullptr);
    app.KillDialogByPointer(plain);
    auto* dialog = new ModalDialog;
    dialog->Resize(200, 200, 50, 50);
    dialog->mMouseVisible = true;
    app.AddDialog(dialog);
    EXPECT_EQ(manager->GetBaseWidget(), dialog);
    // Below the modal dialog the mouse finds nothing.
    Widget* hit = nullptr;
    manager->FindPointerRecord(10, 10, 1, &hit, nullptr, nullptr);
    EXPECT_EQ(hit, nullptr);
    manager->FindPointerRecord(210, 210, 1, &hit, nullptr, nullptr);
    EXPECT_EQ(hit, dialog);
    app.KillDialogByPointer(dialog);
    EXPECT_EQ(manager->GetBaseWidget(), nullptr);
    app.ProcessDeletionQueue();
    EXPECT_EQ(gApp, &app);
}
