// Drag physics over the manual clock: the sloppy click, flings and slides with momentum, the
// bump rectangle in each mode, edge pushes, and the drag button on a drag widget.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/UiHarness.h"
#include "widgets/anim/DragWidget.h"
#include "widgets/controls/ButtonListener.h"
#include "widgets/controls/DragButton.h"

namespace {

// Counts its clicks.
class ClickCountingDrag : public DragWidget {
public:
    using DragWidget::DragWidget;
    void OnClicked(int x, int y) override {
        (void)x, (void)y;
        ++clicks;
    }
    int clicks = 0;
};

ClickCountingDrag* MakeDrag(WidgetHarness& h, float x, float y, int w, int hgt, int mode, Rect bump,
                            bool momentum = true) {
    auto* drag = new ClickCountingDrag(0, 0, nullptr, 1.0f, mode, bump.mX, bump.mY, bump.mWidth,
                                       bump.mHeight);
    drag->mMomentum = momentum;
    return h.Add(drag, x, y, w, hgt);
}

TEST(DragWidget, TenPixelsIsAClickElevenIsNone) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 100, 100, 200, 100, DragWidget::kBumpNone, Rect());
    h.MoveTo(150, 150);
    h.Press(150, 150);
    h.MoveTo(156, 150);
    h.MoveTo(160, 150);
    h.Release(160, 150);
    EXPECT_EQ(drag->clicks, 1);
    EXPECT_TRUE(drag->IsSelected());
    EXPECT_EQ(drag->mX, 110.0f);  // it followed the pointer all the same

    h.MoveTo(150, 150);
    h.Press(150, 150);
    h.MoveTo(161, 150);
    h.Release(161, 150);
    EXPECT_EQ(drag->clicks, 1);
    EXPECT_FALSE(drag->IsDragging());
}

TEST(DragWidget, AFlingSlidesOnAndEasesToAStop) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 100, 100, 200, 100, DragWidget::kBumpNone, Rect());
    h.MoveTo(150, 150);
    h.Press(150, 150);
    h.MoveTo(200, 150);
    h.MoveTo(250, 150);
    h.Release(250, 150);
    EXPECT_EQ(drag->mX, 200.0f);
    EXPECT_EQ(drag->clicks, 0);
    // The last step (50) and no move at the release: fling 25, slid 15 times that.
    EXPECT_TRUE(drag->HasController("drag_slide_x"));
    EXPECT_FALSE(drag->HasController("drag_slide_y"));
    h.RunUpdates(35);
    EXPECT_GT(drag->mX, 200.0f + 375.0f * 0.7f);  // out_quad: most of the way by half time
    h.RunUpdates(40);
    EXPECT_FLOAT_EQ(drag->mX, 200.0f + 375.0f);
    // A new press stops a slide under way.
    h.MoveTo(600, 150);
    h.Press(600, 150);
    h.MoveTo(640, 150);
    h.Release(640, 150);
    h.RunUpdates(2);
    const float during = drag->mX;
    h.Press(700, 150);
    EXPECT_FALSE(drag->HasController("drag_slide_x"));
    h.RunUpdates(5);
    EXPECT_EQ(drag->mX, during);
    h.Release(700, 150);
}

TEST(DragWidget, ASlowReleaseDoesNotSlide) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 100, 100, 200, 100, DragWidget::kBumpNone, Rect());
    h.MoveTo(150, 150);
    h.Press(150, 150);
    for (int x = 152; x <= 180; x += 2) {
        h.MoveTo(x, 150);
    }
    h.Release(180, 150);
    // Last step 2: 0.5 * (4 + 0) is below 25.
    EXPECT_FALSE(drag->HasController("drag_slide_x"));
    EXPECT_EQ(drag->mX, 130.0f);
}

TEST(DragWidget, FlingableScalesByTheDesignWidth) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 0, 0, 100, 100, DragWidget::kBumpNone, Rect());
    drag->mFlingable = true;
    h.MoveTo(10, 10);
    h.Press(10, 10);
    h.MoveTo(210, 10);
    h.Release(210, 10);
    // flingX 100: x scaled by (1 + 100 / 1024 - 0.05) * 4.
    const float scale = (1.0f + 100.0f / 1024.0f - 0.05f) * 4.0f;
    h.RunUpdates(80);
    EXPECT_NEAR(drag->mX, 200.0f + 15.0f * 100.0f * scale, 0.5f);
}

