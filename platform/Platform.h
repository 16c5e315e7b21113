#pragma once
// The narrow interface between the application and the window system: one window with an OpenGL
// 3.3 core context, its events, cursors, clipboard and message boxes. SdlPlatform implements it
// over SDL2; NullPlatform has no window, so everything above runs in tests without a display.
// All calls on the main thread.

#include <cstdint>
#include <string>

#include "platform/CursorNumbers.h"

class PlatformEventSink;

// A rectangle in window pixels.
struct PlatformRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the design's shape that fits a width x height area, centred in it
// (bars on two sides); the whole area when either size is not positive.
inline PlatformRect FitDesignShape(int width, int height, int designWidth, int designHeight) {
    if (designWidth <= 0 || designHeight <= 0 || width <= 0 || height <= 0) {
        return PlatformRect{0, 0, width, height};
    }
    int w = width;
    int h = static_cast<int>(static_cast<int64_t>(width) * designHeight / designWidth);
    if (h > height) {
        h = height;
        w = static_cast<int>(static_cast<int64_t>(height) * designWidth / designHeight);
    }
    return PlatformRect{(width - w) / 2, (height - h) / 2, w, h};
}

class Platform {
public:
    virtual ~Platform() = default;

    // Opens and shows the window of a designWidth x designHeight picture, windowed or full
    // screen, stretched to the screen or kept at its aspect; shown as soon as it exists, before
    // its GL 3.3 core context is made. False with *error set when the window or the context
    // can't be made.
    virtual bool OpenWindow(const std::string& title, int designWidth, int designHeight,
                            bool windowed, bool stretch, std::string* error) = 0;
    virtual void CloseWindow() = 0;
    virtual bool HasWindow() const = 0;
    virtual void ShowWindow(bool show) = 0;
    // Shows the design picture's place filled with one colour (0xRRGGBB), the bars black, at
    // once: the window's first picture while the rest of the start-up runs.
    virtual void ShowPlainPicture(uint32_t rgb) { (void)rgb; }
    virtual void SetTitle(const std::string& title) = 0;

    // Switches between windowed and full-screen play and re-applies the stretch flag. False when
    // the system refused (the old mode stays).
    virtual bool SetDisplayMode(bool windowed, bool stretch) = 0;
    // Where the design picture appears inside the window, in window pixels: the mouse area that
    // maps onto the design area.
    virtual PlatformRect GetViewport() const = 0;
    // The native window and its current GL context, for the render device; null without a
    // window (the null platform).
    virtual void* GetNativeWindow() const { return nullptr; }
    virtual void* GetGLContext() const { return nullptr; }
    // The desktop size; false when unknown.
    virtual bool GetDesktopSize(int* width, int* height) const = 0;
    // Present on the vertical sync (true) or at once.
    virtual void SetVSync(bool on) = 0;

    // Delivers every pending window event to the sink and returns.
    virtual void PumpEvents(PlatformEventSink& sink) = 0;
    // Blocks until a window event is queued, WakeUp is called or timeoutMs passes, and leaves
    // the events for PumpEvents; false at once when this platform cannot wait for events (the
    // caller then sleeps by its clock instead).
    virtual bool WaitForEvents(int timeoutMs) {
        (void)timeoutMs;
        return false;
    }
    // Ends a WaitForEvents under way soon. Any thread.
    virtual void WakeUp() {}
    // Prepares the back buffer for a frame: viewport set; on a whole frame the window is cleared
    // to black where the design picture does not cover it. A frame that is not whole draws over
    // the last one (only when KeepsLastFrame answered true).
    virtual void BeginFrame(bool whole) = 0;
    // True when the back buffer still holds the last presented frame, so a frame may redraw and
    // present only a part of the window.
    virtual bool KeepsLastFrame() const { return false; }
    // Shows the frame; part (drawable pixels from the top left), when given after KeepsLastFrame
    // answered true, is all of the window that changed. False when presenting failed.
    virtual bool Present(const PlatformRect* part) = 0;

    // Keeps mouse events coming while a button is held outside the window (true), or frees them.
    virtual void SetMouseCapture(bool capture) = 0;
    // Shows a system cursor by number (see cursor::); kNone hides the pointer.
    virtual void SetSystemCursor(int number) = 0;
    // Shows a cursor made from 32-bit ARGB pixels (rows top to bottom) with its hot spot; null
    // pixels return to the system cursor. False when the system refused the image.
    virtual bool SetCursorImage(const uint32_t* argb, int width, int height, int hotX,
                                int hotY) = 0;
    // The pointer speed the player chose, 1 to 20 (10 is the system's own speed).
    virtual void SetMouseSpeed(int speed) = 0;

    // Clipboard text as UTF-8; empty when none.
    virtual std::string GetClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // A modal message box with an OK button; without a display the text goes to standard error.
    // A quit signal (SIGINT, SIGTERM) closes the box. True when a box was shown.
    virtual bool ShowMessageBox(const std::string& caption, const std::string& text) = 0;
};
