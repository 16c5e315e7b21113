#include "platform/SdlPlatform.h"

#include <GL/gl.h>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "core/util/Log.h"
#include "platform/KeyCodes.h"
#include "platform/QuitSignal.h"
#include "platform/SessionBus.h"
#include "platform/UnmanagedFullScreen.h"

namespace {

// Drivers that have no screen a player could see a message box on.
bool IsHeadlessDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        driver = std::getenv("SDL_VIDEODRIVER");
    }
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Ends the processes that the thread tid started (through /proc's list of a thread's children);
// false when it has none (yet).
bool EndChildrenOf(pid_t tid) {
    std::ifstream list("/proc/self/task/" + std::to_string(tid) + "/children");
    bool ended = false;
    for (pid_t child = 0; list >> child;) {
        ended = ::kill(child, SIGKILL) == 0 || ended;
    }
    return ended;
}

// SDL shows an X11 box from a child process it forks and waits for, and its wait goes on through
// every signal: the box would keep the game from quitting. It is shown from a thread of its own
// while this one watches for the quit signal, which ends the box's process and so the box.
bool ShowBoxUntilQuit(const std::string& caption, const std::string& text, SDL_Window* parent) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        pid_t tid = 0;
        bool done = false;
        bool shown = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread box([shared, caption, text, parent] {
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->tid = static_cast<pid_t>(::syscall(SYS_gettid));
        }
        const bool shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(),
                                                    text.c_str(), parent) == 0;
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->done = true;
        shared->shown = shown;
        shared->changed.notify_all();
    });
    std::unique_lock<std::mutex> lock(shared->mutex);
    bool quit = false;
    while (!shared->done) {
        // The signal handler can only set a flag: it is looked at a few times a second.
        shared->changed.wait_for(lock, std::chrono::milliseconds(50));
        if (!shared->done && QuitSignalReceived() && shared->tid != 0) {
            quit = true;
            const pid_t tid = shared->tid;
            lock.unlock();
            EndChildrenOf(tid);
            lock.lock();
        }
    }
    const bool shown = shared->shown || quit;
    lock.unlock();
    box.join();
    return shown;
}

// True when SDL settled on a driver without a screen that nobody asked for: with no display it
// falls back to its offscreen driver, and the game would run on with no window at all.
bool FellBackToHeadless(std::string* driverName) {
    const char* chosen = SDL_GetCurrentVideoDriver();
    if (chosen == nullptr ||
        (std::strcmp(chosen, "offscreen") != 0 && std::strcmp(chosen, "dummy") != 0)) {
        return false;
    }
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    *driverName = chosen;
    return asked == nullptr || std::strstr(asked, chosen) == nullptr;
}

// Mesa's software rasteriser starts a thread per processor and wakes them all for every frame,
// however little it changed; a puzzle's frames are small, so two threads do the work with far
// fewer wake-ups and switches. Only that driver reads the variable, and it reads it when the GL
// library starts, so it is settled before the window is made; a player's own setting stands.
void LimitSoftwareRasteriserThreads() {
    setenv("LP_NUM_THREADS", "2", 0);
}

}  // namespace

SdlPlatform::SdlPlatform(RawPointerMotion::Opener rawMotion) : mRawMotion(std::move(rawMotion)) {}

SdlPlatform::~SdlPlatform() {
    CloseWindow();
    for (SDL_Cursor*& c : mSystemCursors) {
        if (c != nullptr) {
            SDL_FreeCursor(c);
            c = nullptr;
        }
    }
    if (mVideoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
}

bool SdlPlatform::OpenWindow(const std::string& title, int designWidth, int designHeight,
                             bool windowed, bool stretch, std::string* error) {
    if (!mVideoStarted) {
        LimitSoftwareRasteriserThreads();
        // The application handles SIGINT and SIGTERM itself (a clean quit that saves).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SettleSessionBusAddress();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            if (error != nullptr) {
                *error = std::string("Can't start the video system: ") + SDL_GetError();
            }
            return false;
        }
        std::string fallback;
        if (FellBackToHeadless(&fallback)) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            if (error != nullptr) {
                *error =
                    "Can't start the video system: no display could be opened (SDL offered "
                    "only its \"" +
                    fallback + "\" driver).";
            }
            return false;
        }
        mVideoStarted = true;
    }
    mDesignWidth = designWidth;
    mDesignHeight = designHeight;
    mWindowed = windowed;
    mStretch = stretch;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!windowed) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    mWindow = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               designWidth, designHeight, flags);
    if (mWindow == nullptr) {
        if (error != nullptr) {
            *error = std::string("Can't open the game window: ") + SDL_GetError();
        }
        return false;
    }
    // Shown before the GL context is made (the driver's set-up takes longer than the window),
    // at its final size: created hidden only so that a full screen without a window manager is
    // covered before it is first seen.
    SDL_ShowWindow(mWindow);
    if (!windowed) {
        CoverScreenIfUnmanaged();
    }
    mContext = SDL_GL_CreateContext(mWindow);
    if (mContext == nullptr) {
        if (error != nullptr) {
            *error = std::string("Can't create an OpenGL 3.3 core context: ") + SDL_GetError();
        }
        SDL_DestroyWindow(mWindow);
        mWindow = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(mWindow, mContext);
    SDL_GL_SetSwapInterval(0);
    mVSync = false;
    mBackKept = false;
    mSubBuffer.Find();
    ApplyCursor();
    ApplyMouseSpeed();
    return true;
}

