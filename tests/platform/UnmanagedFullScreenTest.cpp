// Full screen on an X server without a window manager (Xvfb, 1600 x 900): nobody answers SDL's
// full-screen request there, yet the viewport and the pointer mapping are worked out for a
// screen-sized window, so the real X window has to cover the screen, and has to come back to the
// design size, centred, when play goes windowed again. Checked against the X server's own
// account of the window, with the pointer moved from outside.
//
// The raw pointer motion of the desktop is subscribed to only while the game reads it, which it
// does while the mouse speed is scaled: Xvfb makes no raw motion, so the connection is a model.
//
// Needs Xvfb and xdotool; without them the tests are skipped.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "../e2e/XSession.h"
#include "RecordingSink.h"
#include "platform/RawMotionConnection.h"
#include "platform/SdlPlatform.h"

// Last: it brings Xlib, whose macros (None, True, Success...) nothing above should see.
#include <SDL_syswm.h>

#if defined(P7_HAVE_X11) && defined(SDL_VIDEO_DRIVER_X11)

namespace {

constexpr int kDesignWidth = 1024;
constexpr int kDesignHeight = 768;

// Sets an environment variable for a scope, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : mName(name) {
        if (const char* old = std::getenv(name)) {
            mOld = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (mOld) {
            setenv(mName, mOld->c_str(), 1);
        } else {
            unsetenv(mName);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    std::optional<std::string> mOld;
};

// Where the X server has the window on its screen, whatever SDL believes.
PlatformRect ServerPlace(const SdlPlatform& platform) {
    PlatformRect place;
    auto* window = static_cast<SDL_Window*>(platform.GetNativeWindow());
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return place;
    }
    Display* display = info.info.x11.display;
    XSync(display, False);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, info.info.x11.window, &attributes);
    Window child = 0;
    XTranslateCoordinates(display, info.info.x11.window, attributes.root, 0, 0, &place.x, &place.y,
                          &child);
    place.width = attributes.width;
    place.height = attributes.height;
    return place;
}

// A model of the desktop's raw motion: the server sends every movement to each subscribed
// connection, where it waits until read or until the connection closes.
struct RawMotionDesktop {
    int subscribed = 0;
    int unread = 0;
    void Move() { unread += subscribed; }
};

class FakeRawMotionConnection : public RawMotionConnection {
public:
    explicit FakeRawMotionConnection(RawMotionDesktop* desktop) : mDesktop(desktop) {
        ++mDesktop->subscribed;
    }
    ~FakeRawMotionConnection() override {
        --mDesktop->subscribed;
        mDesktop->unread = 0;
    }
    FakeRawMotionConnection(const FakeRawMotionConnection&) = delete;
    FakeRawMotionConnection& operator=(const FakeRawMotionConnection&) = delete;
    bool TakeDeviceMotion() override {
        const bool moved = mDesktop->unread > 0;
        mDesktop->unread = 0;
        return moved;
    }

private:
    RawMotionDesktop* mDesktop;
};

std::string Text(const PlatformRect& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
           "+" + std::to_string(r.y);
}

class UnmanagedFullScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool"}) {
            if (FindProgram(program).empty()) {
                GTEST_SKIP() << program << " is not installed (Debian packages xvfb, xdotool)";
            }
        }
        std::string error;
        ASSERT_TRUE(mX.StartServer(&error)) << error;
        mDisplay.emplace("DISPLAY", mX.Display());
        mDriver.emplace("SDL_VIDEODRIVER", "x11");
    }

    // Lets SDL take in what the server reported (configure and pointer events): at least ten
    // rounds, then until SDL has the window at the size the server has it (a minute only
    // catches a hang), however late a loaded machine brings the events.
    static void Settle(SdlPlatform& platform, RecordingSink& sink) {
        auto* window = static_cast<SDL_Window*>(platform.GetNativeWindow());
        for (int i = 0; i < 3000; ++i) {
            platform.WaitForEvents(20);
            platform.PumpEvents(sink);
            int width = 0;
            int height = 0;
            SDL_GetWindowSize(window, &width, &height);
            const PlatformRect place = ServerPlace(platform);
            if (i >= 9 && place.width == width && place.height == height) {
                return;
            }
        }
    }

    // Opens the window full screen, keeping the aspect, and shows it.
    static void OpenFullScreen(SdlPlatform& platform, RecordingSink& sink) {
        std::string error;
        ASSERT_TRUE(platform.OpenWindow("test", kDesignWidth, kDesignHeight, false, false, &error))
            << error;
        platform.ShowWindow(true);
        Settle(platform, sink);
    }

    // Moves the pointer to a screen point and answers where the window saw it, or "none".
    std::string PointerSeenAt(SdlPlatform& platform, int x, int y) {
        RecordingSink sink;
        if (mX.RunClient("xdotool",
                         {"mousemove", "--sync", std::to_string(x), std::to_string(y)}) != 0) {
            return "xdotool failed";
        }
        std::string seen = "none";
        // The server has moved the pointer (--sync); the event comes when it comes.
        for (int i = 0; i < 3000 && seen == "none"; ++i) {
            platform.WaitForEvents(20);
            platform.PumpEvents(sink);
            for (const std::string& call : sink.calls) {
                if (call.rfind("move ", 0) == 0) {
                    seen = call.substr(5);
                }
            }
        }
        return seen;
    }

    XSession mX;
    std::optional<ScopedEnv> mDisplay;
    std::optional<ScopedEnv> mDriver;
};

