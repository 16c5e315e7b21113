#pragma once
// A platform without a window: frames go nowhere, the clipboard lives in memory and message
// boxes go to standard error. Tests can push input through the sink they hold themselves.

#include <vector>

#include "platform/Platform.h"

class NullPlatform : public Platform {
public:
    bool OpenWindow(const std::string& title, int designWidth, int designHeight, bool windowed,
                    bool stretch, std::string* error) override;
    void CloseWindow() override { mOpen = false; }
    bool HasWindow() const override { return mOpen; }
    void ShowWindow(bool show) override { mShown = show; }
    void SetTitle(const std::string& title) override { mTitle = title; }
    bool SetDisplayMode(bool windowed, bool stretch) override;
    PlatformRect GetViewport() const override;
    bool GetDesktopSize(int* width, int* height) const override;
    void SetVSync(bool on) override { mVSync = on; }
    void PumpEvents(PlatformEventSink& sink) override;
    void BeginFrame(bool /*whole*/) override {}
    bool Present(const PlatformRect* part) override;
    void SetMouseCapture(bool capture) override { mCaptured = capture; }
    void SetSystemCursor(int number) override { mCursor = number; }
    bool SetCursorImage(const uint32_t* argb, int width, int height, int hotX, int hotY) override;
    void SetMouseSpeed(int speed) override { mMouseSpeed = speed; }
    std::string GetClipboardText() override { return mClipboard; }
    void SetClipboardText(const std::string& text) override { mClipboard = text; }
    bool ShowMessageBox(const std::string& caption, const std::string& text) override;

    // What the application asked for, for tests.
    bool IsShown() const { return mShown; }
    bool IsWindowed() const { return mWindowed; }
    bool IsStretched() const { return mStretch; }
    bool IsVSync() const { return mVSync; }
    bool IsCaptured() const { return mCaptured; }
    int GetCursorNumber() const { return mCursor; }
    bool HasCursorImage() const { return mCursorImage; }
    // The last pointer picture set (empty once the system cursor is back) and its hot spot.
    const std::vector<uint32_t>& GetCursorPixels() const { return mCursorPixels; }
    int GetCursorWidth() const { return mCursorWidth; }
    int GetCursorHotX() const { return mCursorHotX; }
    int GetCursorHotY() const { return mCursorHotY; }
    int GetMouseSpeed() const { return mMouseSpeed; }
    int GetPresentCount() const { return mPresents; }
    int GetMessageBoxCount() const { return mMessageBoxes; }
    const std::string& GetTitle() const { return mTitle; }
    // When set, the next PumpEvents asks the application to close.
    void RequestClose() { mCloseRequested = true; }
    // The desktop size GetDesktopSize reports from now on; none (the default) until set.
    void SetDesktopSize(int width, int height) {
        mDesktopWidth = width;
        mDesktopHeight = height;
    }

private:
    bool mOpen = false;
    bool mShown = false;
    bool mWindowed = true;
    bool mStretch = false;
    bool mVSync = false;
    bool mCaptured = false;
    bool mCursorImage = false;
    bool mCloseRequested = false;
    int mCursor = 0;
    std::vector<uint32_t> mCursorPixels;
    int mCursorWidth = 0;
    int mCursorHotX = 0;
    int mCursorHotY = 0;
    int mMouseSpeed = 10;
    int mPresents = 0;
    int mMessageBoxes = 0;
    int mWidth = 0;
    int mHeight = 0;
    int mDesktopWidth = 0;
    int mDesktopHeight = 0;
    std::string mTitle;
    std::string mClipboard;
};
