// The main loop's pacing on a manual clock: 10 ms fixed updates each followed by a float update,
// long gaps dropped, at most ten rounds before a draw once loading is done, and the rest caught
// up after the draw.

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/GameApp.h"
#include "app/LoadingCompleteListener.h"
#include "core/expr/MainThread.h"
#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

// Counts its float updates and the elapsed values they received.
class CountingWidget : public Widget {
public:
    void Update() override { ++updates; }
    void UpdateF(float elapsed) override {
        ++floatUpdates;
        elapsedSum += elapsed;
    }
    int updates = 0;
    int floatUpdates = 0;
    float elapsedSum = 0.0f;
};

// Its loading thread waits until the test lets it finish.
class HeldLoadingApp : public GameApp {
public:
    HeldLoadingApp() : GameApp("Test", "v1.2", 1024, 768) {}
    int GetExtraLoadingSteps() override { return 3; }
    void LoadingThreadProc() override {
        AdvanceLoadingProgress();
        while (!release && !IsLoadingAborted()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        AdvanceLoadingProgress();
    }
    // The hand-over of the title screen; the main loop must never call it.
    void LoadingComplete() override {
        GameApp::LoadingComplete();
        ++handOvers;
    }
    std::atomic<bool> release{false};
    int handOvers = 0;
};

// Its loading thread stands for one inside a decode: deaf to the abort flag, it ends only when
// the test lets it (or, should a shutdown join it, after a minute, so that the test fails rather
// than hangs).
struct StuckLoaderApp : GameApp {
    StuckLoaderApp() : GameApp("Test", "v1.2", 1024, 768) {}
    void LoadingThreadProc() override {
        inside = true;
        for (int i = 0; i < 60000 && !release; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void LeaveLoadingThreadRunning() override {
        ++left;
        release = true;  // the test's process goes on: the thread ends and is joined
        JoinLoadingThread();
    }
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    int left = 0;
};

// Stands for the title screen that the loading-complete step tells.
class FakeTitle : public LoadingCompleteListener {
public:
    void LoadingComplete() override {
        ++completions;
        completedOnMainThread = std::this_thread::get_id() == mainThread;
    }
    int completions = 0;
    bool completedOnMainThread = false;
    std::thread::id mainThread = std::this_thread::get_id();
};

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto platform = std::make_unique<NullPlatform>();
        nullPlatform = platform.get();
        app.SetPlatform(std::move(platform));
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        widget = new CountingWidget;
        app.GetWidgetManager()->AddWidget(widget);
        gTitleScreen = &title;
        app.BeginRun();
    }
    void TearDown() override {
        gTitleScreen = nullptr;
        app.Quit();
        app.MainLoopStep();
        app.Shutdown();
    }

    TempUserFolder folder;
    ManualClock clock;
    HeldLoadingApp app;
    FakeTitle title;
    NullPlatform* nullPlatform = nullptr;
    CountingWidget* widget = nullptr;
};

}  // namespace

TEST_F(MainLoopTest, TenMillisecondStepsAndTheLoadingStep) {
    EXPECT_EQ(nullPlatform->IsShown(), true);
    EXPECT_LT(app.GetLoadingThreadProgress(), 1.0f);
    // Before loading is done there is no cap: 150 ms owed gives 15 rounds at once.
    clock.Advance(150);
    app.MainLoopStep();
    EXPECT_EQ(app.GetUpdateCount(), 15u);
    EXPECT_EQ(widget->updates, 15);
    EXPECT_EQ(widget->floatUpdates, 15);
    EXPECT_FLOAT_EQ(widget->elapsedSum, 15.0f);
    EXPECT_EQ(title.completions, 0);

    app.release = true;
    FinishLoading(app, clock);
    // The main loop's step tells the title screen; the hand-over waits for the player.
    EXPECT_EQ(title.completions, 1);
    EXPECT_TRUE(title.completedOnMainThread);
    EXPECT_EQ(app.handOvers, 0);
    EXPECT_FLOAT_EQ(app.GetLoadingThreadProgress(), 1.0f);

    const uint64_t before = app.GetUpdateCount();
    clock.Advance(35);
    app.MainLoopStep();
    EXPECT_EQ(app.GetUpdateCount() - before, 3u);
    EXPECT_EQ(app.GetOwedMs(), 5u);
    clock.Advance(5);
    app.MainLoopStep();
    EXPECT_EQ(app.GetUpdateCount() - before, 4u);
    EXPECT_EQ(title.completions, 1);  // the loading step runs once
    EXPECT_EQ(app.handOvers, 0);
}