void SdlPlatform::CloseWindow() {
    // Nothing reads the raw motion without a window; opening one applies the speed again.
    mRawMotion.SetWanted(false);
    if (mImageCursor != nullptr) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(mImageCursor);
        mImageCursor = nullptr;
    }
    mBackKept = false;
    if (mContext != nullptr) {
        SDL_GL_DeleteContext(mContext);
        mContext = nullptr;
    }
    if (mWindow != nullptr) {
        SDL_DestroyWindow(mWindow);
        mWindow = nullptr;
    }
}

void SdlPlatform::ShowWindow(bool show) {
    if (mWindow == nullptr) {
        return;
    }
    if (show) {
        SDL_ShowWindow(mWindow);
        if (!mWindowed) {
            CoverScreenIfUnmanaged();
        }
        SDL_RaiseWindow(mWindow);
    } else {
        SDL_HideWindow(mWindow);
    }
}

void SdlPlatform::SetTitle(const std::string& title) {
    if (mWindow != nullptr) {
        SDL_SetWindowTitle(mWindow, title.c_str());
    }
}

bool SdlPlatform::SetDisplayMode(bool windowed, bool stretch) {
    mStretch = stretch;
    mBackKept = false;
    if (mWindow == nullptr) {
        mWindowed = windowed;
        return true;
    }
    if (windowed != mWindowed) {
        if (SDL_SetWindowFullscreen(mWindow, windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            return false;
        }
        if (windowed) {
            SDL_SetWindowSize(mWindow, mDesignWidth, mDesignHeight);
            SDL_SetWindowPosition(mWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        } else {
            CoverScreenIfUnmanaged();
        }
        mWindowed = windowed;
    }
    return true;
}

void SdlPlatform::CoverScreenIfUnmanaged() {
    // SDL already counts the window as screen-sized; the viewport and the pointer mapping follow
    // that count, so the real window has to match it.
    if (!LacksFullScreenManager(mWindow)) {
        return;
    }
    const int display = SDL_GetWindowDisplayIndex(mWindow);
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) {
        PlaceUnmanagedWindow(mWindow, bounds.x, bounds.y, bounds.w, bounds.h);
    }
}

PlatformRect SdlPlatform::FitDesign(int width, int height) const {
    if (mStretch) {
        return PlatformRect{0, 0, width, height};
    }
    return FitDesignShape(width, height, mDesignWidth, mDesignHeight);
}

PlatformRect SdlPlatform::GetViewport() const {
    if (mWindow == nullptr) {
        return PlatformRect{0, 0, mDesignWidth, mDesignHeight};
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(mWindow, &w, &h);
    return FitDesign(w, h);
}

bool SdlPlatform::GetDesktopSize(int* width, int* height) const {
    SDL_DisplayMode mode;
    const int display = mWindow != nullptr ? SDL_GetWindowDisplayIndex(mWindow) : 0;
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) != 0 || mode.w <= 0) {
        return false;
    }
    *width = mode.w;
    *height = mode.h;
    return true;
}

void SdlPlatform::SetVSync(bool on) {
    mVSync = on;
    if (mContext != nullptr) {
        SDL_GL_SetSwapInterval(on ? 1 : 0);
    }
}

