#pragma once
// Turns window-system events into the calls of a PlatformEventSink: click counts with double
// presses, wheel units of 120, virtual-key codes, typed bytes, focus and capture loss. Kept apart
// from the window so tests can feed it synthetic events.

#include <SDL.h>

#include "platform/PlatformEventSink.h"

class SdlEventTranslator {
public:
    // Delivers one event to the sink (events it does not know are ignored). Main thread.
    void Translate(const SDL_Event& event, PlatformEventSink& sink);

    // Whether the window holds the mouse capture; set by the platform when the application takes
    // or frees it. Losing the window focus while captured reports OnCaptureLost.
    void SetCaptured(bool captured) { mCaptured = captured; }
    bool IsCaptured() const { return mCaptured; }

    // The click count of a button press: left 1 (2 on a double press), right -1 (-2), middle 0.
    // Every second press of a run of quick presses is a double press, as the original platform
    // reports them. -100 for buttons the game does not use.
    static int PressClickCount(uint8_t button, uint8_t clicks);
    // The click count of a release: 1 left, -1 right, 0 middle; -100 for other buttons.
    static int ReleaseClickCount(uint8_t button);

private:
    bool mCaptured = false;
};