TEST_F(MainLoopTest, WorkPostedFromAnotherThreadRunsAtTheNextUpdate) {
    std::thread::id ranOn;
    int runs = 0;
    std::thread poster([&] {
        PostToMainThread([&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        });
    });
    poster.join();
    EXPECT_EQ(runs, 0);
    clock.Advance(10);
    app.MainLoopStep();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    clock.Advance(10);
    app.MainLoopStep();
    EXPECT_EQ(runs, 1);  // run once
    app.release = true;
}

TEST_F(MainLoopTest, GapsOver200MsAreDropped) {
    app.release = true;
    FinishLoading(app, clock);
    const uint64_t before = app.GetUpdateCount();
    clock.Advance(250);
    app.MainLoopStep();
    EXPECT_EQ(app.GetUpdateCount(), before);
    EXPECT_EQ(app.GetDroppedGapCount(), 1u);
    // The idle step slept up to 10 ms; with 190 more the gap stays within 200 ms and counts.
    clock.Advance(190);
    app.MainLoopStep();
    EXPECT_EQ(app.GetDroppedGapCount(), 1u);
    EXPECT_EQ(app.GetUpdateCount() - before, 10u);  // the first ten of the owed rounds
}

TEST_F(MainLoopTest, TenRoundsThenADrawThenTheRestIsCaughtUp) {
    app.release = true;
    FinishLoading(app, clock);
    app.GetWidgetManager()->MarkDirty();
    const uint64_t updates = app.GetUpdateCount();
    const uint64_t draws = app.GetDrawCount();
    clock.Advance(150);
    app.MainLoopStep();
    EXPECT_EQ(app.GetUpdateCount() - updates, 10u);
    EXPECT_EQ(app.GetDrawCount() - draws, 1u);
    EXPECT_EQ(app.GetOwedMs(), 50u);
    app.GetWidgetManager()->MarkDirty();
    app.MainLoopStep();  // no time passed: the owed 50 ms are caught up
    EXPECT_EQ(app.GetUpdateCount() - updates, 15u);
    EXPECT_EQ(app.GetDrawCount() - draws, 2u);
}

TEST_F(MainLoopTest, IdleStepsSleepTheRestOfTheFrame) {
    app.release = true;
    FinishLoading(app, clock);
    const uint64_t updates = app.GetUpdateCount();
    const uint64_t slept = clock.GetSleptMs();
    const uint64_t draws = app.GetDrawCount();
    clock.Advance(13 - app.GetOwedMs());  // one update, then 3 ms into the next period
    app.MainLoopStep();
    const uint64_t owed = app.GetOwedMs();
    EXPECT_EQ(owed, 3u);
    // Nothing dirty: no frame, and the next step sleeps until the next update is due.
    const uint64_t sleptBefore = clock.GetSleptMs();
    app.MainLoopStep();
    EXPECT_EQ(clock.GetSleptMs() - sleptBefore, 7u);
    EXPECT_GT(app.GetUpdateCount(), updates);
    EXPECT_GE(clock.GetSleptMs(), slept);
    EXPECT_EQ(app.GetDrawCount(), draws);  // an empty, clean tree is not redrawn

    // A long run of idle steps keeps real time: 1000 ms give 100 updates.
    const uint64_t start = app.GetUpdateCount();
    const uint64_t t0 = clock.NowMs();
    while (clock.NowMs() - t0 < 1000) {
        app.MainLoopStep();
    }
    EXPECT_NEAR(static_cast<double>(app.GetUpdateCount() - start), 100.0, 1.0);
}

