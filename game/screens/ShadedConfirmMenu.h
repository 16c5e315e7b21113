#pragma once
// The game's confirmation dialog: a ConfirmMenu over a dark shade that covers the whole design
// area, with its title and text taken from the localized text table and its two button labels
// handed to the "confirm_menu" script as text keys. Main thread only.

#include <string>

#include "menus/ConfirmMenu.h"

class PlayerState;

class ShadedConfirmMenu : public ConfirmMenu {
public:
    // titleKey and textKey are looked up here; okKey and cancelKey go to the script as they
    // stand. fadeTarget (not owned, may be null) is the dialog to cross-fade with.
    ShadedConfirmMenu(const std::string& titleKey, const std::string& textKey,
                      const std::string& okKey, const std::string& cancelKey, Widget* fadeTarget);
    // A dialog whose text is already made (the delete question formats its own).
    struct PreparedText {};
    ShadedConfirmMenu(PreparedText, const std::string& title, const std::string& text,
                      const std::string& okKey, const std::string& cancelKey, Widget* fadeTarget);
    ~ShadedConfirmMenu() override;

    // The shade over the design area wherever the dialog stands, then the dialog.
    void Draw(Graphics* g) override;

protected:
    // The closing step after an answer: the fade out, unless the answer already had the
    // application kill this dialog with every other menu (a killed dialog is left alone).
    void CloseUnlessKilled();
    // Whether the dialog table still holds this dialog.
    bool IsStillShown() const;
};
