// Idle waiting: with nothing scheduled the main loop waits for the next event (bounded by the
// stall limit) instead of waking for every update, catches the owed updates up on waking, keeps
// 100 updates a second over time, and does not wait while anything is scheduled.

#include "core/expr/MainThread.h"
#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

// Waits by moving the manual clock on by the whole time-out, or by the time to the next queued
// event, and records each time-out asked for.
class WaitingPlatform : public NullPlatform {
public:
    explicit WaitingPlatform(ManualClock* clock) : mClock(clock) {}
    bool WaitForEvents(int timeoutMs) override {
        timeouts.push_back(timeoutMs);
        const int waited = eventAfterMs >= 0 ? std::min(eventAfterMs, timeoutMs) : timeoutMs;
        eventAfterMs = -1;
        mClock->Advance(static_cast<uint64_t>(waited));
        return true;
    }
    void WakeUp() override { ++wakeUps; }
    std::vector<int> timeouts;
    int eventAfterMs = -1;  // the next wait ends this long after it starts
    int wakeUps = 0;

private:
    ManualClock* mClock;
};

// Counts its updates; busy while told so.
class CountingWidget : public Widget {
public:
    void Update() override { ++updates; }
    bool HasScheduledWork() const override { return busy; }
    int updates = 0;
    bool busy = false;
};

class IdleWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<WaitingPlatform>(&clock);
        platform = owned.get();
        app.SetPlatform(std::move(owned));
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        widget = new CountingWidget;
        app.GetWidgetManager()->AddWidget(widget);
        app.SetIdleWaiting(true);
        app.BeginRun();
        FinishLoading(app, clock);
        // The first frames after loading: the tree is drawn once and is then at rest.
        for (int i = 0; i < 5; ++i) {
            clock.Advance(10);
            app.MainLoopStep();
        }
        platform->timeouts.clear();
    }
    void TearDown() override {
        app.Quit();
        app.MainLoopStep();
        app.Shutdown();
    }

    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
    WaitingPlatform* platform = nullptr;
    CountingWidget* widget = nullptr;
};

TEST_F(IdleWaitTest, AtRestTheLoopWaitsWithinTheStallLimitAndCatchesUp) {
    const int updatesBefore = widget->updates;
    const uint64_t startMs = clock.NowMs();
    for (int i = 0; i < 50; ++i) {
        app.MainLoopStep();
    }
    ASSERT_FALSE(platform->timeouts.empty());
    for (int timeout : platform->timeouts) {
        EXPECT_GT(timeout, 100);
        EXPECT_LE(timeout, 180);  // with the owed time, under the 200 ms stall limit
    }
    // Each wait is a handful of steps, not one step per update.
    EXPECT_GE(platform->timeouts.size(), 40u);
    EXPECT_GE(app.GetIdleWaitCount(), platform->timeouts.size());
    // Nothing was dropped as a stall, and the updates kept to 100 a second.
    EXPECT_EQ(app.GetDroppedGapCount(), 0u);
    const uint64_t elapsed = clock.NowMs() - startMs;
    const int updates = widget->updates - updatesBefore;
    EXPECT_NEAR(updates, static_cast<int>(elapsed / 10), 1);
}

TEST_F(IdleWaitTest, AnEventEndsTheWaitAndTheOwedUpdatesRunBeforeIt) {
    const int updatesBefore = widget->updates;
    platform->eventAfterMs = 45;
    app.MainLoopStep();
    ASSERT_EQ(platform->timeouts.size(), 1u);
    // The 45 ms slept are caught up on waking (4 updates, 5 ms still owed).
    EXPECT_EQ(widget->updates - updatesBefore, 4);
    EXPECT_EQ(app.GetOwedMs(), 5u);
}

TEST_F(IdleWaitTest, NoWaitWhileAWidgetHasWorkOrTheTreeIsDirty) {
    widget->busy = true;
    for (int i = 0; i < 20; ++i) {
        app.MainLoopStep();
    }
    EXPECT_TRUE(platform->timeouts.empty());
    widget->busy = false;
    app.GetWidgetManager()->MarkDirty();
    clock.Advance(10);
    app.MainLoopStep();  // updates, draws, and sleeps no longer than one period
    EXPECT_TRUE(platform->timeouts.empty());
    app.MainLoopStep();
    EXPECT_EQ(platform->timeouts.size(), 1u);
}

TEST_F(IdleWaitTest, WorkPostedFromAnotherThreadWakesTheWait) {
    std::thread poster([] { PostToMainThread([] {}); });
    poster.join();
    EXPECT_EQ(platform->wakeUps, 1);
    // Queued work counts as scheduled: no wait until it has run.
    app.MainLoopStep();
    EXPECT_TRUE(platform->timeouts.empty());
}

TEST(IdleWaitOff, WithoutIdleWaitingTheLoopSleepsByItsClock) {
    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
    auto owned = std::make_unique<WaitingPlatform>(&clock);
    WaitingPlatform* platform = owned.get();
    app.SetPlatform(std::move(owned));
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    app.BeginRun();
    FinishLoading(app, clock);
    for (int i = 0; i < 20; ++i) {
        app.MainLoopStep();
    }
    EXPECT_TRUE(platform->timeouts.empty());
    EXPECT_EQ(app.GetIdleWaitCount(), 0u);
    app.Quit();
    app.MainLoopStep();
    app.Shutdown();
}

}  // namespace
