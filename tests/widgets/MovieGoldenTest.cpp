// The credits' movie drawn by its widget on the real renderer: its first frame and a later one
// (the beam swept round, the ship in the bay), compared with committed images. Set
// P7_UPDATE_GOLDEN=1 to rewrite them after the movie is rendered again, and look at them.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/GLTestSupport.h"
#include "widgets/controls/FlashPlayer.h"
#include "widgets/controls/FlashWidget.h"
#include "widgets/controls/MoviePlayer.h"

TEST_F(GLTest, TheCreditsMovieFirstAndLaterFrame) {
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(std::string(P7_SOURCE_DIR) + "/content");
    FlashWidget movie(0, 0, "lantern", 200, 150, true);
    std::filesystem::current_path(old);
    ASSERT_TRUE(movie.IsAnimating()) << "content/flash/lantern.swf did not play";
    for (const char* name : {"movie_first", "movie_later"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<ImageSurface> target = MakeTarget(200, 150);
        {
            Graphics g(target.get());
            movie.Draw(&g);
            g.FlushBatch();
        }
        ExpectGoldenIn("tests/widgets/golden", target.get(), name, 6, 200 * 150 / 100);
        // Two seconds on, at the movie's own rate of 12 frames a second: frame 24.
        for (int i = 0; i < 200; ++i) {
            movie.Update();
        }
    }
    EXPECT_TRUE(movie.IsAnimating());
}
