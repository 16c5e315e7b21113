#pragma once
// The first player's name entry, over the title screen: a name box and an OK button. OK or Enter
// with a name makes the player's profile and goes on to the game through the title screen; an
// empty name makes nothing and the card asks for a name. When every page already holds a player's
// progress (and none is chosen), the card says so and OK leads to the profile screen, where a
// page is chosen or freed. Main thread only.

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
    // Whether the name rule is written on the card: since it last refused a key or a paste.
    bool IsRuleShown() const { return mNote == "name_rule"; }
    // The localized-text id of the line under the question: empty, "name_rule" (a key was
    // refused) or "name_needed" (OK or Enter with no name), the latest of them; "book_full" from
    // the start while no page can take a new name.
    const std::string& GetNote() const { return mNote; }
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
    // Makes the profile and leaves, once; false (nothing done) for an empty name, which the card
    // then asks for. While no page can take a new name, leads to the profile screen instead.
    bool Commit();
    // Every page holds a player's progress, so a new name has nowhere to go.
    static bool IsBookFull();
    // The card goes and the game goes on through the title screen.
    void HandOver();
    void ShowNote(const char* key);

    WeakWidget<MyTitleScreen> mTitle;
    EditWidget* mNameBox = nullptr;     // a child of this menu
    ButtonWidget* mOkButton = nullptr;  // a child of this menu
    bool mCommitted = false;
    std::string mNote;
};
