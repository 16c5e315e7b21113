#pragma once
// The platform over SDL2: one window with an OpenGL 3.3 core context, windowed at the design
// size or full screen on the desktop, with the design picture stretched or kept at its aspect.

#include <SDL.h>

#include <array>
#include <string>

#include "platform/Platform.h"
#include "platform/PointerSpeed.h"
#include "platform/RawPointerMotion.h"
#include "platform/SdlEventTranslator.h"
#include "platform/SubBufferPresenter.h"
#include "platform/XiRawMotionConnection.h"

class SdlPlatform : public Platform {
public:
    // rawMotion opens the connection that reports the pointing devices' raw motion (X Input 2 on
    // $DISPLAY unless given).
    explicit SdlPlatform(RawPointerMotion::Opener rawMotion = XiRawMotionConnection::Open);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool OpenWindow(const std::string& title, int designWidth, int designHeight, bool windowed,
                    bool stretch, std::string* error) override;
    void CloseWindow() override;
    bool HasWindow() const override { return mWindow != nullptr; }
    void ShowWindow(bool show) override;
    void ShowPlainPicture(uint32_t rgb) override;
    void SetTitle(const std::string& title) override;
    bool SetDisplayMode(bool windowed, bool stretch) override;
    PlatformRect GetViewport() const override;
    void* GetNativeWindow() const override { return mWindow; }
    void* GetGLContext() const override { return mContext; }
    bool GetDesktopSize(int* width, int* height) const override;
    void SetVSync(bool on) override;
    void PumpEvents(PlatformEventSink& sink) override;
    // Waits only under the window systems whose SDL driver blocks on the display connection
    // (X11, Wayland); the others would poll every millisecond, so they answer false.
    bool WaitForEvents(int timeoutMs) override;
    void WakeUp() override;
    void BeginFrame(bool whole) override;
    // Keeps it where the window system can show part of the back buffer without a swap (GLX
    // on X11) and frames are not paced by the vertical sync.
    bool KeepsLastFrame() const override;
    bool Present(const PlatformRect* part) override;
    void SetMouseCapture(bool capture) override;
    void SetSystemCursor(int number) override;
    bool SetCursorImage(const uint32_t* argb, int width, int height, int hotX, int hotY) override;
    // Scales the pointer's movements over the window where the driver lets the game place the
    // pointer (X11); elsewhere says so once in the log.
    void SetMouseSpeed(int speed) override;
    std::string GetClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    bool ShowMessageBox(const std::string& caption, const std::string& text) override;

private:
    // The design picture's place in a w x h area: all of it when stretched (or windowed at the
    // design size), else the largest centred rectangle of the design aspect.
    PlatformRect FitDesign(int width, int height) const;
    // In full screen where no window manager takes SDL's request (a bare X server): puts the
    // window over its whole screen itself.
    void CoverScreenIfUnmanaged();
    void ApplyCursor();
    // Whether the video driver lets the game place the pointer (X11 only).
    bool CanPlacePointer() const;
    void ApplyMouseSpeed();
    // Movements and button positions scaled by the mouse speed (in place), and the pointer's
    // state reset where it left the window or the window the focus. fromDevice: a mouse moved
    // the pointer in this batch (else its positions are where it was sent).
    void ScalePointer(SDL_Event* event, bool fromDevice);

    SDL_Window* mWindow = nullptr;
    SDL_GLContext mContext = nullptr;
    bool mVideoStarted = false;
    bool mWindowed = true;
    bool mStretch = false;
    int mDesignWidth = 0;
    int mDesignHeight = 0;
    PointerSpeed mPointer;
    RawPointerMotion mRawMotion;
    bool mDeviceMovedBefore = false;  // in the batch before this one
    bool mPointerScaled = false;  // the speed applies: not 10 and the driver can place the pointer
    bool mSpeedRefusalLogged = false;
    bool mPointerFocus = true;  // the window has the keyboard focus: the speed applies
    int mCursorNumber = 0;
    std::array<SDL_Cursor*, 4> mSystemCursors{};
    SDL_Cursor* mImageCursor = nullptr;
    SdlEventTranslator mTranslator;
    SubBufferPresenter mSubBuffer;
    bool mVSync = false;
    // The back buffer holds the last presented frame of a drawable of the kept size.
    bool mBackKept = false;
    int mKeptWidth = 0;
    int mKeptHeight = 0;
};