void SdlPlatform::PumpEvents(PlatformEventSink& sink) {
    const bool scaled = mPointerScaled && mWindow != nullptr;
    if (scaled) {
        // The pointer may be put anywhere on its display, so that it can leave the window.
        const int display = SDL_GetWindowDisplayIndex(mWindow);
        SDL_Rect bounds;
        int wx = 0;
        int wy = 0;
        SDL_GetWindowPosition(mWindow, &wx, &wy);
        if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) {
            mPointer.SetBounds(PlatformRect{bounds.x - wx, bounds.y - wy, bounds.w, bounds.h});
        }
    }
    bool fromDevice = true;
    if (scaled && mRawMotion.IsOpen()) {
        // The window's events first, then the raw motion behind them. A device's raw motion
        // may be read a batch before the window's report of it, so the batch before counts too.
        SDL_PumpEvents();
        const bool moved = mRawMotion.TakeDeviceMotion();
        fromDevice = moved || mDeviceMovedBefore;
        mDeviceMovedBefore = moved;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (scaled) {
            ScalePointer(&event, fromDevice);
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED &&
            KeepsLastFrame()) {
            // The server lost what the window showed; the back buffer still holds it all.
            int w = 0;
            int h = 0;
            SDL_GL_GetDrawableSize(mWindow, &w, &h);
            mSubBuffer.Copy(0, 0, w, h);
        }
        mTranslator.Translate(event, sink);
    }
    int x = 0;
    int y = 0;
    // Once per batch: the movements still queued were measured before any placing.
    if (scaled && mPointer.TakeWarp(&x, &y)) {
        SDL_WarpMouseInWindow(mWindow, x, y);
    }
}

void SdlPlatform::ScalePointer(SDL_Event* event, bool fromDevice) {
    switch (event->type) {
        case SDL_MOUSEMOTION:
            // Over the window of another program's turn the pointer is the desktop's.
            if (mPointerFocus) {
                mPointer.Map(&event->motion.x, &event->motion.y, fromDevice);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            // A press or release stands where the last movement left the pointer.
            if (mPointerFocus) {
                mPointer.Map(&event->button.x, &event->button.y);
            }
            break;
        case SDL_WINDOWEVENT:
            if (event->window.event == SDL_WINDOWEVENT_ENTER ||
                event->window.event == SDL_WINDOWEVENT_LEAVE ||
                event->window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                mPointer.Reset();
                if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                    mPointerFocus = false;
                } else if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    mPointerFocus = true;
                }
            }
            break;
        default:
            break;
    }
}

void SdlPlatform::SetMouseSpeed(int speed) {
    mPointer.SetSpeed(speed);
    ApplyMouseSpeed();
}

bool SdlPlatform::CanPlacePointer() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

void SdlPlatform::ApplyMouseSpeed() {
    if (!mVideoStarted) {
        return;  // applied when the window opens
    }
    mPointerScaled = mPointer.IsScaling() && CanPlacePointer();
    // Read only while scaling: closed meanwhile, so that the desktop's raw motion is not sent to
    // the game unread.
    mRawMotion.SetWanted(mPointerScaled);
    if (mPointer.IsScaling() && !mPointerScaled && !mSpeedRefusalLogged) {
        mSpeedRefusalLogged = true;
        const char* driver = SDL_GetCurrentVideoDriver();
        LogWarning(
            "The mouse speed %d is not applied: the \"%s\" video driver does not let the "
            "game place the pointer, so it moves at the desktop's own speed.",
            mPointer.GetSpeed(), driver != nullptr ? driver : "?");
    }
}

bool SdlPlatform::WaitForEvents(int timeoutMs) {
    if (mWindow == nullptr) {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr ||
        (std::strcmp(driver, "x11") != 0 && std::strcmp(driver, "wayland") != 0)) {
        return false;
    }
    SDL_WaitEventTimeout(nullptr, std::max(0, timeoutMs));
    return true;
}

void SdlPlatform::WakeUp() {
    // Any event ends the wait; the translator passes over user events.
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);
}

