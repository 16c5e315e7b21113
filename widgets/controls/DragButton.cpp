#include "widgets/controls/DragButton.h"

#include <cmath>

#include "core/expr/LiveObjectRegistry.h"

#include "widgets/anim/DragWidget.h"

DragButton::DragButton(int x, int y, const std::string& type, const std::string& label,
                       bool localize)
    : ButtonWidget(x, y, type, label, localize) {
    DragWidget::SloppyClickDistance();
}

Widget* DragButton::ParentPoint(int x, int y, int* px, int* py) const {
    auto* parent = dynamic_cast<Widget*>(mParent);
    if (parent == nullptr) {
        return nullptr;
    }
    const FRect at = ToParentRect(FRect(static_cast<float>(x), static_cast<float>(y), 0, 0));
    *px = static_cast<int>(at.mX);
    *py = static_cast<int>(at.mY);
    return parent;
}

void DragButton::MouseDown(int x, int y, int clickCount) {
    mPressed = true;
    ButtonWidget::MouseDown(x, y, clickCount);
    mTravel = 0.0f;
    const FPoint origin = LocalToGlobal();
    mPressX = static_cast<int>(origin.mX) + x;
    mPressY = static_cast<int>(origin.mY) + y;
    mPointKnown = true;
    int px = 0;
    int py = 0;
    if (Widget* parent = ParentPoint(x, y, &px, &py)) {
        parent->MouseDown(px, py, clickCount);
    }
}

void DragButton::MouseDrag(int x, int y) {
    // In root coordinates, taken before the parent moves the button along with it.
    const FPoint origin = LocalToGlobal();
    const int ax = static_cast<int>(origin.mX) + x;
    const int ay = static_cast<int>(origin.mY) + y;
    if (mPointKnown) {
        const float dx = static_cast<float>(ax - mPressX);
        const float dy = static_cast<float>(ay - mPressY);
        mTravel += std::sqrt(dx * dx + dy * dy);
    }
    mPressX = ax;
    mPressY = ay;
    mPointKnown = true;
    int px = 0;
    int py = 0;
    if (Widget* parent = ParentPoint(x, y, &px, &py)) {
        parent->MouseDrag(px, py);
    }
}

void DragButton::MouseUp(int x, int y) {
    // The parent is taken before the click is heard: a listener that removes this button unlinks
    // it, and the panel must still hear the release or it stays pressed, following the pointer.
    int px = 0;
    int py = 0;
    const uint32_t parentId =
        LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, ParentPoint(x, y, &px, &py));
    // A press that wandered is a drag of the panel, not a click: the listener does not hear of
    // the release.
    ButtonListener* listener = GetButtonListener();
    const bool silent = !mPressed || mTravel > DragWidget::SloppyClickDistance();
    if (silent) {
        SetButtonListener(nullptr);
    }
    ButtonWidget::MouseUp(x, y);
    if (silent) {
        SetButtonListener(listener);
    }
    mPressed = false;
    mTravel = 0.0f;
    mPressX = -1;
    mPressY = -1;
    mPointKnown = false;
    if (Widget* panel = parentId != 0 ? LiveObjectRegistry::ResolveWidget(parentId) : nullptr) {
        panel->MouseUp(px, py);
    }
}
