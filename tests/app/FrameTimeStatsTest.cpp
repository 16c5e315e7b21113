// The draw times behind the frame statistics: mean, longest and percentile of the frames noted,
// the application timing each frame it draws from the start of drawing through presenting, and
// each report (at exit, or on SIGUSR1) covering the time since the one before.

#include <csignal>

#include "app/FrameTimeStats.h"
#include "app/GameApp.h"
#include "platform/NullPlatform.h"
#include "platform/QuitSignal.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

TEST(FrameTimeStats, NoFramesGiveZeros) {
    const FrameTimeStats stats;
    EXPECT_EQ(stats.GetCount(), 0u);
    EXPECT_EQ(stats.MeanUs(), 0.0);
    EXPECT_EQ(stats.MaxUs(), 0u);
    EXPECT_EQ(stats.PercentileUs(0.95), 0u);
}

TEST(FrameTimeStats, MeanLongestAndPercentilesOfMixedFrames) {
    FrameTimeStats stats;
    for (int i = 0; i < 95; ++i) {
        stats.Add(5000);
    }
    for (int i = 0; i < 5; ++i) {
        stats.Add(30000);
    }
    EXPECT_EQ(stats.GetCount(), 100u);
    EXPECT_DOUBLE_EQ(stats.MeanUs(), 6250.0);
    EXPECT_EQ(stats.MaxUs(), 30000u);
    // The 95th frame in order is still a short one; the 96th is long.
    EXPECT_EQ(stats.PercentileUs(0.95), 5000u);
    EXPECT_EQ(stats.PercentileUs(0.96), 30000u);
    EXPECT_EQ(stats.PercentileUs(1.0), 30000u);
    EXPECT_EQ(stats.PercentileUs(0.0), 5000u);
}

TEST(FrameTimeStats, PercentilesRoundUpToTheBucketButNeverPastTheLongest) {
    FrameTimeStats stats;
    stats.Add(1234);
    stats.Add(1250);
    // Both fall in the bucket up to 1.3 ms; the longest frame caps the answer.
    EXPECT_EQ(stats.PercentileUs(0.5), 1250u);
    stats.Add(1900);
    EXPECT_EQ(stats.PercentileUs(0.5), 1300u);
    EXPECT_EQ(stats.PercentileUs(1.0), 1900u);
}

TEST(FrameTimeStats, FramesLongerThanTheBucketsGiveTheLongest) {
    FrameTimeStats stats;
    stats.Add(2000);
    stats.Add(900000);
    stats.Add(1500000);
    EXPECT_EQ(stats.PercentileUs(0.9), 1500000u);
    EXPECT_EQ(stats.MaxUs(), 1500000u);
    EXPECT_DOUBLE_EQ(stats.MeanUs(), (2000.0 + 900000.0 + 1500000.0) / 3.0);
}

// Presenting takes 7 ms of the manual clock, as a software driver finishing its drawing would.
class SlowPresentPlatform : public NullPlatform {
public:
    explicit SlowPresentPlatform(ManualClock* clock) : mClock(clock) {}
    bool Present(const PlatformRect* part) override {
        mClock->Advance(7);
        return NullPlatform::Present(part);
    }

private:
    ManualClock* mClock;
};

class FrameTimeStatsApp : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetPlatform(std::make_unique<SlowPresentPlatform>(&clock));
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        widget = new Widget;
        app.GetWidgetManager()->AddWidget(widget);
        app.BeginRun();
        FinishLoading(app, clock);
    }
    void TearDown() override {
        app.Quit();
        app.MainLoopStep();
        app.Shutdown();
    }
    // Steps the loop with the widget changed each time: one frame a step.
    void DrawFrames(int count) {
        for (int i = 0; i < count; ++i) {
            widget->MarkDirty();
            clock.Advance(10);
            app.MainLoopStep();
        }
    }

    TempUserFolder folder;
    ManualClock clock;
    GameApp app{"Test", "v1.2", 1024, 768};
    Widget* widget = nullptr;
};

TEST_F(FrameTimeStatsApp, EachDrawnFrameIsTimedThroughItsPresent) {
    DrawFrames(5);
    // A step with nothing to draw adds no frame.
    clock.Advance(10);
    app.MainLoopStep();
    const FrameTimeStats& times = app.GetDrawTimes();
    EXPECT_GE(times.GetCount(), 5u);
    EXPECT_EQ(times.GetCount(), app.GetDrawCount());
    EXPECT_DOUBLE_EQ(times.MeanUs(), 7000.0);
    EXPECT_EQ(times.MaxUs(), 7000u);
    EXPECT_EQ(times.PercentileUs(0.95), 7000u);
}

TEST_F(FrameTimeStatsApp, EachReportCoversTheTimeSinceTheOneBefore) {
    DrawFrames(2);
    app.ReportFrameStatistics();
    EXPECT_EQ(app.GetDrawTimes().GetCount(), 0u);
    DrawFrames(3);
    const std::string line = app.ReportFrameStatistics();
    // Three steps of 10 ms, each drawing for 7 ms.
    EXPECT_NE(line.find(" 3 frames in 51 ms"), std::string::npos) << line;
    EXPECT_NE(line.find("draw time per frame: mean 7.00 ms, 95th percentile 7.0 ms, max 7.0 ms"),
              std::string::npos)
        << line;
    EXPECT_NE(app.ReportFrameStatistics().find("0 updates, 0 frames in 0 ms"), std::string::npos);
}

TEST_F(FrameTimeStatsApp, UserSignalOneReportsAtTheNextStep) {
    struct sigaction saved[3]{};
    const int signals[3] = {SIGINT, SIGTERM, SIGUSR1};
    for (int i = 0; i < 3; ++i) {
        sigaction(signals[i], nullptr, &saved[i]);
    }
    InstallQuitSignalHandlers();
    app.ReportFrameStatistics();
    DrawFrames(4);
    EXPECT_EQ(app.GetDrawTimes().GetCount(), 4u);
    std::raise(SIGUSR1);
    clock.Advance(10);
    app.MainLoopStep();
    EXPECT_EQ(app.GetDrawTimes().GetCount(), 0u);
    EXPECT_FALSE(TakeStatisticsSignal());
    EXPECT_FALSE(QuitSignalReceived());
    for (int i = 0; i < 3; ++i) {
        sigaction(signals[i], &saved[i], nullptr);
    }
}

}  // namespace
