#pragma once
// What the tutorial grid needs of the screens: the text popup with its OK button. The popup is
// a menu of the screens (above the board), so the screens install these hooks at start-up;
// without them the tutorial's popups are only logged and its "ok" steps go on at once.

#include <cstdint>

class ButtonListener;
class DynamicWidget;
class Widget;

struct TutorialPopupHooks {
    // Shows a popup in place of label (a hidden text label: its position, text and font) whose
    // OK button starts disabled and reports its clicks to listener; *okButtonId receives that
    // button's widget id. Returns the popup (owned by the dialog table), or null when none was
    // shown.
    Widget* (*show)(DynamicWidget* label, ButtonListener* listener, uint32_t* okButtonId) = nullptr;
    // Enables the OK button of a popup that show returned.
    void (*enableOk)(Widget* popup) = nullptr;
};

// Main thread; the hooks stay until replaced (an empty set removes them).
void SetTutorialPopupHooks(const TutorialPopupHooks& hooks);
const TutorialPopupHooks& GetTutorialPopupHooks();
