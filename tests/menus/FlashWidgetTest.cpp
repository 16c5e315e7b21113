// The movie widget: with the null backend (no player) it keeps its size, draws nothing,
// reports not playing and logs once; with a scripted backend the player's pause count, end
// report, commands and looping behave as the widget relies on; with the platform's backend a
// movie the test encodes plays, pauses, loops and ends on the clock of updates.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MenuTestSupport.h"
#include "support/TestMovies.h"
#include "widgets/controls/FlashListener.h"
#include "widgets/controls/FlashPlayer.h"
#include "widgets/controls/FlashWidget.h"
#include "widgets/controls/MoviePlayer.h"
#include "widgets/controls/NullMoviePlayer.h"

namespace {

// A backend that plays for as long as the test says.
class ScriptedBackend : public MoviePlayer {
public:
    struct Log {
        std::vector<std::string> calls;
        bool playing = true;
        std::function<void(const std::string&, const std::string&)> handler;
    };
    explicit ScriptedBackend(Log* log) : mLog(log) {}
    bool IsAvailable() const override { return true; }
    bool Load(const std::string& path, int width, int height) override {
        mLog->calls.push_back("load " + path + " " + std::to_string(width) + "x" +
                              std::to_string(height));
        return true;
    }
    void SetLoop(bool loop) override { mLog->calls.push_back(loop ? "loop" : "once"); }
    bool IsPlaying() const override { return mLog->playing; }
    void Play() override {
        mLog->calls.push_back("play");
        mLog->playing = true;
    }
    void Stop() override {
        mLog->calls.push_back("stop");
        mLog->playing = false;
    }
    void Rewind() override { mLog->calls.push_back("rewind"); }
    bool Advance() override { return mLog->playing; }
    bool PaintInto(ImageSurface* surface) override {
        mLog->calls.push_back("paint " + std::to_string(surface->GetWidth()));
        return true;
    }
    void SetCommandHandler(
        std::function<void(const std::string&, const std::string&)> handler) override {
        mLog->handler = std::move(handler);
    }

private:
    Log* mLog;
};

class RecordingListener : public FlashListener {
public:
    void MovieFinished() override { ++finished; }
    void FSCommand(const std::string& command, const std::string& args) override {
        commands.push_back(command + "(" + args + ")");
    }
    int finished = 0;
    std::vector<std::string> commands;
};

}  // namespace

TEST_F(MenuTest, WithoutAPlayerAMovieKeepsItsSizeDrawsNothingAndIsNotPlaying) {
    auto* movie =
        h.Add(new FlashWidget(10, 20, "intro", 320, 240, true, std::make_unique<NullMoviePlayer>()),
              10, 20, 320, 240);
    EXPECT_TRUE(NullMoviePlayer::HasLogged());
    EXPECT_EQ(movie->GetMoviePath(), "flash/intro.swf");
    EXPECT_EQ(movie->mWidth, 320);
    EXPECT_EQ(movie->mHeight, 240);
    EXPECT_FALSE(movie->GetPlayer()->IsAvailable());
    Run(3);
    EXPECT_FALSE(movie->IsAnimating());
    EXPECT_FALSE(movie->GetPlayer()->IsPlaying());
    EXPECT_EQ(movie->GetPlayer()->GetState(), FlashPlayer::kFinished);
    EXPECT_FALSE(movie->GetPlayer()->DrawToSurface());
    // A second movie logs nothing more (the line is once per process).
    auto* second =
        h.Add(new FlashWidget(0, 0, "outro", 64, 64, false, std::make_unique<NullMoviePlayer>()), 0,
              0, 64, 64);
    EXPECT_FALSE(second->IsAnimating());
}

TEST(FlashPlayerTest, PausesNestAndTheEndIsReportedWhenNotPaused) {
    ScriptedBackend::Log log;
    RecordingListener listener;
    ImageSurface surface;
    surface.Create(64, 32);
    FlashPlayer player(&listener, &surface, std::make_unique<ScriptedBackend>(&log));
    player.LoadMovie("flash/a.swf");
    EXPECT_EQ(log.calls.back(), "load flash/a.swf 64x32");
    EXPECT_EQ(player.GetState(), FlashPlayer::kPlaying);

    player.Pause();
    player.Pause();
    EXPECT_EQ(player.GetState(), FlashPlayer::kPaused);
    EXPECT_EQ(log.calls.back(), "stop");  // only the first pause stops
    player.Resume();
    EXPECT_FALSE(log.playing);
    player.Resume();
    EXPECT_TRUE(log.playing);
    EXPECT_EQ(player.GetState(), FlashPlayer::kPlaying);
    player.Resume();  // unbalanced: ignored
    EXPECT_EQ(player.GetPauseCount(), 0);

    // The host's request holds the movie until it is withdrawn.
    player.mPauseRequested = true;
    player.Update();
    EXPECT_EQ(player.GetPauseCount(), 1);
    player.Update();
    EXPECT_EQ(player.GetPauseCount(), 1);
    player.mPauseRequested = false;
    player.Update();
    EXPECT_EQ(player.GetPauseCount(), 0);

    log.playing = false;
    player.Update();
    EXPECT_EQ(player.GetState(), FlashPlayer::kFinished);
    EXPECT_EQ(listener.finished, 1);
    player.Update();
    EXPECT_EQ(listener.finished, 1);

    log.handler("next_scene", "2");
    EXPECT_EQ(listener.commands, (std::vector<std::string>{"next_scene(2)"}));
    EXPECT_TRUE(player.DrawToSurface());
}