TEST_F(MainLoopTest, ALoaderThreadMakesTheLoopYieldAndSpaceItsDraws) {
    app.release = true;
    FinishLoading(app, clock);
    app.mLoaderRunning = 1;
    const uint64_t draws = app.GetDrawCount();
    const uint64_t t0 = clock.NowMs();
    while (clock.NowMs() - t0 < 1000) {
        app.GetWidgetManager()->MarkDirty();
        app.MainLoopStep();
    }
    app.mLoaderRunning = 0;
    EXPECT_LE(app.GetDrawCount() - draws, 11u);
    EXPECT_GE(app.GetDrawCount() - draws, 9u);
}

// A test's spacing leaves frames out, yet every step runs the updates and sleeps as it does
// with a frame after each update: what the test sees of the game keeps its timing.
TEST_F(MainLoopTest, ASpacingLeavesFramesOutWithoutMovingTheUpdates) {
    app.release = true;
    FinishLoading(app, clock);
    for (const int spacing : {0, 40}) {
        app.SetDrawSpacingMs(spacing);
        const uint64_t updates = app.GetUpdateCount();
        const uint64_t draws = app.GetDrawCount();
        const uint64_t slept = clock.GetSleptMs();
        for (int i = 0; i < 40; ++i) {
            clock.Advance(10);
            app.GetWidgetManager()->MarkDirty();
            app.MainLoopStep();
        }
        EXPECT_EQ(app.GetUpdateCount() - updates, 40u) << spacing;
        EXPECT_EQ(clock.GetSleptMs(), slept) << spacing;
        EXPECT_EQ(app.GetDrawCount() - draws, spacing == 0 ? 40u : 10u) << spacing;
    }
}

TEST_F(MainLoopTest, QuitFromAnotherThreadOnlySetsTheFlag) {
    app.release = true;
    std::thread other([this] { app.Quit(); });
    other.join();
    EXPECT_TRUE(app.IsQuitRequested());
    EXPECT_TRUE(nullPlatform->IsShown());  // nothing happened off the main thread
    EXPECT_FALSE(app.MainLoopStep());
    EXPECT_FALSE(nullPlatform->IsShown());
    EXPECT_NE(ReadText(folder.UserFile("settings.xml")).find("in-progress=\"false\""),
              std::string::npos);
}

TEST_F(MainLoopTest, WindowCloseQuits) {
    nullPlatform->RequestClose();
    EXPECT_FALSE(app.MainLoopStep());
    EXPECT_FALSE(app.MainLoopStep());
}

TEST(MainLoop, QuitDuringLoadingJoinsTheLoadingThread) {
    TempUserFolder folder;
    ManualClock clock;
    FakeTitle title;
    gTitleScreen = &title;
    auto* app = new HeldLoadingApp;
    app->SetClock(&clock);
    ASSERT_TRUE(app->Init());
    app->BeginRun();
    app->Quit();
    EXPECT_FALSE(app->MainLoopStep());
    app->Shutdown();  // returns: the loader saw the abort flag and was joined
    EXPECT_EQ(title.completions, 0);
    EXPECT_EQ(app->handOvers, 0);
    gTitleScreen = nullptr;
    delete app;
    EXPECT_EQ(gApp, nullptr);
}

