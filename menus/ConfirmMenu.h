#pragma once
// A dialog with a title, a text and ok and cancel buttons (script "confirm_menu"), reporting the
// choice through OnConfirm ("ok") and OnCancel ("close"). Main thread only.

#include <string>

#include "menus/DialogMenu.h"

class ConfirmMenu : public DialogMenu {
public:
    // The four texts become the script variables "title", "text", "ok_text" and "cancel_text".
    ConfirmMenu(const std::string& title, const std::string& text, const std::string& okText,
                const std::string& cancelText, Widget* fadeTarget);

    // The default closes the dialog exactly as OnCancel does; subclasses act, then close.
    virtual void OnConfirm();

    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
};