TEST(DragWidget, OuterModeKeepsTheWidgetInsideAndNeverJumps) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 50, 50, 100, 50, DragWidget::kBumpOuter, Rect(0, 0, 400, 300), false);
    h.MoveTo(60, 60);
    h.Press(60, 60);
    h.MoveTo(600, 500);
    EXPECT_EQ(drag->mX, 300.0f);
    EXPECT_EQ(drag->mY, 250.0f);
    EXPECT_GT(drag->GetBumpAccumulatorX(), 0);
    h.MoveTo(-500, -500);
    EXPECT_EQ(drag->mX, 0.0f);
    EXPECT_EQ(drag->mY, 0.0f);
    h.Release(-500, -500);
    // Inside its rectangle the draw-time step leaves it where it is.
    drag->Move(120.0f, 80.0f);
    h.Draw();
    h.Draw();
    EXPECT_EQ(drag->mX, 120.0f);
    EXPECT_EQ(drag->mY, 80.0f);
    // Put outside by a script, it is pulled back at the next draw.
    drag->Move(390.0f, 80.0f);
    h.Draw();
    EXPECT_EQ(drag->mX, 300.0f);
}

TEST(DragWidget, InnerModeKeepsCoveringTheRectangle) {
    WidgetHarness h;
    auto* drag =
        MakeDrag(h, 0, 0, 600, 400, DragWidget::kBumpInner, Rect(100, 100, 400, 300), false);
    h.MoveTo(300, 300);
    h.Press(300, 300);
    h.MoveTo(800, 700);
    EXPECT_EQ(drag->mX, 100.0f);
    EXPECT_EQ(drag->mY, 100.0f);
    h.MoveTo(-800, -700);
    EXPECT_EQ(drag->mX, -100.0f);
    EXPECT_EQ(drag->mY, 0.0f);
    h.Release(-800, -700);
    h.Draw();
    h.Draw();
    EXPECT_EQ(drag->mX, -100.0f);
}

TEST(DragWidget, SlideTargetsStayWithinTheLimits) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 100, 100, 100, 50, DragWidget::kBumpOuter, Rect(0, 0, 400, 300));
    h.MoveTo(120, 120);
    h.Press(120, 120);
    h.MoveTo(170, 120);
    h.MoveTo(220, 120);
    h.Release(220, 120);
    h.RunUpdates(80);
    EXPECT_EQ(drag->mX, 300.0f);
}

TEST(DragWidget, CanDragPastABoundaryAxis) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 50, 50, 100, 50, DragWidget::kBumpOuter, Rect(0, 0, 400, 300), false);
    drag->mCanDragPastX = true;
    h.MoveTo(60, 60);
    h.Press(60, 60);
    h.MoveTo(800, 800);
    EXPECT_EQ(drag->mX, 790.0f);
    EXPECT_EQ(drag->mY, 250.0f);
    h.Release(800, 800);
}

TEST(DragWidget, ALongDragFollowsTheRestingPointer) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 100, 100, 200, 100, DragWidget::kBumpNone, Rect(), false);
    h.MoveTo(150, 150);
    h.Press(150, 150);
    h.MoveTo(170, 150);
    drag->Move(0.0f, 0.0f);  // a script moved it under the held pointer
    h.RunUpdates(30);
    EXPECT_EQ(drag->mX, 0.0f);
    h.RunUpdates(1);
    EXPECT_EQ(drag->mX, 120.0f);
    h.Release(170, 150);
}

