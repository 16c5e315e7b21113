// The listener interfaces: attach and detach rules, weak links in both directions, and the
// pointer reports of a control to its button listener.

#include <memory>
#include <string>
#include <vector>

#include "support/UiHarness.h"
#include "widgets/AnimationListener.h"
#include "widgets/AnimationSource.h"
#include "widgets/RemovalListener.h"
#include "widgets/RemovalWidget.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/controls/ButtonListener.h"

namespace {

using Log = std::vector<std::string>;

class RecordingButtonListener : public ButtonListener {
public:
    explicit RecordingButtonListener(Log* log) : mLog(log) {}
    void ButtonPress(uint32_t) override { mLog->push_back("press"); }
    void ButtonDepress(uint32_t) override { mLog->push_back("depress"); }
    void ButtonDownTick(uint32_t) override { mLog->push_back("tick"); }
    void ButtonMouseEnter(uint32_t) override { mLog->push_back("enter"); }
    void ButtonMouseLeave(uint32_t) override { mLog->push_back("leave"); }

private:
    Log* mLog;
};

// A container that is a button listener: children without one report to it.
class ListeningPanel : public Widget, public RecordingButtonListener {
public:
    explicit ListeningPanel(Log* log) : RecordingButtonListener(log) {}
};

class Watcher : public RemovalListener {
public:
    void OnChildRemoved(uint32_t id) override { removed.push_back(id); }
    std::vector<uint32_t> removed;
};

}  // namespace

TEST(Listeners, AnimationListenerLinksAreWeakBothWays) {
    auto first = std::make_unique<AnimationListener>();
    AnimationListener second;
    auto widget = std::make_unique<AnimationSource>();
    AnimationSource other;
    first->ListenTo(widget.get());
    first->ListenTo(widget.get());
    EXPECT_EQ(first->GetListenedCount(), 1u);
    first->ListenTo(&other);
    second.ListenTo(widget.get());  // moves: out of the first listener's set
    EXPECT_EQ(first->GetListenedCount(), 1u);
    EXPECT_EQ(second.GetListenedCount(), 1u);
    EXPECT_EQ(widget->GetAnimationListener(), &second);
    widget.reset();  // a destroyed widget leaves the set
    EXPECT_EQ(second.GetListenedCount(), 0u);
    first.reset();  // a destroyed listener leaves its widgets without one
    EXPECT_EQ(other.GetAnimationListener(), nullptr);
}

TEST(Listeners, RemovalListenerHearsOnceAndLetsGo) {
    Watcher watcher;
    RemovalWidget a;
    RemovalWidget b;
    watcher.ListenTo(&a);
    watcher.ListenTo(&b);
    EXPECT_EQ(watcher.GetWatchedCount(), 2u);
    a.ReportRemoval(42);
    a.ReportRemoval(42);  // already out of the set
    EXPECT_EQ(watcher.removed, (std::vector<uint32_t>{42}));
    EXPECT_EQ(watcher.GetWatchedCount(), 1u);
    EXPECT_EQ(a.GetRemovalListener(), nullptr);
}

TEST(Listeners, ButtonListenerDefaultsAndPointerReports) {
    Log log;
    WidgetHarness h;
    RecordingButtonListener direct(&log);
    direct.ButtonPressClicks(1, -1);  // a right press still reaches ButtonPress by default
    EXPECT_EQ(log, (Log{"press"}));
    log.clear();

    auto* panel = h.Add(new ListeningPanel(&log), 0, 0, 400, 400);
    auto* control = h.Add(new DynamicWidget(0, 0, nullptr, 1.0f), 10, 10, 50, 50, panel);
    control->mMouseVisible = true;
    EXPECT_EQ(control->GetButtonListener(), static_cast<ButtonListener*>(panel));
    h.MoveTo(20, 20);
    h.Press(20, 20);
    h.RunUpdates(2);     // ticks while held and over
    h.MoveTo(200, 200);  // dragged off: no ticks
    h.RunUpdates(1);
    h.Release(200, 200);  // released outside: no click while depress-only-when-over is on
    EXPECT_EQ(log, (Log{"enter", "press", "tick", "tick", "leave"}));
    log.clear();

    control->mDepressOnlyWhenOver = false;
    h.MoveTo(20, 20);
    h.Press(20, 20);
    h.Release(200, 200);
    EXPECT_EQ(log, (Log{"enter", "press", "depress", "leave"}));
    log.clear();
    // Without the window's keyboard focus a release is no click.
    h.app.OnFocusLost();
    h.Click(20, 20);
    EXPECT_EQ(log, (Log{"enter", "press"}));
}

TEST(Listeners, AWidgetOutlivingItsListenerReportsNowhere) {
    Log log;
    WidgetHarness h;
    auto* control = h.Add(new DynamicWidget(0, 0, nullptr, 1.0f), 10, 10, 50, 50);
    control->mMouseVisible = true;
    {
        RecordingButtonListener listener(&log);
        control->SetButtonListener(&listener);
        h.MoveTo(20, 20);
    }
    EXPECT_EQ(control->GetButtonListener(), nullptr);
    h.Click(20, 20);
    EXPECT_EQ(log, (Log{"enter"}));
}