TEST_F(MenuTest, ALoopingMovieStartsAgainWhenItStops) {
    ScriptedBackend::Log log;
    auto* movie = h.Add(
        new FlashWidget(0, 0, "waves", 128, 64, true, std::make_unique<ScriptedBackend>(&log)), 0,
        0, 128, 64);
    EXPECT_TRUE(movie->IsAnimating());
    log.playing = false;
    log.calls.clear();
    Run(1);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"rewind", "play"}));
    EXPECT_TRUE(movie->IsAnimating());
    log.calls.clear();
    h.Draw();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"paint 128"}));
    movie->MarkForRemoval();  // the backend reports into this test's log: gone before it
    Run(1);
}

namespace {

// Runs a test's movies from a temporary working folder, where "flash/" holds what it wrote.
class MovieFolder {
public:
    explicit MovieFolder(const std::string& path) : mOld(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
        std::filesystem::create_directories("flash");
    }
    ~MovieFolder() { std::filesystem::current_path(mOld); }

private:
    std::filesystem::path mOld;
};

// The colour painted at the middle of a movie widget's surface is frame k's.
bool ShowsFrame(FlashWidget* movie, int k) {
    const uint32_t pixel = movie->GetImage()->GetPixel(movie->mWidth / 2, movie->mHeight / 2, 0);
    const uint32_t want = TestMovieColour(k);
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 12) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST_F(MenuTest, AMoviePlaysOnItsOwnRateHoldsWhilePausedAndEndsOrLoops) {
    MovieFolder movies(folder.Path());
    if (!WriteTestMovie("flash/five.swf", 5, 10, 32, 24)) {
        GTEST_SKIP() << "libavcodec has no Sorenson Spark encoder here";
    }
    auto* once = h.Add(new FlashWidget(0, 0, "five", 16, 12, false), 0, 0, 16, 12);
    auto* looped = h.Add(new FlashWidget(20, 0, "five", 16, 12, true), 20, 0, 16, 12);
    EXPECT_TRUE(once->IsAnimating());
    h.Draw();
    EXPECT_TRUE(ShowsFrame(once, 0));
    Run(25);
    h.Draw();
    EXPECT_TRUE(ShowsFrame(once, 2));
    EXPECT_TRUE(ShowsFrame(looped, 2));

    // Nested pauses hold the looping movie on its frame; the loop rule does not restart it.
    looped->GetPlayer()->Pause();
    looped->GetPlayer()->Pause();
    EXPECT_FALSE(looped->HasScheduledWork()) << "a paused movie lets the game wait for events";
    Run(100);
    looped->GetPlayer()->Resume();
    Run(10);
    h.Draw();
    EXPECT_TRUE(ShowsFrame(looped, 2));
    EXPECT_EQ(looped->GetPlayer()->GetState(), FlashPlayer::kPaused);
    looped->GetPlayer()->Resume();
    EXPECT_TRUE(looped->IsAnimating());

    // The other movie ended at 50 updates on its last frame and stays there.
    EXPECT_FALSE(once->IsAnimating());
    EXPECT_EQ(once->GetPlayer()->GetState(), FlashPlayer::kFinished);
    EXPECT_FALSE(once->HasScheduledWork()) << "a finished movie lets the game wait for events";
    EXPECT_TRUE(looped->HasScheduledWork());
    h.Draw();
    EXPECT_TRUE(ShowsFrame(once, 4));

    // The looping one went on from frame 2: frames 3 and 4, then round to the start. A new
    // frame repaints only the movie's part of the screen.
    Run(10);
    Rect area;
    ASSERT_TRUE(h.manager->GetDirtyArea(&area));
    EXPECT_TRUE(area.mX <= 20 && area.mY <= 0 && area.mX + area.mWidth >= 36 &&
                area.mY + area.mHeight >= 12 && area.mWidth <= 24 && area.mHeight <= 20)
        << area.mX << "," << area.mY << " " << area.mWidth << "x" << area.mHeight;
    h.Draw();
    EXPECT_TRUE(ShowsFrame(looped, 3));
    Run(20);
    h.Draw();
    EXPECT_TRUE(ShowsFrame(looped, 0));
    EXPECT_TRUE(looped->IsAnimating());
}

TEST(FlashPlayerTest, TheListenerHearsTheEndOnceAndAHostPauseOnlyPutsItOff) {
    TempFolder folder;
    MovieFolder movies(folder.Path());
    if (!WriteTestMovie("flash/two.swf", 2, 20, 16, 16)) {
        GTEST_SKIP() << "libavcodec has no Sorenson Spark encoder here";
    }
    for (bool pausedAtTheEnd : {false, true}) {
        RecordingListener listener;
        ImageSurface surface;
        surface.Create(8, 8);
        FlashPlayer player(&listener, &surface);
        ASSERT_TRUE(player.LoadMovie("flash/two.swf"));
        for (int i = 0; i < 9; ++i) {
            player.Update();
        }
        if (pausedAtTheEnd) {
            player.mPauseRequested = true;
            player.Update();
            player.mPauseRequested = false;
        }
        for (int i = 0; i < 20; ++i) {
            player.Update();
        }
        EXPECT_EQ(player.GetState(), FlashPlayer::kFinished);
        EXPECT_EQ(listener.finished, 1);
        EXPECT_TRUE(player.DrawToSurface());
    }
}
