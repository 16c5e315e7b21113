// The game in a real window on a virtual X display, as a player meets it: the executable started
// with a fresh per-user folder, full screen on a screen of another shape than the game's (bars
// at the sides, so the pointer is mapped), driven by pointer and keyboard events from outside
// through the title, name entry, main menu, the opening letter, a set, one puzzle solved with
// strokes, the map, the options and the quit confirmation. Each screen is compared with a picture
// kept under tests/e2e/golden/; every picture of the run is written under the build folder, so a
// failing run leaves what it saw. The shader effects, which run for a few seconds and stop, are
// caught while they run (the solved picture's ink, the sea's glints on the map) and compared with
// the settled screen. P7_UPDATE_GOLDEN=1 rewrites the pictures (and the README's) instead of
// comparing.
//
// Needs Xvfb, xdotool and xwd; without them the test is skipped.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../screens/GameSession.h"
#include "XSession.h"
#include "game/board/PlayTileGrid.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

#ifdef P7_GAME_EXE

namespace {

// The set and puzzle the player solves in the window: the first puzzle of the first story set
// after the tutorial.
constexpr int kSet = 1;
constexpr int kPuzzle = 0;
// The height of a question's or a notice's buttons on the screen: they stand under the text, a
// few pixels lower for three lines than for two; this row is on them for either.
constexpr int kDialogButtonsY = 458;

// Where the puzzle's grid is on the game's design surface, and its solution from the catalogue.
struct PuzzleLayout {
    float x = 0.0f;
    float y = 0.0f;
    int tile = 0;
    std::vector<std::vector<int>> solution;  // [a][b]
};

// A player past the tutorial with tips off, for the headless measurement (and, with harbour
// puzzles solved, for the game in the window).
void PastTheTutorial(PlayerState& state) {
    state.mSeenTutorial = true;
    state.mDisableTips = true;
}

// Learnt from the same game headless: the play screen of the puzzle opened directly.
PuzzleLayout MeasurePuzzle(int set = kSet, int puzzle = kPuzzle,
                           const std::function<void(PlayerState&)>& profile = PastTheTutorial) {
    PuzzleLayout layout;
    GameSession session(MakeProfilesXml("Ann", profile));
    if (!session.Start()) {
        return layout;
    }
    OpenPuzzleLoading(kDefaultGameName, {0, set, puzzle}, false);
    PlayPuzzleMenu* play = nullptr;
    session.StepUntil([&] {
        play = session.FindMenu<PlayPuzzleMenu>();
        return play != nullptr && play->GetState() == PlayPuzzleMenu::kPlaying;
    });
    if (play == nullptr || play->GetGrid() == nullptr) {
        return layout;
    }
    const FPoint at = play->GetGrid()->LocalToGlobal();
    layout.x = at.mX;
    layout.y = at.mY;
    layout.tile = play->GetGrid()->GetTileSize();
    if (const PuzzleRecord* record = FindPuzzle(kDefaultGameName, {0, set, puzzle})) {
        layout.solution = record->mSolution;
    }
    return layout;
}

std::string SourcePath(const std::string& relative) {
    return std::string(P7_SOURCE_DIR) + "/" + relative;
}

bool UpdatingGoldens() {
    const char* update = std::getenv("P7_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

ScreenPicture FromDecoded(const DecodedImage& image) {
    ScreenPicture picture;
    picture.width = image.mWidth;
    picture.height = image.mHeight;
    picture.pixels.reserve(image.mPixels.size());
    for (uint32_t p : image.mPixels) {
        picture.pixels.push_back(p & 0xFFFFFF);
    }
    return picture;
}

bool WritePicture(const std::string& path, const ScreenPicture& picture) {
    std::vector<uint32_t> argb;
    argb.reserve(picture.pixels.size());
    for (uint32_t p : picture.pixels) {
        argb.push_back(0xFF000000u | p);
    }
    return WritePngFile(path, picture.width, picture.height, argb);
}

// The game's window out of a picture of the whole screen (the window is centred).
ScreenPicture WindowPart(const ScreenPicture& screen) {
    ScreenPicture part;
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

class RealWindowTest : public ::testing::Test {
protected:
    // At most this share of blocks may differ from a golden picture.
    static constexpr double kAllowedShare = 0.012;
    // How long a screen is waited for: only a limit for a hang, since each wait ends when the
    // screen shows what it should.
    static constexpr int kHangSeconds = 300;
    // The updates after which what is photographed is held: the splash (it shows 400), the
    // ink's sheet half soaked (it runs 150), the sea's glints well on (they run 450).
    static constexpr int kSplashHeldAt = 300;
    static constexpr int kInkHeldAt = 75;
    static constexpr int kGlintsHeldAt = 150;

    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool", "xwd", "xlogo"}) {
            if (FindProgram(program).empty()) {
                GTEST_SKIP() << program
                             << " is not installed (Debian packages xvfb, xdotool, x11-apps); "
                                "the real-window test needs it";
            }
        }
        // One folder per test, so that CTest may run the tests side by side.
        mOut = std::string(P7_BINARY_DIR) + "/xvfb-screens/" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::error_code ec;
        std::filesystem::remove_all(mOut, ec);
        std::filesystem::create_directories(mOut);
        mHoldFile = mOut + "hold";
        std::string error;
        ASSERT_TRUE(x.StartServer(&error)) << error;
    }

    // Waits until the screen shows the golden picture name (at most seconds); writes what it saw
    // to the build folder. Under P7_UPDATE_GOLDEN=1 waits for the screen to settle and keeps it
    // as the new golden picture, at least settleMs after the call (start screens that follow one
    // another are each still for a while).
    // The first lit hint bulb explains itself in a notice card that covers the sky left of the
    // board; a player reads it and closes it with its OK button before the next stroke.
    // Waited for by the game's own clock: the trail takes 0.9 s and the card drops in over a
    // quarter of a second after it, so two seconds of the game's time show it if it comes.
    void CloseNoticeIfShown() {
        ASSERT_TRUE(x.WaitUpdates(200)) << ReadWholeFile(mLog);
        int sx = 0;
        int sy = 0;
        x.DesignToScreen(300, 400, &sx, &sy);
        const ScreenPicture seen = x.Capture(mOut + "capture.xwd");
        ASSERT_FALSE(seen.Empty() || sx >= seen.width || sy >= seen.height);
        const uint32_t pixel = seen.pixels[size_t(sy) * size_t(seen.width) + size_t(sx)];
        const bool card = ((pixel >> 16) & 0xFF) > 200 && ((pixel >> 8) & 0xFF) > 190;
        if (card) {
            ASSERT_TRUE(x.Click(512, kDialogButtonsY));
            // Gone before the next stroke.
            ASSERT_TRUE(x.WaitUpdates(150));
        }
    }

    // From the title: the play button, the name typed, the main menu, the opening letter read,
    // the tutorial question; each screen checked against its golden named with the suffix.
    void GreetNewPlayer(const std::string& name, const std::string& suffix) {
        ASSERT_TRUE(x.Click(512, 575));
        Expect("enter_name");
        ASSERT_TRUE(x.Type(name));
        if (!suffix.empty()) {
            // The whole name stands in the box; a digit is refused and the card says why.
            Expect("enter_name" + suffix);
            ASSERT_TRUE(x.Type("7"));
            Expect("enter_name_rule" + suffix);
        }
        ASSERT_TRUE(x.Key("Return"));
        Expect("main_menu" + suffix);
        ASSERT_TRUE(x.Click(512, 258));
        Expect("opening_letter" + suffix);
        ASSERT_TRUE(x.Click(512, 688));
        Expect("tutorial_question" + suffix);
    }

    void Expect(const std::string& name, int seconds = kHangSeconds, int settleMs = 1500,
                double allowedShare = kAllowedShare) {
        const std::string golden = SourcePath("tests/e2e/golden/" + name + ".png");
        const std::string scratch = mOut + "capture.xwd";
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        ScreenPicture seen;
        if (UpdatingGoldens()) {
            // Settled: two captures half a second apart nearly agree, after a first wait for the
            // screen's opening animation.
            std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
            ScreenPicture before = x.Capture(scratch);
            while (std::chrono::steady_clock::now() < end) {
                ASSERT_TRUE(x.GameRunning()) << "the game ended waiting for " << name << "\n"
                                             << ReadWholeFile(mLog);
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                seen = x.Capture(scratch);
                // A loaded machine can hold the screen before for longer than the settling
                // wait, and a still earlier screen is as settled as the one wanted.
                const bool stillBefore =
                    !mLastSettled.Empty() &&
                    ComparePictures(mLastSettled, seen).Share() <= allowedShare;
                if (ComparePictures(before, seen).Share() < 0.002 && !stillBefore) {
                    break;
                }
                before = seen;
            }
            mLastSettled = seen;
            ASSERT_TRUE(WritePicture(golden, seen)) << golden;
            WritePicture(mOut + name + ".png", seen);
            // The README's pictures are the window's own part of the same screens.
            if (name == "title" || name == "map" || name == "play_stroke") {
                WritePicture(SourcePath("docs/pictures/" + name + ".png"), WindowPart(seen));
            }
            return;
        }
        DecodedImage expectedImage;
        ASSERT_TRUE(ReadImageFile(golden, &expectedImage))
            << "no golden picture " << golden << " (P7_UPDATE_GOLDEN=1 makes it)";
        const ScreenPicture expected = FromDecoded(expectedImage);
        PictureDistance distance;
        do {
            ASSERT_TRUE(x.GameRunning())
                << "the game ended (status " << x.GameStatus() << ") waiting for " << name << "\n"
                << ReadWholeFile(mLog);
            seen = x.Capture(scratch);
            distance = ComparePictures(seen, expected);
            if (distance.Share() <= allowedShare) {
                WritePicture(mOut + name + ".png", seen);
                // A popup's last frames already match its golden while its overlay still takes
                // the clicks: a player's next click comes a moment of the game's time later.
                ASSERT_TRUE(x.WaitUpdates(25)) << ReadWholeFile(mLog);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        } while (std::chrono::steady_clock::now() < end);
        WritePicture(mOut + name + ".actual.png", seen);
        FAIL() << "the screen never showed " << name << ": " << distance.badBlocks << " of "
               << distance.blocks << " blocks differ from " << golden << "; it showed "
               << mOut + name + ".actual.png";
    }

    // Right after an action: the pictures the screen shows on its way from the screen of golden
    // from to the one of golden to, as an animated change does; the first is written as
    // name.png to look at. How many there are depends on the machine's load (a loaded machine
    // may draw none), so they are reported, not required; the headless tests check the
    // animation itself. Then the screen of to, as Expect checks it.
    void ExpectPassage(const std::string& from, const std::string& to, const std::string& name) {
        // Taken first and compared after, so that the pictures come as fast as they can.
        std::vector<ScreenPicture> pictures;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
        while (std::chrono::steady_clock::now() < end) {
            pictures.push_back(x.Capture(mOut + "capture.xwd"));
        }
        DecodedImage fromImage;
        DecodedImage toImage;
        ASSERT_TRUE(ReadImageFile(SourcePath("tests/e2e/golden/" + from + ".png"), &fromImage));
        ASSERT_TRUE(ReadImageFile(SourcePath("tests/e2e/golden/" + to + ".png"), &toImage));
        const ScreenPicture before = FromDecoded(fromImage);
        const ScreenPicture after = FromDecoded(toImage);
        int between = 0;
        for (const ScreenPicture& seen : pictures) {
            if (ComparePictures(seen, after).Share() > kAllowedShare &&
                ComparePictures(seen, before).Share() > kAllowedShare && between++ == 0) {
                WritePicture(mOut + name + ".png", seen);
            }
        }
        std::printf("[ xvfb ] %s: %d of %zu pictures between %s and %s\n", name.c_str(), between,
                    pictures.size(), from.c_str(), to.c_str());
        Expect(to);
    }

    // A rectangle of the game's design surface.
    struct DesignRect {
        int x;
        int y;
        int width;
        int height;
    };

    // The share of the rectangle's pixels whose colour differs between two pictures of the
    // screen by more than a rasteriser's rounding.
    double RegionChange(const ScreenPicture& a, const ScreenPicture& b, const DesignRect& r) const {
        int left = 0;
        int top = 0;
        x.DesignToScreen(r.x, r.y, &left, &top);
        int changed = 0;
        for (int y = top; y < top + r.height; ++y) {
            for (int px = left; px < left + r.width; ++px) {
                const size_t i = size_t(y) * size_t(a.width) + size_t(px);
                for (int shift : {0, 8, 16}) {
                    if (std::abs(int((a.pixels[i] >> shift) & 0xFF) -
                                 int((b.pixels[i] >> shift) & 0xFF)) > 12) {
                        ++changed;
                        break;
                    }
                }
            }
        }
        return double(changed) / (double(r.width) * r.height);
    }

    // How far a picture is from another outside the rectangle (ComparePictures' share).
    double ShareOutside(const ScreenPicture& seen, const ScreenPicture& settled,
                        const DesignRect& r) const {
        ScreenPicture masked = seen;
        int left = 0;
        int top = 0;
        x.DesignToScreen(r.x, r.y, &left, &top);
        for (int y = top; y < top + r.height; ++y) {
            for (int px = left; px < left + r.width; ++px) {
                const size_t i = size_t(y) * size_t(seen.width) + size_t(px);
                masked.pixels[i] = settled.pixels[i];
            }
        }
        return ComparePictures(masked, settled).Share();
    }

    // An effect seen while it runs: of the pictures taken while it ran, one that shows the
    // screen as it settles everywhere but in the effect's rectangle, where it differs. That one
    // is written as name.png to look at.
    void ExpectEffectSeen(const std::vector<ScreenPicture>& running, const ScreenPicture& settled,
                          const DesignRect& r, const std::string& name,
                          double allowedOutside = kAllowedShare) {
        const ScreenPicture* best = nullptr;
        double bestChange = 0.0;
        double bestOutside = 0.0;
        for (const ScreenPicture& seen : running) {
            const double outside = seen.width != settled.width || seen.height != settled.height
                                       ? 1.0
                                       : ShareOutside(seen, settled, r);
            if (outside > allowedOutside) {
                continue;
            }
            const double change = RegionChange(seen, settled, r);
            if (change > bestChange) {
                best = &seen;
                bestChange = change;
                bestOutside = outside;
            }
        }
        std::printf(
            "[ xvfb ] %s: %zu pictures while it ran; at most %.1f %% of its pixels changed, "
            "%.3f of the blocks outside differ\n",
            name.c_str(), running.size(), 100.0 * bestChange, bestOutside);
        if (best == nullptr) {
            for (size_t i = 0; i < running.size(); ++i) {
                WritePicture(mOut + name + ".seen" + std::to_string(i) + ".png", running[i]);
                std::printf("[ xvfb ] %s.seen%zu: %.3f of the blocks outside differ\n",
                            name.c_str(), i, ShareOutside(running[i], settled, r));
            }
            WritePicture(mOut + name + ".settled.png", settled);
        }
        ASSERT_NE(best, nullptr) << "no picture showed " << name
                                 << " with the rest of the screen settled; what was seen is in "
                                 << mOut;
        WritePicture(mOut + name + ".png", *best);
        WritePicture(mOut + name + ".settled.png", settled);
        EXPECT_GT(bestChange, 0.02) << name << " never changed its rectangle";
    }

    // The pictures of an effect held by the game (EffectHold) at its moment: the hold file was
    // made before the action that starts it. Waits for the game to say it holds the effect, then
    // takes pictures until the rest of the screen shows the settled golden picture (the effect
    // does not move meanwhile, however slow the machine), and lets the effect go on.
    std::vector<ScreenPicture> CaptureHeld(const std::string& effect, const std::string& golden,
                                           const DesignRect& r, double allowedOutside) {
        const std::string said = "\"" + effect + "\" held at";
        std::vector<ScreenPicture> pictures;
        DecodedImage goldenImage;
        EXPECT_TRUE(ReadImageFile(SourcePath("tests/e2e/golden/" + golden + ".png"), &goldenImage));
        const ScreenPicture settled = FromDecoded(goldenImage);
        // Only a hang limit: the game's own report and pictures end the waits.
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        bool held = false;
        while (!held && x.GameRunning() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            held = ReadWholeFile(mLog).find(said) != std::string::npos;
        }
        EXPECT_TRUE(held) << "the game never held " << effect << "\n" << ReadWholeFile(mLog);
        // Settled around the held effect: two pictures half a second of the game's time apart
        // agree outside the rectangle, and that agrees with the golden picture.
        while (held && x.GameRunning() && std::chrono::steady_clock::now() < end) {
            if (pictures.size() == 4) {
                pictures.erase(pictures.begin());
            }
            pictures.push_back(x.Capture(mOut + "capture.xwd"));
            const ScreenPicture& seen = pictures.back();
            if (pictures.size() >= 2 && seen.width == settled.width &&
                seen.width == pictures[pictures.size() - 2].width &&
                ShareOutside(seen, pictures[pictures.size() - 2], r) < 0.002 &&
                ShareOutside(seen, settled, r) <= allowedOutside) {
                break;
            }
            if (!x.WaitUpdates(50)) {
                break;
            }
        }
        std::filesystem::remove(mHoldFile);
        return pictures;
    }

    // The screen of the golden picture name once the game has run updates more of its time.
    ScreenPicture SettledAfter(int updates, const std::string& name, double allowedShare) {
        EXPECT_TRUE(x.WaitUpdates(updates)) << ReadWholeFile(mLog);
        Expect(name, kHangSeconds, 1500, allowedShare);
        return x.Capture(mOut + "capture.xwd");
    }

    // Holds what the test photographs (the splash, an effect) at its moment while the hold file
    // exists.
    void HoldEffects() { std::ofstream(mHoldFile).flush(); }

    // Polls the server's pointer picture until it satisfies done (a hang limit of two minutes);
    // false when it never did or could not be asked. The last one seen goes to out.
    bool WaitForPointer(const std::function<bool(const PointerPicture&)>& done,
                        PointerPicture* out) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        do {
            if (!x.CurrentPointer(out)) {
                return false;
            }
            if (done(*out)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    void StartGame() {
        mData = mOut + "data";
        mLog = mOut + "game.log";
        std::filesystem::create_directories(mData);
        ASSERT_TRUE(x.StartGame(
            P7_GAME_EXE, mData, mLog,
            {"P7_HOLD_EFFECTS=" + mHoldFile + " splash@" + std::to_string(kSplashHeldAt) +
             " ink_reveal@" + std::to_string(kInkHeldAt) + " sea_shimmer@" +
             std::to_string(kGlintsHeldAt)}));
    }
    std::string UserFile(const std::string& name) const {
        return mData + "/Pelnora Studio/Pelnora 7/" + name;
    }

    XSession x;
    std::string mOut;
    // The last picture taken as a golden, so the next one waits for its screen to go.
    ScreenPicture mLastSettled;
    std::string mData;
    std::string mLog;
    std::string mHoldFile;
};

TEST_F(RealWindowTest, xvfb_APlayerStartsPlaysAPuzzleAndQuits) {
    const PuzzleLayout layout = MeasurePuzzle();
    ASSERT_GT(layout.tile, 0) << "the puzzle's play screen did not open headless";
    ASSERT_FALSE(layout.solution.empty());

    // The splash shows for four seconds of the game's time: held until it has been seen.
    HoldEffects();
    StartGame();
    Expect("logo", kHangSeconds, 2500);
    std::filesystem::remove(mHoldFile);
    Expect("title", kHangSeconds, 12000);
    const double toTitle =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - x.GameStart()).count();
    std::printf("[ xvfb ] start to title: %.2f s\n", toTitle);
    // The arrow, as the game's window shows it away from every control.
    PointerPicture arrow;
    ASSERT_TRUE(x.MoveTo(5, 5));
    const bool canAskPointer = WaitForPointer([](const PointerPicture&) { return true; }, &arrow);

    // A first player: the play button asks for a name; then the opening letter, the tutorial
    // declined, the first set's puzzles.
    ASSERT_NO_FATAL_FAILURE(GreetNewPlayer("Ann", ""));
    ASSERT_TRUE(x.Click(646, kDialogButtonsY));
    Expect("puzzle_select");
    ASSERT_TRUE(x.Click(112, 171));
    Expect("level_intro");
    ASSERT_TRUE(x.Click(512, 658));
    Expect("play", kHangSeconds, 6000);

    // The player turns to another program: the game waits under its "paused" cover, clock and
    // all, and plays on once its window has the keyboard focus again.
    ASSERT_TRUE(x.FocusAway());
    Expect("play_paused");
    ASSERT_TRUE(x.FocusGame());
    Expect("play");

    // Over the board the pointer is the brush's picture, its hot spot where the script puts the
    // pointer; beside the board the arrow again.
    if (canAskPointer) {
        DecodedImage brush;
        ASSERT_TRUE(ReadImageFile(SourcePath("content/images/ipad/brush_cursor_ipad.png"), &brush));
        PointerPicture seen;
        ASSERT_TRUE(x.MoveTo(layout.x + layout.tile / 2.0, layout.y + layout.tile / 2.0));
        EXPECT_TRUE(
            WaitForPointer([&](const PointerPicture& p) { return p.width == brush.mWidth; }, &seen))
            << "the pointer over the board is " << seen.width << "x" << seen.height;
        EXPECT_EQ(seen.width, brush.mWidth);
        EXPECT_EQ(seen.height, brush.mHeight);
        // The hot spot on the bristle tips: a solid pixel of the picture.
        EXPECT_EQ(seen.hotX, 6);
        EXPECT_EQ(seen.hotY, 8);
        const size_t hot = static_cast<size_t>(seen.hotY * seen.width + seen.hotX);
        EXPECT_TRUE(hot < seen.pixels.size() && (seen.pixels[hot] >> 24) >= 128)
            << "the brush's hot spot is a clear pixel";
        int differ = 0;
        for (size_t i = 0; i < seen.pixels.size() && i < brush.mPixels.size(); ++i) {
            differ += std::abs(int(seen.pixels[i] >> 24) - int(brush.mPixels[i] >> 24)) > 1;
        }
        EXPECT_EQ(differ, 0) << "pixels of the pointer's outline differ from the brush's";
        ASSERT_TRUE(x.MoveTo(5, 5));
        EXPECT_TRUE(WaitForPointer([&](const PointerPicture& p) { return p == arrow; }, &seen))
            << "beside the board the pointer is " << seen.width << "x" << seen.height;
    } else {
        std::printf("[ xvfb ] the pointer's picture can't be asked of this server\n");
    }

    // Solved with strokes along the rows: each run of solid tiles in one stroke.
    struct Stroke {
        int a;
        int end;
        int b;
    };
    std::vector<Stroke> strokes;
    const int size = static_cast<int>(layout.solution.size());
    for (int b = 0; b < size; ++b) {
        for (int a = 0; a < size; ++a) {
            if (layout.solution[size_t(a)][size_t(b)] != PuzzleRecord::kSolid) {
                continue;
            }
            int end = a;
            while (end + 1 < size &&
                   layout.solution[size_t(end + 1)][size_t(b)] == PuzzleRecord::kSolid) {
                ++end;
            }
            strokes.push_back({a, end, b});
            a = end;
        }
    }
    auto centre = [&](int cell, float origin) { return origin + (cell + 0.5f) * layout.tile; };
    for (size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& s = strokes[i];
        if (i + 1 == strokes.size()) {
            HoldEffects();
        }
        ASSERT_TRUE(x.Drag(centre(s.a, layout.x), centre(s.b, layout.y), centre(s.end, layout.x),
                           centre(s.b, layout.y), 2 * (s.end - s.a) + 1));
        if (i + 1 == strokes.size()) {
            break;  // solved: the page comes at once
        }
        CloseNoticeIfShown();
        if (s.b == size / 2) {
            // Mid-solve, tiles still turning: a looser match.
            Expect("play_stroke", kHangSeconds, 1500, 0.08);
        }
    }
    // The solved picture shows through a blank sheet that soaks up ink and gives way to it; the
    // journal page's lines of this solve are written meanwhile (a looser match beside it).
    const DesignRect sheet{50, 164, 440, 440};
    const std::vector<ScreenPicture> inking =
        CaptureHeld("ink_reveal", "level_complete", sheet, 0.04);
    ASSERT_NO_FATAL_FAILURE(ExpectEffectSeen(
        inking, SettledAfter(150, "level_complete", kAllowedShare), sheet, "ink_reveal", 0.04));
    Expect("level_complete");
    ASSERT_TRUE(x.Click(760, 618));
    Expect("puzzle_select_next");
    HoldEffects();
    ASSERT_TRUE(x.Click(240, 718));
    // The sea's glints run for a few seconds after the map shows, then the map is still.
    const DesignRect glints{612, 672, 176, 80};
    const std::vector<ScreenPicture> glinting =
        CaptureHeld("sea_shimmer", "map", glints, kAllowedShare);
    ASSERT_NO_FATAL_FAILURE(
        ExpectEffectSeen(glinting, SettledAfter(450, "map", kAllowedShare), glints, "map_glints"));
    ASSERT_TRUE(x.Click(160, 748));
    Expect("main_menu_again");
    // The credits, once their small movie on the wall has played through to its last frame,
    // and back.
    ASSERT_TRUE(x.Click(512, 538));
    Expect("credits", kHangSeconds, 5000);
    ASSERT_TRUE(x.Click(512, 690));
    Expect("main_menu_again");
    // The options card drops in over the menu as the shade darkens.
    ASSERT_TRUE(x.Click(512, 398));
    ExpectPassage("main_menu_again", "options", "options_opening");

    // The options close; quitting asks first, then the game ends cleanly and has saved.
    ASSERT_TRUE(x.Click(646, 582));
    Expect("main_menu_again");
    ASSERT_TRUE(x.Click(512, 608));
    Expect("confirm_quit");
    ASSERT_TRUE(x.Click(376, kDialogButtonsY));
    ASSERT_TRUE(x.WaitGameExit(60)) << "the game did not end after the quit confirmation";
    EXPECT_EQ(x.GameStatus(), 0) << ReadWholeFile(mLog);
    const std::string profiles = ReadWholeFile(UserFile("profiles.xml"));
    EXPECT_NE(profiles.find("name=\"Ann\""), std::string::npos) << profiles;
    EXPECT_NE(profiles.find("completed"), std::string::npos) << profiles;
}

// A returning player opens the harbour's first 10 x 10 puzzle from its set and solves it: on the
// level-complete page the picture, drawn at the board's smaller cells, is scaled to its sheet
// inside the frame, and the ink reveal eats that sheet away.
TEST_F(RealWindowTest, xvfb_ATenByTenPictureFillsItsFrameOnTheCompletePage) {
    constexpr int kTenByTen = 4;
    auto harbourOpen = [](PlayerState& state) {
        PastTheTutorial(state);
        // The first lit lantern and the first slip explain themselves once: met before.
        state.mSeenHint = true;
        state.mMadeMistake = true;
        for (PuzzleProgress& puzzle : state.mProgress[0][0].mPuzzles) {
            puzzle.mCompleted = true;
        }
        state.mProgress[0][0].mIntroduced = true;
        state.mProgress[0][0].mUnlock = static_cast<int>(state.mProgress[0][0].mPuzzles.size());
        SetProgress& harbour = state.mProgress[0][kSet];
        harbour.mIntroduced = true;
        harbour.mUnlock = kTenByTen + 1;
        for (int p = 0; p < kTenByTen; ++p) {
            harbour.mPuzzles[size_t(p)].mCompleted = true;
        }
        state.mCurrentCountry = kSet;
    };
    const PuzzleLayout layout = MeasurePuzzle(kSet, kTenByTen, harbourOpen);
    ASSERT_EQ(layout.solution.size(), 10u) << "the harbour's fifth puzzle is not 10 x 10";
    // Where the set's page shows the puzzle's button, learnt headless as well.
    FPoint button;
    {
        GameSession session(MakeProfilesXml("Ann", harbourOpen));
        ASSERT_TRUE(session.Start());
        OpenSetLoading(-1);
        PuzzleSelectMenu* select = nullptr;
        ASSERT_TRUE(session.StepUntil([&] {
            select = session.FindMenu<PuzzleSelectMenu>();
            return select != nullptr && select->GetEntryButton(kTenByTen) != nullptr;
        }));
        const Widget* entry = select->GetEntryButton(kTenByTen);
        button = entry->LocalToGlobal();
        button.mX += float(entry->mWidth) * 0.5f;
        button.mY += float(entry->mHeight) * 0.5f;
    }

    mData = mOut + "data";
    std::filesystem::create_directories(mData + "/Pelnora Studio/Pelnora 7");
    std::ofstream(UserFile("profiles.xml"), std::ios::binary)
        << MakeProfilesXml("Ann", harbourOpen);
    StartGame();
    Expect("title", kHangSeconds, 12000);
    ASSERT_TRUE(x.Click(512, 575));
    Expect("main_menu_returning");
    ASSERT_TRUE(x.Click(512, 258));
    Expect("puzzle_select_harbour");
    ASSERT_TRUE(x.Click(button.mX, button.mY));
    Expect("play_ten_by_ten", kHangSeconds, 6000);
    const int size = static_cast<int>(layout.solution.size());
    auto centre = [&](int cell, float origin) { return origin + (cell + 0.5f) * layout.tile; };
    HoldEffects();  // the ink comes only after the last stroke
    for (int b = 0; b < size; ++b) {
        int a = 0;
        while (a < size) {
            if (layout.solution[size_t(a)][size_t(b)] != PuzzleRecord::kSolid) {
                ++a;
                continue;
            }
            const int start = a;
            while (a + 1 < size &&
                   layout.solution[size_t(a + 1)][size_t(b)] == PuzzleRecord::kSolid) {
                ++a;
            }
            ASSERT_TRUE(x.Drag(centre(start, layout.x), centre(b, layout.y), centre(a, layout.x),
                               centre(b, layout.y), 2 * (a - start) + 1));
            ++a;
        }
    }
    const DesignRect sheet{50, 164, 440, 440};
    const std::vector<ScreenPicture> inking =
        CaptureHeld("ink_reveal", "level_complete_ten_by_ten", sheet, 0.04);
    ASSERT_NO_FATAL_FAILURE(
        ExpectEffectSeen(inking, SettledAfter(150, "level_complete_ten_by_ten", kAllowedShare),
                         sheet, "ink_reveal", 0.04));
}

// A new player with the longest name a player can type: the greeting and the opening letter
// hold their layout; the tutorial's first board flashes the cells its tip asks for while the tip
// shows, and takes the stroke at once, tip still open, without a word of reproach.
TEST_F(RealWindowTest, xvfb_ANewPlayerWithTheLongestNameFollowsTheFirstTip) {
    StartGame();
    Expect("title", kHangSeconds, 12000);
    ASSERT_NO_FATAL_FAILURE(GreetNewPlayer("WWWWWWWWWW", "_long_name"));
    ASSERT_TRUE(x.Click(376, kDialogButtonsY));
    Expect("tutorial_brush_intro");
    ASSERT_TRUE(x.Click(512, 634));
    Expect("tutorial_first_tip", kHangSeconds, 6000);
    // The tip's OK button stands right of its text, level with it.
    ASSERT_TRUE(x.Click(851, 45));
    // The pointer rests beside the board, so that no cell shows the hover instead of the flash.
    ASSERT_TRUE(x.MoveTo(950, 700));
    Expect("tutorial_tip_flashing");
    // The tiles start at (487, 239), 80 pixels a side: the top row, as the tip says.
    ASSERT_TRUE(x.Drag(527, 279, 847, 279, 9));
    ASSERT_TRUE(x.MoveTo(950, 700));
    Expect("tutorial_next_tip");
}

// Full screen on a screen of another shape: the picture should scale to the screen's height
// with bars at the sides and the pointer map back onto the game.
// The mouse speed chosen is half the desktop's own: in the window the pointer goes as far as the
// mouse moves it; in full screen half as far, while a pointer sent somewhere (each of the
// test's clicks places the pointer) lands where it was sent.
TEST_F(RealWindowTest, xvfb_FullScreenScalesThePictureAndMapsThePointer) {
    mData = mOut + "data";
    std::filesystem::create_directories(UserFile(""));
    std::ofstream(UserFile("settings.xml")) << "<settings mouse-speed=\"5\"/>\n";
    StartGame();
    Expect("title", kHangSeconds, 12000);
    ASSERT_TRUE(x.Click(512, 575));
    Expect("enter_name");
    ASSERT_TRUE(x.Type("Ann"));
    ASSERT_TRUE(x.Key("Return"));
    Expect("main_menu");
    const std::string scratch = mOut + "pointer.txt";
    // Where the pointer stands after it was sent to a design point, and how far a mouse move
    // of (80, 40) then takes it.
    const auto sendAndMove = [&](double dx, double dy, int* landX, int* landY, int* gotX,
                                 int* gotY) {
        // Each move is seen by the server at once; the game takes it in its own time.
        ASSERT_TRUE(x.MoveTo(dx, dy));
        ASSERT_TRUE(x.WaitUpdates(10));
        ASSERT_TRUE(x.PointerAt(scratch, landX, landY));
        ASSERT_TRUE(x.MoveBy(80, 40));
        ASSERT_TRUE(x.WaitUpdates(10));
        int x1 = 0;
        int y1 = 0;
        ASSERT_TRUE(x.PointerAt(scratch, &x1, &y1));
        *gotX = x1 - *landX;
        *gotY = y1 - *landY;
    };
    int sentX = 0;
    int sentY = 0;
    int landX = 0;
    int landY = 0;
    int movedX = 0;
    int movedY = 0;
    ASSERT_NO_FATAL_FAILURE(sendAndMove(400, 300, &landX, &landY, &movedX, &movedY));
    std::printf("[ xvfb ] in the window a mouse move of (80, 40) went (%d, %d)\n", movedX, movedY);
    EXPECT_EQ(movedX, 80);
    EXPECT_EQ(movedY, 40);
    ASSERT_TRUE(x.Click(512, 398));
    Expect("options");
    ASSERT_TRUE(x.Click(290, 346));
    x.SetFullScreen(true);
    Expect("options_full_screen", kHangSeconds, 3000);
    ASSERT_TRUE(x.Click(646, 582));
    Expect("main_menu_full_screen");
    ASSERT_NO_FATAL_FAILURE(sendAndMove(400, 300, &landX, &landY, &movedX, &movedY));
    x.DesignToScreen(400, 300, &sentX, &sentY);
    std::printf(
        "[ xvfb ] full screen: sent to (%d, %d), landed at (%d, %d); a mouse move of "
        "(80, 40) went (%d, %d)\n",
        sentX, sentY, landX, landY, movedX, movedY);
    EXPECT_EQ(landX, sentX);
    EXPECT_EQ(landY, sentY);
    EXPECT_NEAR(movedX, 40, 1);
    EXPECT_NEAR(movedY, 20, 1);
    ASSERT_TRUE(x.Click(512, 608));
    Expect("confirm_quit_full_screen");
    ASSERT_TRUE(x.Click(376, kDialogButtonsY));
    ASSERT_TRUE(x.WaitGameExit(60));
    EXPECT_NE(ReadWholeFile(UserFile("settings.xml")).find("windowed=\"false\""),
              std::string::npos);
}

// The mouse speed at 5 of 20 (half the desktop's own) has no slider in a window, so it does not
// apply there: over the game's window the pointer goes as far as beside it, and as far after
// the game was killed.
TEST_F(RealWindowTest, xvfb_InAWindowTheMouseSpeedLeavesThePointerAtTheDesktopsSpeed) {
    mData = mOut + "data";
    std::filesystem::create_directories(UserFile(""));
    std::ofstream(UserFile("settings.xml")) << "<settings mouse-speed=\"5\"/>\n";
    StartGame();
    Expect("title", kHangSeconds, 12000);
    const std::string scratch = mOut + "pointer.txt";
    // How far a move of the mouse by (80, 40) takes the pointer from a design point.
    const auto moveFrom = [&](double dx, double dy, int* gotX, int* gotY) {
        ASSERT_TRUE(x.MoveTo(dx, dy));
        ASSERT_TRUE(!x.GameRunning() || x.WaitUpdates(10));
        int x0 = 0;
        int y0 = 0;
        ASSERT_TRUE(x.PointerAt(scratch, &x0, &y0));
        ASSERT_TRUE(x.MoveBy(80, 40));
        ASSERT_TRUE(!x.GameRunning() || x.WaitUpdates(10));
        int x1 = 0;
        int y1 = 0;
        ASSERT_TRUE(x.PointerAt(scratch, &x1, &y1));
        *gotX = x1 - x0;
        *gotY = y1 - y0;
    };
    int besideX = 0;
    int besideY = 0;
    ASSERT_NO_FATAL_FAILURE(moveFrom(-200, 300, &besideX, &besideY));  // left of the window
    ASSERT_GT(besideX, 20);
    int overX = 0;
    int overY = 0;
    ASSERT_NO_FATAL_FAILURE(moveFrom(400, 300, &overX, &overY));
    std::printf("[ xvfb ] a mouse move of (80, 40): (%d, %d) beside the window, (%d, %d) over it\n",
                besideX, besideY, overX, overY);
    EXPECT_EQ(overX, besideX);
    EXPECT_EQ(overY, besideY);

    // However the game ends, the desktop's pointer keeps its own speed.
    ::kill(x.GamePid(), SIGKILL);
    ASSERT_TRUE(x.WaitGameExit(30));
    int afterX = 0;
    int afterY = 0;
    ASSERT_NO_FATAL_FAILURE(moveFrom(400, 300, &afterX, &afterY));
    EXPECT_EQ(afterX, besideX);
    EXPECT_EQ(afterY, besideY);
}

}  // namespace

#endif
