// Input dispatch through the application: hover, the pointer state machine of press, drag and
// release, a second button, widgets disabled or removed while pressed, wheel, keys, focus moves
// and click listeners.

#include <string>
#include <vector>

#include "support/UiHarness.h"
#include "widgets/ClickListener.h"

namespace {

using Log = std::vector<std::string>;

class RecordingClickListener : public ClickListener {
public:
    explicit RecordingClickListener(Log* log) : mLog(log) {}
    void OnClick(int c) override { mLog->push_back("click " + std::to_string(c)); }
    void OnClickDone(int c) override { mLog->push_back("done " + std::to_string(c)); }

private:
    Log* mLog;
};

}  // namespace

TEST(WidgetInput, PressDragOffAndBackReleaseElsewhere) {
    Log log;
    WidgetHarness h;
    auto* button = h.Add(new ProbeWidget("b", &log), 100, 100, 50, 50);
    auto* other = h.Add(new ProbeWidget("o", &log), 300, 100, 50, 50);
    h.MoveTo(110, 110);
    h.Press(110, 110);
    h.MoveTo(200, 110);  // off the button
    h.MoveTo(310, 110);  // over the other widget: no enter during the drag
    h.MoveTo(120, 110);  // back on the button
    h.MoveTo(320, 120);
    h.Release(320, 120);  // the release still reaches the button
    EXPECT_EQ(log, (Log{"b:enter", "b:down 10,10 1", "b:drag 100,10", "b:leave", "b:drag 210,10",
                        "b:drag 20,10", "b:enter", "b:drag 220,20", "b:leave", "b:up 220,20 1",
                        "o:enter"}));
    EXPECT_FALSE(button->mIsDown);
    EXPECT_TRUE(other->mIsOver);
    EXPECT_FALSE(h.app.GetPlatform() == nullptr);
}

TEST(WidgetInput, SecondButtonGoesToThePressedWidget) {
    Log log;
    WidgetHarness h;
    h.Add(new ProbeWidget("b", &log), 100, 100, 50, 50);
    h.Add(new ProbeWidget("o", &log), 300, 100, 50, 50);
    h.MoveTo(110, 110);
    h.Press(110, 110);
    // Over the other widget: the press goes to the widget that holds the pointer, in its
    // coordinates, and the other widget is not entered while the pointer is held.
    h.Press(310, 120, -1);
    h.Release(310, 120, 1);
    h.Release(310, 120, -1);
    EXPECT_EQ(log, (Log{"b:enter", "b:down 10,10 1", "b:leave", "b:down 210,20 -1", "b:up 210,20 1",
                        "b:up 210,20 -1", "o:enter"}));
}

TEST(WidgetInput, AButtonHeldOverEmptySpaceNeverReachesAWidgetPressedLater) {
    Log log;
    WidgetHarness h;
    h.Add(new ProbeWidget("b", &log), 100, 100, 50, 50);
    h.MoveTo(110, 110);
    h.MoveTo(400, 400);
    h.Press(400, 400);       // absorbed: left held over nothing
    h.MoveTo(110, 110);      // nobody enters during that drag
    h.Press(110, 110, -1);   // a new press over the widget takes it
    h.Release(110, 110, 1);  // the left button was never the widget's
    h.Release(110, 110, -1);
    EXPECT_EQ(log, (Log{"b:enter", "b:leave", "b:enter", "b:down 10,10 -1", "b:up 10,10 -1"}));
}

TEST(WidgetInput, DisablingOrRemovingThePressedWidgetReleasesIt) {
    Log log;
    WidgetHarness h;
    auto* button = h.Add(new ProbeWidget("b", &log), 100, 100, 50, 50);
    h.MoveTo(110, 110);
    h.Press(110, 110);
    h.Press(110, 110, 0);
    log.clear();
    button->SetDisabled(true);
    EXPECT_EQ(log, (Log{"b:leave", "b:up 10,10 1", "b:up 10,10 0"}));
    log.clear();
    h.MoveTo(115, 115);
    h.Release(115, 115);
    h.Release(115, 115, 0);
    EXPECT_TRUE(log.empty());  // forgotten: nothing more reaches it
    // Enabled under the still pointer: it enters without a move.
    button->SetDisabled(false);
    EXPECT_EQ(log, (Log{"b:enter"}));

    h.Press(115, 115);
    log.clear();
    button->MarkForRemoval();
    EXPECT_EQ(log, (Log{"b:leave", "b:up 15,15 1"}));
    log.clear();
    h.Release(115, 115);
    h.RunUpdates(1);  // deleted now, outside the walks
    EXPECT_TRUE(log.empty());
}

TEST(WidgetInput, AnEnterHandlerThatRemovesItsWidgetIsSafe) {
    Log log;
    WidgetHarness h;
    class Shy : public ProbeWidget {
    public:
        using ProbeWidget::ProbeWidget;
        void MouseEnter() override {
            ProbeWidget::MouseEnter();
            MarkForRemoval();
        }
    };
    auto* shy = h.Add(new Shy("s", &log), 0, 0, 50, 50);
    shy->logMoves = true;
    h.MoveTo(10, 10);
    h.Press(10, 10);
    h.Release(10, 10);
    h.RunUpdates(1);
    EXPECT_EQ(log, (Log{"s:enter", "s:leave"}));
}

