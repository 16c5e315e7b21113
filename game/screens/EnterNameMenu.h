#pragma once
// The first player's name entry, over the title screen: a name box and an OK button. OK or Enter
// with a name makes the player's profile and goes on to the game through the title screen; an
// empty name does nothing. Main thread only.

#include <cstdint>
#include <string>

#include "game/board/WeakWidget.h"
#include "menus/Menu.h"
#include "widgets/controls/EditListener.h"

class ButtonWidget;
class EditWidget;
class MyTitleScreen;

class EnterNameMenu : public Menu, public EditListener {
public:
    // title (followed weakly, may be null) is the screen to finish through.
    explicit EnterNameMenu(MyTitleScreen* title);

    EditWidget* GetNameBox() const { return mNameBox; }
    // Whether the name rule is written on the card: once it refused a key or a paste.
    bool IsRuleShown() const { return mRuleShown; }
    ButtonWidget* GetOkButton() const { return mOkButton; }

    // The name box takes the keyboard focus.
    void AddedToManager(WidgetManager* manager) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(uint32_t id) override;

    // EditListener: the name rule for the name box (letters and spaces typed or pasted, the
    // whole text judged after each key), written on the card once it refused something; Enter
    // with a name acts as OK.
    bool AllowChar(uint32_t id, char c) override;
    bool AllowText(uint32_t id, const std::string& text) override;
    bool AllowKey(uint32_t id, int key) override;

private:
    // Makes the profile and leaves, once; false (nothing done) for an empty name.
    bool Commit();
    void ShowRule();

    WeakWidget<MyTitleScreen> mTitle;
    EditWidget* mNameBox = nullptr;     // a child of this menu
    ButtonWidget* mOkButton = nullptr;  // a child of this menu
    bool mCommitted = false;
    bool mRuleShown = false;
};