TEST(DragWidget, EdgeZonesPushAPushableWidget) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 0, 0, 400, 200, DragWidget::kBumpNone, Rect(), false);
    drag->SetPushable(true);
    drag->SetEdgeZone(true, 100.0f);
    drag->SetEdgeZone(false, 50.0f);
    EXPECT_FLOAT_EQ(drag->mPushSpeed, 5.0f);
    h.MoveTo(50, 100);  // half-way into a zone 100 deep: half speed, to the right
    EXPECT_FLOAT_EQ(drag->GetPushVelocityX(), 2.5f);
    EXPECT_FLOAT_EQ(drag->GetPushVelocityY(), 0.0f);
    h.RunUpdates(2);
    EXPECT_FLOAT_EQ(drag->mX, 5.0f);
    h.MoveTo(205, 100);
    EXPECT_FLOAT_EQ(drag->GetPushVelocityX(), 0.0f);
    h.MoveTo(5 + 350, 175);  // half-way into the far zones: half speed back and up
    EXPECT_FLOAT_EQ(drag->GetPushVelocityX(), -2.5f);
    EXPECT_FLOAT_EQ(drag->GetPushVelocityY(), -2.5f);
    // A zone of 0 or less is half the widget (or the design area, when smaller).
    drag->SetEdgeZone(true, 0.0f);
    h.MoveTo(5 + 100, 100);
    EXPECT_FLOAT_EQ(drag->GetPushVelocityX(), 2.5f);
}

class ClickLog : public ButtonListener {
public:
    void ButtonDepress(uint32_t id) override {
        (void)id;
        ++clicks;
        if (removeOnClick != nullptr) {
            removeOnClick->MarkForRemoval();
        }
    }
    int clicks = 0;
    Widget* removeOnClick = nullptr;  // as a script that removes the button it acts for
};

TEST(DragWidget, DragButtonMovesItsPanelAndClicksOnlyWhenStill) {
    WidgetHarness h;
    auto* panel = MakeDrag(h, 0, 0, 800, 600, DragWidget::kBumpNone, Rect(), false);
    auto* button = new DragButton(0, 0, "", "", false);
    h.Add(button, 100, 100, 80, 40, panel);
    ClickLog log;
    button->SetButtonListener(&log);
    h.MoveTo(120, 120);
    h.Press(120, 120);
    h.MoveTo(130, 120);
    h.Release(130, 120);
    EXPECT_EQ(panel->mX, 10.0f);
    EXPECT_EQ(log.clicks, 1);
    EXPECT_EQ(panel->clicks, 1);

    h.MoveTo(140, 120);
    h.Press(140, 120);
    h.MoveTo(151, 120);
    h.Release(151, 120);
    EXPECT_EQ(panel->mX, 21.0f);
    EXPECT_EQ(log.clicks, 1);
    EXPECT_EQ(panel->clicks, 1);
    EXPECT_EQ(button->GetTravel(), 0.0f);
}

TEST(DragWidget, ADragButtonRemovedByItsOwnClickReleasesItsPanel) {
    WidgetHarness h;
    auto* panel = MakeDrag(h, 0, 0, 800, 600, DragWidget::kBumpNone, Rect(), false);
    auto* button = new DragButton(0, 0, "", "", false);
    h.Add(button, 100, 100, 80, 40, panel);
    ClickLog log;
    log.removeOnClick = button;
    button->SetButtonListener(&log);
    h.Click(120, 120);
    EXPECT_EQ(log.clicks, 1);
    EXPECT_FALSE(panel->IsPressed());
    h.MoveTo(200, 200);
    EXPECT_EQ(panel->mX, 0.0f) << "the panel follows a pointer that let go of it";
}

TEST(DragWidget, SelectRequiredAndNotDraggable) {
    WidgetHarness h;
    auto* drag = MakeDrag(h, 0, 0, 100, 100, DragWidget::kBumpNone, Rect(), false);
    drag->SetSelectRequired(true);
    h.MoveTo(10, 10);
    h.Press(10, 10);
    EXPECT_FALSE(drag->IsDragging());
    h.Release(10, 10);
    EXPECT_TRUE(drag->IsSelected());  // the click selected it
    h.Press(10, 10);
    EXPECT_TRUE(drag->IsDragging());
    drag->SetDraggable(false, true);
    EXPECT_FALSE(drag->IsDragging());
    h.Release(10, 10);
}

}  // namespace
