#pragma once
// What the platform layer delivers from the window's event queue. Coordinates are window pixels;
// click counts follow the widget manager's convention: presses 1 left, 2 left double, -1 right,
// -2 right double, 0 middle; releases 1, -1, 0. Key codes are virtual-key codes (see KeyCodes.h).
// All calls arrive on the main thread from Platform::PumpEvents.

class PlatformEventSink {
public:
    // Wheel delta of one notch.
    static constexpr int kWheelUnit = 120;

    virtual ~PlatformEventSink() = default;

    // The pointer moved, or a button went down or up, at window pixel (x, y).
    virtual void OnMouseMove(int x, int y) = 0;
    virtual void OnMouseDown(int x, int y, int clickCount) = 0;
    virtual void OnMouseUp(int x, int y, int clickCount) = 0;
    // delta in the system's wheel units, kWheelUnit per notch, positive away from the player.
    virtual void OnMouseWheel(int delta) = 0;
    // The pointer left the window's client area.
    virtual void OnMouseLeave() = 0;
    // The window lost the mouse capture it had taken for a held button.
    virtual void OnCaptureLost() = 0;

    // A key went down (repeats included) or up.
    virtual void OnKeyDown(int virtualKey) = 0;
    virtual void OnKeyUp(int virtualKey) = 0;
    // One byte of typed text (UTF-8: a character beyond ASCII comes as its two to four bytes in
    // turn), including the control characters 8, 9, 13, 27 and
    // Ctrl+C/V/X/Z as 3, 22, 24, 26.
    virtual void OnKeyChar(char c) = 0;

    // The window gained or lost the keyboard focus.
    virtual void OnFocusGained() = 0;
    virtual void OnFocusLost() = 0;
    // The window was minimised (true), or shown again (false: restored or maximised).
    virtual void OnMinimized(bool minimized) = 0;
    // The window's close button or a quit request from the system.
    virtual void OnCloseRequested() = 0;
    // The window's size changed; the viewport may have moved.
    virtual void OnWindowResized() = 0;
};