TEST_F(UnmanagedFullScreenTest, SwitchingToFullScreenCoversTheScreenAndBackRestoresTheWindow) {
    SdlPlatform platform;
    RecordingSink sink;
    std::string error;
    ASSERT_TRUE(platform.OpenWindow("test", kDesignWidth, kDesignHeight, true, false, &error))
        << error;
    platform.ShowWindow(true);
    Settle(platform, sink);
    EXPECT_EQ(Text(ServerPlace(platform)), "1024x768+288+66");
    EXPECT_EQ(Text(platform.GetViewport()), "1024x768+0+0");

    // Full screen keeping the aspect: bars of 200 pixels left and right.
    ASSERT_TRUE(platform.SetDisplayMode(false, false));
    Settle(platform, sink);
    EXPECT_EQ(Text(ServerPlace(platform)), "1600x900+0+0");
    const PlatformRect view = platform.GetViewport();
    EXPECT_EQ(Text(view), "1200x900+200+0");
    // A screen point is the same window point, and through the viewport the design point a
    // third of the way across and down. (Not the screen's centre: the pointer starts there, and
    // a move to where it already is never reports.)
    EXPECT_EQ(PointerSeenAt(platform, 500, 300), "500 300");
    EXPECT_EQ((500 - view.x) * kDesignWidth / view.width, 256);
    EXPECT_EQ((300 - view.y) * kDesignHeight / view.height, 256);
    // A point on the left bar reaches the window too (left of the picture, not of the window).
    EXPECT_EQ(PointerSeenAt(platform, 100, 300), "100 300");

    // Stretched: the whole screen.
    ASSERT_TRUE(platform.SetDisplayMode(false, true));
    Settle(platform, sink);
    EXPECT_EQ(Text(ServerPlace(platform)), "1600x900+0+0");
    EXPECT_EQ(Text(platform.GetViewport()), "1600x900+0+0");

    // Windowed again: the design size, centred, and the pointer in window coordinates.
    ASSERT_TRUE(platform.SetDisplayMode(true, false));
    Settle(platform, sink);
    EXPECT_EQ(Text(ServerPlace(platform)), "1024x768+288+66");
    EXPECT_EQ(Text(platform.GetViewport()), "1024x768+0+0");
    EXPECT_EQ(PointerSeenAt(platform, 600, 350), "312 284");
}

TEST_F(UnmanagedFullScreenTest, AWindowOpenedFullScreenCoversTheScreenOnceShown) {
    SdlPlatform platform;
    RecordingSink sink;
    ASSERT_NO_FATAL_FAILURE(OpenFullScreen(platform, sink));
    EXPECT_EQ(Text(ServerPlace(platform)), "1600x900+0+0");
    EXPECT_EQ(Text(platform.GetViewport()), "1200x900+200+0");
    EXPECT_EQ(PointerSeenAt(platform, 1500, 800), "1500 800");

    ASSERT_TRUE(platform.SetDisplayMode(true, false));
    Settle(platform, sink);
    EXPECT_EQ(Text(ServerPlace(platform)), "1024x768+288+66");
}

TEST_F(UnmanagedFullScreenTest, RawMotionIsSubscribedToOnlyWhileTheSpeedIsScaled) {
    RawMotionDesktop desktop;
    SdlPlatform platform(
        [&desktop] { return std::make_unique<FakeRawMotionConnection>(&desktop); });
    RecordingSink sink;
    ASSERT_NO_FATAL_FAILURE(OpenFullScreen(platform, sink));
    EXPECT_EQ(desktop.subscribed, 0) << "at the desktop's own speed";
    // The raw motion left waiting after a few movements, each followed by a batch of events.
    const auto unreadAfterMoves = [&](int moves) {
        for (int i = 0; i < moves; ++i) {
            desktop.Move();
            platform.PumpEvents(sink);
        }
        return desktop.unread;
    };

    // Full screen at a slowed speed: subscribed, and read with each batch of events.
    platform.SetMouseSpeed(5);
    EXPECT_EQ(desktop.subscribed, 1);
    EXPECT_EQ(unreadAfterMoves(2), 0);

    // Back at the normal speed (a window always has it): nothing waits unread.
    platform.SetMouseSpeed(10);
    EXPECT_EQ(unreadAfterMoves(3), 0) << "raw motion piles up at the normal speed";

    // Slowed again: subscribed once more.
    platform.SetMouseSpeed(3);
    EXPECT_EQ(desktop.subscribed, 1);
    EXPECT_EQ(unreadAfterMoves(1), 0);

    // No window reads it once the window is closed.
    platform.CloseWindow();
    EXPECT_EQ(unreadAfterMoves(1), 0) << "raw motion piles up without a window";
}

}  // namespace

#endif
