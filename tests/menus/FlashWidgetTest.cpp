// The movie widget: with the null backend (no player) it keeps its size, draws nothing,
// reports not playing and logs once; with a scripted backend the player's pause count, end
// report, commands and looping behave as the widget relies on.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MenuTestSupport.h"
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
