#pragma once
// A button that can sit on a drag widget: its presses, drags and releases go on to its parent, so
// the panel under it can be dragged from the button, and its click is suppressed when the pointer
// travelled further than the sloppy-click distance between press and release. Main thread only.

#include <string>

#include "widgets/controls/ButtonWidget.h"

class DragButton : public ButtonWidget {
public:
    // As ButtonWidget.
    DragButton(int x, int y, const std::string& type, const std::string& label, bool localize);

    float GetTravel() const { return mTravel; }

    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y) override;
    void MouseDrag(int x, int y) override;

private:
    // The point in the parent's coordinates (truncated), or false without a widget parent.
    Widget* ParentPoint(int x, int y, int* px, int* py) const;

    bool mPressed = false;
    // The last point of the press in root coordinates: the button moves with a dragged parent,
    // so its own coordinates would not show the travel.
    int mPressX = -1;
    int mPressY = -1;
    bool mPointKnown = false;
    float mTravel = 0.0f;
};