void SdlPlatform::ShowPlainPicture(uint32_t rgb) {
    if (mWindow == nullptr || mContext == nullptr) {
        return;
    }
    BeginFrame(true);
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(mWindow, &w, &h);
    const PlatformRect r = FitDesign(w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.x, h - r.y - r.height, r.width, r.height);
    glClearColor(static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(rgb & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    Present(nullptr);
    // The back buffer holds no frame of the game's.
    mBackKept = false;
}

void SdlPlatform::BeginFrame(bool whole) {
    if (mWindow == nullptr) {
        return;
    }
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(mWindow, &w, &h);
    const PlatformRect r = FitDesign(w, h);
    // Where the picture covers the window, it overwrites every pixel: a clear would only be
    // paid for. The bars, where there are any, are black from the last whole frame on.
    const bool covered = r.x <= 0 && r.y <= 0 && r.width >= w && r.height >= h;
    if (whole && !covered) {
        glViewport(0, 0, w, h);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Drawing goes into the design picture's place.
    glViewport(r.x, h - r.y - r.height, r.width, r.height);
}

bool SdlPlatform::KeepsLastFrame() const {
    if (!mBackKept || mWindow == nullptr) {
        return false;
    }
    // A new size gives the window new buffers.
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(mWindow, &w, &h);
    return w == mKeptWidth && h == mKeptHeight;
}

bool SdlPlatform::Present(const PlatformRect* part) {
    if (mWindow == nullptr) {
        return false;
    }
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(mWindow, &w, &h);
    // Pacing by the vertical sync needs a real swap, after which the back buffer is undefined.
    if (!mSubBuffer.Available() || mVSync) {
        SDL_GL_SwapWindow(mWindow);
        mBackKept = false;
        return true;
    }
    if (part != nullptr && mBackKept) {
        mSubBuffer.Copy(part->x, h - part->y - part->height, part->width, part->height);
    } else {
        mSubBuffer.Copy(0, 0, w, h);
    }
    mBackKept = true;
    mKeptWidth = w;
    mKeptHeight = h;
    return true;
}

void SdlPlatform::SetMouseCapture(bool capture) {
    mTranslator.SetCaptured(capture);
    if (mWindow != nullptr) {
        // Some drivers cannot capture; the game then simply gets no events outside the window.
        SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    }
}

void SdlPlatform::SetSystemCursor(int number) {
    mCursorNumber = number;
    ApplyCursor();
}

void SdlPlatform::ApplyCursor() {
    if (!mVideoStarted) {
        return;
    }
    if (mImageCursor != nullptr) {
        SDL_SetCursor(mImageCursor);
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }
    if (mCursorNumber == cursor::kNone) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    int slot = 0;
    SDL_SystemCursor which = SDL_SYSTEM_CURSOR_ARROW;
    switch (mCursorNumber) {
        case cursor::kHand:
            slot = 1;
            which = SDL_SYSTEM_CURSOR_HAND;
            break;
        case cursor::kGrab:
            slot = 2;
            which = SDL_SYSTEM_CURSOR_SIZEALL;
            break;
        case cursor::kText:
            slot = 3;
            which = SDL_SYSTEM_CURSOR_IBEAM;
            break;
        default:
            break;
    }
    if (mSystemCursors[slot] == nullptr) {
        mSystemCursors[slot] = SDL_CreateSystemCursor(which);
    }
    if (mSystemCursors[slot] != nullptr) {
        SDL_SetCursor(mSystemCursors[slot]);
    }
    SDL_ShowCursor(SDL_ENABLE);
}

bool SdlPlatform::SetCursorImage(const uint32_t* argb, int width, int height, int hotX, int hotY) {
    SDL_Cursor* made = nullptr;
    if (argb != nullptr) {
        if (!mVideoStarted || width <= 0 || height <= 0) {
            return false;
        }
        // SDL only reads the pixels while making the cursor, so the caller keeps ownership.
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (surface == nullptr) {
            return false;
        }
        made = SDL_CreateColorCursor(surface, hotX, hotY);
        SDL_FreeSurface(surface);
        if (made == nullptr) {
            return false;
        }
    }
    SDL_Cursor* old = mImageCursor;
    mImageCursor = made;
    ApplyCursor();
    if (old != nullptr) {
        SDL_FreeCursor(old);
    }
    return true;
}

std::string SdlPlatform::GetClipboardText() {
    if (!mVideoStarted) {
        return std::string();
    }
    char* text = SDL_GetClipboardText();
    std::string result = text != nullptr ? text : "";
    SDL_free(text);
    return result;
}

void SdlPlatform::SetClipboardText(const std::string& text) {
    if (mVideoStarted) {
        SDL_SetClipboardText(text.c_str());
    }
}

bool SdlPlatform::ShowMessageBox(const std::string& caption, const std::string& text) {
    if (!IsHeadlessDriver() && ShowBoxUntilQuit(caption, text, mWindow)) {
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return false;
}
