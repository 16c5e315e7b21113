#pragma once
// The profile selection screen (script "profile_menu"): eight rows, one per profile slot, where a
// profile is chosen, named in place, or deleted after a confirmation; and the menu, delete and
// play buttons, shown only while a named profile is selected. A line under the rows says why a
// typed character was refused, and with no profile left that a free page waits for a name;
// Escape drops a name being typed and leaves as the menu button does, or with no profile starts
// naming one. Main thread only.

#include <array>
#include <cstdint>
#include <string>

#include "menus/Menu.h"
#include "widgets/controls/EditListener.h"

class ButtonWidget;
class ProfileNameWidget;
class Widget;

class PlayerSelectMenu : public Menu, public EditListener {
public:
    static constexpr int kRows = 8;

    // Starts with the selected profile's row selected; queues "profile_menu".
    PlayerSelectMenu();

    // The row being named commits: its OK button hides, the focus returns to the menu, and the
    // slot takes the name. A named profile's row emptied by typing takes its name back (deleting
    // goes through the Delete button); an empty row stays free with nothing selected.
    void CommitName();
    // The confirmed deletion: the selected row's slot is emptied, and the first named row still
    // left becomes the selected profile (saved at once); with none left nothing is selected.
    void DeleteSelectedProfile();
    // Escape cancels: a name being typed is dropped and its page keeps what it held; then back to
    // the main menu with the player chosen before; with no named profile at all, a free row is
    // named and the line asks for a name.
    void LeaveByEscape();
    // A typed character the name rule refused: the line under the rows gives the rule.
    void NoteRefusedChar();
    // The localized-text id of the line under the rows, empty when it shows nothing.
    std::string GetNote() const;

    int GetSelectedRow() const { return mSelected; }
    // Null before "place-profiles" (or "place-buttons") ran.
    ProfileNameWidget* GetRow(int i) const;
    ButtonWidget* GetRowOkButton(int i) const;
    Widget* GetMenuButton() const { return mMenuButton; }
    Widget* GetDeleteButton() const { return mDeleteButton; }
    Widget* GetPlayButton() const { return mPlayButton; }

    // "place-profiles" and "place-buttons".
    CommandAnswer HandleCommand(const AnimationCommand& command) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(uint32_t id) override;
    // Escape (typed character 27) while the menu holds the keyboard focus.
    void KeyChar(char c) override;

private:
    void PlaceProfiles();
    void PlaceButtons();
    // Writes the selected row into its slot and selects it (or leaves an empty one free), then
    // shows the three buttons only while a named profile is selected.
    void RefreshSelection();
    void SelectRow(int i);
    // A button of the application's factory (a plain menu button without one), listened to here.
    Widget* MakeButton(int x, int y, const char* label);
    static bool IsButton(const Widget* w, uint32_t id) { return w != nullptr && w->mId == id; }
    bool HasNamedRow() const;
    void SetNote(const std::string& key);
    // To the main menu, once.
    void Leave();

    std::array<ProfileNameWidget*, kRows> mRows{};  // children of this menu
    std::array<ButtonWidget*, kRows> mOkButtons{};  // children of this menu
    Widget* mMenuButton = nullptr;
    Widget* mDeleteButton = nullptr;
    Widget* mPlayButton = nullptr;
    int mSelected = -1;
    std::string mNote;  // set by a refused character or Escape; cleared by the next row choice
    bool mLeft = false;
};
