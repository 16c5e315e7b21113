#pragma once
// A small message popup with one OK button, used by the tutorial grid to show its texts: the
// popup shows its background image at a place, and the OK button starts disabled and reports to
// the listener the caller gives (which enables it and handles the click). The popup talks over
// the play screen without taking it over: it is not modal, never becomes the active menu (the
// screen beneath stays awake and clickable) and is never suspended itself. Main thread only.

#include <cstdint>
#include <memory>

#include "menus/Menu.h"

class ButtonListener;
class DynamicWidget;
class Image;

class TextboxPopup : public Menu {
public:
    // background is not owned (the asset tables keep it); listener (may be null) is linked
    // weakly. The OK button ("button_ok") comes from the application's button factory; without
    // one the popup has no button.
    TextboxPopup(int x, int y, Image* background, ButtonListener* listener);

    // A popup for the text of label (a text label: its text, font and place) on a box drawn from
    // the "textbox" pieces, which the popup owns.
    static TextboxPopup* ForLabel(DynamicWidget* label, ButtonListener* listener);

    // The OK button, or null when it has gone or was never made.
    Widget* GetOkButton() const;

    bool WantsBaseLayer() const override { return false; }
    // Keyboard focus only: the menu beneath stays the active one.
    void GotFocus() override;
    // Gives the keyboard back to the active menu.
    void RemovedFromManager(WidgetManager* manager) override;

private:
    uint32_t mOkButtonLiveId = 0;
};

// Makes the tutorial grid show its texts in TextboxPopups. Main thread, at start-up.
void InstallTextboxPopupHooks();
