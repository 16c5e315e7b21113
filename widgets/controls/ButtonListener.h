#pragma once
// What a widget reports to its owner about the pointer: presses, clicks (a release over the
// widget), ticks while held, enter, leave and moves. Each call carries the sender's widget id so
// one owner can serve many widgets. The link is weak both ways (ListenerLink.h).

#include <cstdint>

#include "widgets/ListenerLink.h"

class ButtonListener : public ListenerBase {
public:
    // A press with its signed click count (1, 2 left; -1, -2 right; 0 middle); by default
    // ButtonPress, whatever the button.
    virtual void ButtonPressClicks(uint32_t id, int clickCount) {
        (void)clickCount;
        ButtonPress(id);
    }
    virtual void ButtonPress(uint32_t id) { (void)id; }
    // The click: a release over the widget.
    virtual void ButtonDepress(uint32_t id) { (void)id; }
    // Every fixed update while the widget is pressed and the pointer over it.
    virtual void ButtonDownTick(uint32_t id) { (void)id; }
    virtual void ButtonMouseEnter(uint32_t id) { (void)id; }
    virtual void ButtonMouseLeave(uint32_t id) { (void)id; }
    // x, y in the widget's coordinates.
    virtual void ButtonMouseMove(uint32_t id, int x, int y) { (void)id, (void)x, (void)y; }
};
