// The shipped movies: every movie a script names plays (it has a video stream and frames), every
// movie file is named by a script, and each stays small, so a screen that shows one stays cheap.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ContentTestSupport.h"
#include "widgets/controls/SwfMoviePlayer.h"

namespace {

class MovieContentTest : public contenttest::ContentTest {};

}  // namespace

TEST_F(MovieContentTest, EveryMovieAScriptNamesPlaysAndEveryMovieFileIsNamed) {
    std::set<std::string> named;
    contenttest::ForEachScriptLiteral([&](const std::string& script,
                                          const AnimationCommand& command, const std::string& param,
                                          const std::string& name) {
        if (command.mCommand != "add" || param != "video") {
            return;
        }
        named.insert(name);
        SwfMoviePlayer player;
        EXPECT_TRUE(player.Load("flash/" + name + ".swf", 64, 64))
            << "script \"" << script << "\": movie \"" << name << "\" does not play";
        int frames = 0;
        for (int update = 0; update < 100 && player.IsPlaying(); ++update) {
            frames += player.Advance() ? 1 : 0;
        }
        EXPECT_GT(frames, 1) << "movie \"" << name << "\" shows no motion in a second";
    });
    EXPECT_FALSE(named.empty()) << "no script shows a movie";
    for (const auto& entry : std::filesystem::directory_iterator("flash")) {
        const std::string file = entry.path().filename().string();
        EXPECT_TRUE(named.count(entry.path().stem().string()) > 0 &&
                    entry.path().extension() == ".swf")
            << "content/flash/" << file << " is not shown by any script";
        // A few hundred kilobytes at most: small movies, small on screen.
        EXPECT_LE(entry.file_size(), 300u * 1024) << "content/flash/" << file;
    }
}
