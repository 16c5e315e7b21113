#pragma once
// Told of a slider's value (0 to 1) while it moves and when a drag or jump ends. Weak link both
// ways (ListenerLink.h).

#include "widgets/ListenerLink.h"

class Slider;

class SliderListener : public ListenerBase {
public:
    // Main thread, from the slider's input handlers; value is 0 to 1.
    virtual void SliderValueChanged(Slider* slider, double value) { (void)slider, (void)value; }
    virtual void SliderDragEnded(Slider* slider, double value) { (void)slider, (void)value; }
};
