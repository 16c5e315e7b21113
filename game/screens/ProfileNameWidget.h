#pragma once
// One row of the profile selection screen: a button showing a profile's name, or "no_name" for a
// free slot, on which the selected row's name is typed in place. Main thread only.

#include <string>

#include "widgets/controls/ButtonWidget.h"

class PlayerSelectMenu;
struct ProfileRecord;

class ProfileNameWidget : public ButtonWidget {
public:
    // Centred on x with its top at y; shows record's name. owner is the screen that holds the
    // row (it outlives its rows).
    ProfileNameWidget(int x, int y, const ProfileRecord& record, PlayerSelectMenu* owner);

    // Back to the plain look ("no_name" when the slot is free). A row never removes itself: this
    // is its answer to MarkForRemoval.
    void ResetLook();
    void MarkForRemoval() override { ResetLook(); }
    // The row is being named: the hint "enter_your_name" while it is empty, the selected frame.
    void BeginEdit();
    // The name typed in place (see NameRule.h); Backspace drops a character, Enter commits,
    // Escape goes to the screen; a printable character the rule refuses is reported to it.
    void KeyChar(char c) override;
    bool WantsFocus() override { return true; }

    // The row's name; empty while the slot is free.
    std::string GetName() const { return mNameEmpty ? std::string() : mLabel; }
    bool IsNameEmpty() const { return mNameEmpty; }
    void SetNameEmpty(bool empty) { mNameEmpty = empty; }
    // Shows name again as the row's name (an emptied row taking back its profile's name).
    void RestoreName(const std::string& name);

private:
    PlayerSelectMenu* mOwner;
    bool mNameEmpty;
};
