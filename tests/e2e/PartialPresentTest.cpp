// The game in a real X window, in this process, on a manual clock: where the window system keeps
// the back buffer between frames, a frame that changed a few cells copies and presents only
// those. After a run of such frames the window has to show exactly what a whole redraw of the
// same moment shows, pixel for pixel, and that picture is kept as a golden one.
//
// Needs Xvfb and xwd; without them the test is skipped.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../screens/GameSession.h"
#include "XSession.h"
#include "game/board/PlayTileGrid.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

namespace {

// The game's window (windowed, centred on the screen) out of a picture of the whole screen.
ScreenPicture CenteredWindow(const ScreenPicture& screen) {
    ScreenPicture part;
    if (screen.width < XSession::kDesignWidth || screen.height < XSession::kDesignHeight) {
        return part;
    }
    part.width = XSession::kDesignWidth;
    part.height = XSession::kDesignHeight;
    const int left = (screen.width - part.width) / 2;
    const int top = (screen.height - part.height) / 2;
    for (int y = 0; y < part.height; ++y) {
        for (int x = 0; x < part.width; ++x) {
            part.pixels.push_back(
                screen.pixels[size_t(y + top) * size_t(screen.width) + size_t(x + left)]);
        }
    }
    return part;
}

// The number before " partial frames" and before " frames in" in a statistics line.
int CountBefore(const std::string& line, const std::string& words) {
    const size_t at = line.find(words);
    if (at == std::string::npos) {
        return -1;
    }
    size_t start = at;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(line[start - 1])) != 0) {
        --start;
    }
    return std::atoi(line.substr(start, at - start).c_str());
}

TEST(PartialPresentTest, xvfb_AfterARunOfPartialFramesTheWindowEqualsAWholeRedraw) {
    for (const char* program : {"Xvfb", "xwd"}) {
        if (FindProgram(program).empty()) {
            GTEST_SKIP() << program << " is not installed (Debian packages xvfb, x11-apps)";
        }
    }
    XSession x;
    std::string error;
    ASSERT_TRUE(x.StartServer(&error)) << error;
    const std::string out = std::string(P7_BINARY_DIR) + "/xvfb-screens/partial-present/";
    std::filesystem::create_directories(out);

    GameSession session(MakeProfilesXml("Ann",
                                        [](PlayerState& state) {
                                            state.mSeenTutorial = true;
                                            state.mDisableTips = true;
                                        }),
                        GameSession::Frames::kEveryUpdate);
    // The session chose the offscreen driver; this one draws into a window on the X server.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.Display().c_str(), 1);
    ASSERT_TRUE(session.Start());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);

    // The first story puzzle (5x5), which has a solid row.
    OpenPuzzleLoading(kDefaultGameName, {0, 1, 0}, false);
    PlayPuzzleMenu* play = nullptr;
    ASSERT_TRUE(session.StepUntil([&] {
        play = session.FindMenu<PlayPuzzleMenu>();
        return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying;
    }));
    ASSERT_NE(play->GetGrid(), nullptr);
    session.Step(300);
    if (!session.app->GetPlatform()->KeepsLastFrame()) {
        GTEST_SKIP() << "this X server's GL keeps no back buffer between frames";
    }

    const FPoint at = play->GetGrid()->LocalToGlobal();
    const int tile = play->GetGrid()->GetTileSize();
    auto cell = [&](int column, float origin) {
        return static_cast<int>(origin + (static_cast<float>(column) + 0.5f) * tile);
    };
    const PlayModel& model = play->GetGrid()->GetModel();
    int solidRow = -1;
    for (int b = 0; b < 5 && solidRow < 0; ++b) {
        bool solid = true;
        for (int a = 0; a < 5; ++a) {
            solid = solid && model.IsSolid(a, b);
        }
        solidRow = solid ? b : -1;
    }
    ASSERT_GE(solidRow, 0) << "the first story puzzle has no solid row";
    const int row = cell(solidRow, at.mY);
    // A stroke along the solid row: its tiles turn over in frames of their own.
    session.app->OnMouseMove(cell(0, at.mX), row);
    session.app->OnMouseDown(cell(0, at.mX), row, 1);
    session.Step(4);
    for (int column = 1; column < 5; ++column) {
        session.app->OnMouseMove(cell(column, at.mX), row);
        session.Step(4);
    }
    session.app->OnMouseUp(cell(4, at.mX), row, 1);
    session.Step(200);
    // Then the pointer over the board, a cell at a time, to and fro: each frame repaints only
    // the rows and columns the pointer left and entered.
    session.app->ReportFrameStatistics();
    for (int move = 0; move < 12; ++move) {
        const int column = move < 5 ? move : (move < 9 ? 8 - move : move - 8);
        session.app->OnMouseMove(cell(column, at.mX), cell(move % 5, at.mY));
        session.Step(4);
    }
    const std::string statistics = session.app->ReportFrameStatistics();
    const int frames = CountBefore(statistics, " frames in");
    const int partial = CountBefore(statistics, " partial frames");
    EXPECT_GE(partial, 10) << statistics;
    EXPECT_EQ(frames, partial) << statistics;
    ASSERT_TRUE(session.app->GetPlatform()->KeepsLastFrame());

    const ScreenPicture afterPartial = CenteredWindow(x.Capture(out + "capture.xwd"));
    ASSERT_FALSE(afterPartial.Empty());
    // The same moment (no update in between) drawn and presented whole.
    session.app->OnWindowResized();
    session.app->MainLoopStep();
    const ScreenPicture whole = CenteredWindow(x.Capture(out + "capture.xwd"));
    ASSERT_FALSE(whole.Empty());
    size_t differing = 0;
    for (size_t i = 0; i < whole.pixels.size(); ++i) {
        differing += afterPartial.pixels[i] != whole.pixels[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u) << "pixels differ between the partial frames and the whole redraw";

    std::vector<uint32_t> argb;
    for (uint32_t p : afterPartial.pixels) {
        argb.push_back(0xFF000000u | p);
    }
    const std::string golden =
        std::string(P7_SOURCE_DIR) + "/tests/e2e/golden/play_after_partial_frames.png";
    const char* update = std::getenv("P7_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(WritePngFile(golden, afterPartial.width, afterPartial.height, argb));
        return;
    }
    WritePngFile(out + "play_after_partial_frames.png", afterPartial.width, afterPartial.height,
                 argb);
    DecodedImage expected;
    ASSERT_TRUE(ReadImageFile(golden, &expected))
        << "no golden picture " << golden << " (P7_UPDATE_GOLDEN=1 makes it)";
    ScreenPicture expectedPicture;
    expectedPicture.width = expected.mWidth;
    expectedPicture.height = expected.mHeight;
    for (uint32_t p : expected.mPixels) {
        expectedPicture.pixels.push_back(p & 0xFFFFFF);
    }
    const PictureDistance distance = ComparePictures(afterPartial, expectedPicture);
    EXPECT_EQ(distance.badBlocks, 0)
        << "the picture after the partial frames differs from " << golden << "; it showed "
        << out + "play_after_partial_frames.png";
}

}  // namespace