// A loader inside one file's decode has no point at which to see the abort flag: a quit waits
// for it a bounded time, then leaves it running (the process ends) instead of joining it.
TEST(MainLoop, QuitDoesNotWaitForALoaderInsideADecode) {
    TempUserFolder folder;
    ManualClock clock;
    FakeTitle title;
    gTitleScreen = &title;
    auto* app = new StuckLoaderApp;
    app->SetClock(&clock);
    app->SetQuitMayLeaveLoader(true);
    ASSERT_TRUE(app->Init());
    app->BeginRun();
    while (!app->inside) {
        std::this_thread::yield();
    }
    app->Quit();
    EXPECT_FALSE(app->MainLoopStep());
    app->Shutdown();
    EXPECT_EQ(app->left, 1);
    EXPECT_EQ(title.completions, 0);
    gTitleScreen = nullptr;
    delete app;
}

TEST_F(MainLoopTest, VSyncPacingFollowsTheScreenMode) {
    // Windowed without "wait-for-vsync": no pacing. Full screen paces; back to a window does not,
    // and the platform's swap interval follows each time.
    EXPECT_FALSE(app.IsVSyncPacing());
    EXPECT_FALSE(nullPlatform->IsVSync());
    app.SwitchScreenMode(false, false);
    EXPECT_TRUE(app.IsVSyncPacing());
    EXPECT_TRUE(nullPlatform->IsVSync());
    app.SwitchScreenMode(true, false);
    EXPECT_FALSE(app.IsVSyncPacing());
    EXPECT_FALSE(nullPlatform->IsVSync());
}

// Full screen shows the picture at the design's shape on the desktop, or stretched over all of
// it: the options' stretch box is offered only where the two differ.
TEST(MainLoop, TheDisplaySizesFollowTheDesktopsShape) {
    struct Case {
        int desktopWidth, desktopHeight;
        Point normal;
    };
    for (const Case& c : {Case{1600, 900, Point(1200, 900)}, Case{1280, 1024, Point(1280, 960)},
                          Case{1280, 960, Point(1280, 960)}}) {
        TempUserFolder folder;
        ManualClock clock;
        HeldLoadingApp app;
        auto platform = std::make_unique<NullPlatform>();
        platform->SetDesktopSize(c.desktopWidth, c.desktopHeight);
        app.SetPlatform(std::move(platform));
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        EXPECT_EQ(app.mStretchedDisplaySize, Point(c.desktopWidth, c.desktopHeight));
        EXPECT_EQ(app.mNormalDisplaySize, c.normal) << c.desktopWidth << "x" << c.desktopHeight;
        app.Shutdown();
    }
}

// The window's first picture is the first screen's background, shown as the window maps and
// before the rest of the start-up (the first settings write among it) and any frame.
TEST(MainLoop, TheFirstPictureComesBeforeTheRestOfTheStartUp) {
    struct RecordingPlatform : NullPlatform {
        void ShowWindow(bool show) override {
            NullPlatform::ShowWindow(show);
            calls.push_back(show ? "shown" : "hidden");
        }
        void ShowPlainPicture(uint32_t rgb) override {
            calls.push_back("picture " + std::to_string(rgb) +
                            (std::filesystem::exists(settings) ? " after settings" : ""));
        }
        bool Present(const PlatformRect* part) override {
            calls.push_back("frame");
            return NullPlatform::Present(part);
        }
        std::vector<std::string> calls;
        std::string settings;
    };
    struct WhiteFirstApp : HeldLoadingApp {
        bool GetFirstPictureColor(uint32_t* rgb) const override {
            *rgb = 0xFFFFFF;
            return true;
        }
    };
    TempUserFolder folder;
    ManualClock clock;
    WhiteFirstApp app;
    auto platform = std::make_unique<RecordingPlatform>();
    RecordingPlatform* recorder = platform.get();
    recorder->settings = folder.UserFile("settings.xml");
    app.SetPlatform(std::move(platform));
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    ASSERT_GE(recorder->calls.size(), 2u);
    EXPECT_EQ(recorder->calls[0], "shown");
    EXPECT_EQ(recorder->calls[1], "picture 16777215");
    app.Quit();
    app.MainLoopStep();
    app.Shutdown();
}