TEST(WidgetInput, ShowingAWidgetUnderTheStillPointerEntersIt) {
    Log log;
    WidgetHarness h;
    auto* w = new ProbeWidget("w", &log);
    w->mVisible = false;
    h.Add(w, 0, 0, 50, 50);
    h.Add(new ProbeWidget("elsewhere", &log), 200, 200, 50, 50);
    h.MoveTo(210, 210);  // the pointer's record exists once it has been over a widget
    h.MoveTo(10, 10);
    log.clear();
    w->SetVisible(true);
    EXPECT_EQ(log, (Log{"w:enter"}));
    h.Scroll(-2);
    EXPECT_EQ(log.back(), "w:wheel -2");
    // Added under the pointer: it enters too.
    auto* top = h.Add(new ProbeWidget("t", &log), 0, 0, 50, 50);
    EXPECT_EQ(log.back(), "t:enter");
    EXPECT_TRUE(top->mIsOver);
}

TEST(WidgetInput, KeysFocusAndTab) {
    Log log;
    WidgetHarness h;
    auto* a = h.Add(new ProbeWidget("a", &log), 0, 0, 50, 50);
    auto* b = h.Add(new ProbeWidget("b", &log), 100, 0, 50, 50);
    a->mWantsFocus = true;
    a->mTabNext = b;
    b->mTabPrevious = a;
    h.MoveTo(10, 10);
    h.Press(10, 10);
    // The focus moves before the press arrives.
    EXPECT_EQ(log, (Log{"a:enter", "a:focus", "a:down 10,10 1"}));
    h.Release(10, 10);
    log.clear();
    h.Key(9);
    EXPECT_EQ(h.manager->GetFocusWidget(), b);
    h.KeyDown(16);
    h.Key(9);  // Shift+Tab
    h.KeyUp(16);
    EXPECT_EQ(h.manager->GetFocusWidget(), a);
    EXPECT_EQ(log, (Log{"a:keydown 9", "a:blur", "b:focus", "b:keyup 9", "b:keydown 16",
                        "b:keydown 9", "b:blur", "a:focus", "a:keyup 9", "a:keyup 16"}));
    log.clear();
    // Keys of 255 and above reach the focus widget but are not recorded.
    h.KeyDown(300);
    EXPECT_FALSE(h.manager->IsKeyDown(300));
    h.KeyDown(65);
    h.KeyDown(17);
    h.Char('x');
    // Losing the window focus releases every held key before the widget loses the focus.
    h.app.OnFocusLost();
    EXPECT_EQ(log, (Log{"a:keydown 300", "a:keydown 65", "a:keydown 17", "a:char x", "a:keyup 17",
                        "a:keyup 65", "a:blur"}));
    EXPECT_FALSE(h.manager->IsKeyDown(65));
    h.app.OnFocusGained();
    EXPECT_EQ(log.back(), "a:focus");

    // A Tab link whose widget has been deleted since is not followed.
    b->MarkForRemoval();
    h.RunUpdates(1);
    h.Key(9);
    EXPECT_EQ(h.manager->GetFocusWidget(), a);
}

TEST(WidgetInput, ClickListenersHearEveryPress) {
    Log log;
    WidgetHarness h;
    h.Add(new ProbeWidget("w", &log), 0, 0, 50, 50);
    RecordingClickListener first(&log);
    {
        RecordingClickListener gone(&log);
        h.manager->AddTrackedWidget(&first);
        h.manager->AddTrackedWidget(&first);
        h.manager->AddTrackedWidget(&gone);
        EXPECT_EQ(h.manager->GetTrackedWidgetCount(), 2u);
    }
    // A destroyed listener left the list by itself.
    EXPECT_EQ(h.manager->GetTrackedWidgetCount(), 1u);
    h.MoveTo(10, 10);
    log.clear();
    h.Press(10, 10, -1);
    h.Press(500, 500, 1);  // held with the right button: still the same widget
    EXPECT_EQ(log, (Log{"click -1", "w:down 10,10 -1", "done -1", "click 1", "w:leave",
                        "w:down 500,500 1", "done 1"}));
    h.manager->RemoveTrackedWidget(&first);
    EXPECT_EQ(h.manager->GetTrackedWidgetCount(), 0u);
}

TEST(WidgetInput, PressOnEmptySpaceIsAbsorbed) {
    Log log;
    WidgetHarness h;
    h.Add(new ProbeWidget("w", &log), 0, 0, 50, 50);
    h.MoveTo(10, 10);
    h.MoveTo(200, 200);
    h.Press(200, 200);
    h.MoveTo(20, 20);   // a drag with no press widget: nobody enters
    h.Release(20, 20);  // the release re-evaluates the pointer
    EXPECT_EQ(log, (Log{"w:enter", "w:leave", "w:enter"}));
    // Leaving the window forgets the position; a re-evaluation then moves nothing.
    h.app.OnMouseLeave();
    log.clear();
    h.manager->RehupMouse();
    EXPECT_TRUE(log.empty());
}
