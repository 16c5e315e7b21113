// The SWF movie backend on movies the test encodes: frames come due on the movie's own rate
// counted in updates, only the frames shown are decoded, the last frame holds at the end or the
// movie starts again when it loops, stopping holds the clock, and files it cannot play are
// refused with one log line each.

#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/ImageSurface.h"
#include "support/TestMovies.h"
#include "support/WorkingFolder.h"
#include "widgets/controls/SwfMoviePlayer.h"

namespace {

class SwfMoviePlayerTest : public WorkingFolderTest {
protected:
    void SetUp() override {
        WorkingFolderTest::SetUp();
        std::filesystem::create_directories("flash");
        if (!WriteTestMovie("flash/five.swf", 5, 10, 32, 24)) {
            GTEST_SKIP() << "libavcodec has no Sorenson Spark encoder here";
        }
    }
};

// Whether the whole surface shows frame k's colour (within the codec's rounding).
::testing::AssertionResult Shows(ImageSurface& surface, int k) {
    const uint32_t want = TestMovieColour(k);
    for (uint32_t pixel : surface.GetPixelData()) {
        for (int shift = 0; shift < 32; shift += 8) {
            if (std::abs(int((pixel >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 12) {
                return ::testing::AssertionFailure()
                       << std::hex << "pixel 0x" << pixel << " is not frame " << std::dec << k
                       << "'s colour 0x" << std::hex << want;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Advances the player n updates; the number of those that brought a new frame.
int Advance(SwfMoviePlayer& player, int n) {
    int changes = 0;
    for (int i = 0; i < n; ++i) {
        changes += player.Advance() ? 1 : 0;
    }
    return changes;
}

}  // namespace

TEST_F(SwfMoviePlayerTest, FramesComeOnTheMoviesRateAndTheLastOneHoldsAtTheEnd) {
    ImageSurface surface;
    surface.Create(16, 12);  // painted at the widget's size, not the movie's
    for (const char* name : {"flash/five.swf", "flash/packed.swf"}) {
        SCOPED_TRACE(name);
        if (std::string(name) == "flash/packed.swf") {
            ASSERT_TRUE(CompressTestMovie("flash/five.swf", name));
        }
        SwfMoviePlayer player;
        ASSERT_TRUE(player.Load(name, 16, 12));
        EXPECT_TRUE(player.IsPlaying());
        ASSERT_TRUE(player.PaintInto(&surface));
        EXPECT_TRUE(Shows(surface, 0));
        // The first frame, then 10 updates a frame at 10 frames a second.
        EXPECT_TRUE(player.Advance());
        EXPECT_EQ(Advance(player, 8), 0);
        for (int k = 1; k < 5; ++k) {
            EXPECT_TRUE(player.Advance()) << "frame " << k;
            EXPECT_EQ(player.GetClock(), 10 * k);
            // Only the frame shown and the next one are decoded.
            EXPECT_EQ(player.GetDecodedFrames(), k + 2 - (k == 4 ? 1 : 0));
            ASSERT_TRUE(player.PaintInto(&surface));
            EXPECT_TRUE(Shows(surface, k));
            EXPECT_EQ(Advance(player, 9), 0);
        }
        // The last frame's time is over: the movie ends on it.
        EXPECT_FALSE(player.Advance());
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(Advance(player, 30), 0);
        EXPECT_TRUE(player.PaintInto(&surface));
        EXPECT_TRUE(Shows(surface, 4));
        // Rewinding shows the first frame again; playing goes on from there.
        player.Rewind();
        player.Play();
        EXPECT_TRUE(player.Advance());
        ASSERT_TRUE(player.PaintInto(&surface));
        EXPECT_TRUE(Shows(surface, 0));
        EXPECT_EQ(player.GetClock(), 1);
    }
}

TEST_F(SwfMoviePlayerTest, ALoopingMovieStartsAgainAndAStoppedOneHoldsItsFrame) {
    SwfMoviePlayer player;
    player.SetLoop(true);
    ASSERT_TRUE(player.Load("flash/five.swf", 32, 24));
    ImageSurface surface;
    surface.Create(32, 24);
    EXPECT_EQ(Advance(player, 25), 3);  // the first frame, then frames 1 and 2
    player.Stop();
    EXPECT_EQ(Advance(player, 100), 0);
    EXPECT_EQ(player.GetClock(), 25);
    ASSERT_TRUE(player.PaintInto(&surface));
    EXPECT_TRUE(Shows(surface, 2));
    player.Play();
    EXPECT_EQ(Advance(player, 24), 2);  // frames 3 and 4; the loop is due at 50
    EXPECT_TRUE(player.Advance());
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.GetClock(), 0);
    ASSERT_TRUE(player.PaintInto(&surface));
    EXPECT_TRUE(Shows(surface, 0));
    // Round again, and again: every pass shows all five frames.
    EXPECT_EQ(Advance(player, 100), 10);
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(SwfMoviePlayerTest, FilesThatCannotPlayAreRefusedWithOneLineEach) {
    Write("flash/vector.swf", VectorOnlyMovie());
    std::string cut = ReadTestFile("flash/five.swf");
    Write("flash/cut.swf", cut.substr(0, 40));
    Write("flash/garbage.swf", std::string(300, 'x'));
    ImageSurface surface;
    surface.Create(8, 8);
    for (const char* name :
         {"flash/vector.swf", "flash/missing.swf", "flash/cut.swf", "flash/garbage.swf"}) {
        SCOPED_TRACE(name);
        for (int attempt = 0; attempt < 2; ++attempt) {
            SwfMoviePlayer player;
            player.SetLoop(true);
            ::testing::internal::CaptureStderr();
            EXPECT_FALSE(player.Load(name, 8, 8));
            const std::string log = ::testing::internal::GetCapturedStderr();
            if (attempt == 0) {
                EXPECT_NE(log.find(name), std::string::npos) << log;
            } else {
                EXPECT_EQ(log, "");  // once per file
            }
            player.Rewind();
            player.Play();
            EXPECT_FALSE(player.IsPlaying());
            EXPECT_FALSE(player.Advance());
            EXPECT_FALSE(player.PaintInto(&surface));
        }
    }
    // Every cut of a good file either plays what it holds or is refused, under the sanitizers.
    const std::string whole = ReadTestFile("flash/five.swf");
    for (size_t n = 0; n < whole.size(); n += 37) {
        Write("flash/part.swf", whole.substr(0, n));
        SwfMoviePlayer player;
        ::testing::internal::CaptureStderr();
        if (player.Load("flash/part.swf", 8, 8)) {
            Advance(player, 80);
            EXPECT_FALSE(player.IsPlaying());
            EXPECT_TRUE(player.PaintInto(&surface));
        }
        ::testing::internal::GetCapturedStderr();
    }
}
