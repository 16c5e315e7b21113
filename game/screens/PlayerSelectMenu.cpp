#include "game/screens/PlayerSelectMenu.h"

#include "app/GameApp.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/screens/ProfileNameWidget.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

namespace {

constexpr int kSelectedFrame = 2;
constexpr char kEscape = 27;
// The line under the rows, above the menu, delete and play buttons.
constexpr float kNoteY = 640.0f;

void SetDeviceWord() {
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mDeviceWord = "ipad";
    }
}

void ShowButton(Widget* button, bool shown) {
    if (button == nullptr) {
        return;
    }
    button->SetVisible(shown);
    if (auto* dynamic = dynamic_cast<DynamicWidget*>(button)) {
        dynamic->SetFrame(0);
    }
}

}  // namespace

PlayerSelectMenu::PlayerSelectMenu()
    : Menu(LookupAssetTableA("TitleBackground"), false, false), mSelected(GetSelectedProfile()) {
    DeclareNoUpdatesOfItsOwn(typeid(PlayerSelectMenu));
    if (mSelected >= kRows) {
        mSelected = -1;
    }
    QueueAnimationRef("profile_menu");
}

ProfileNameWidget* PlayerSelectMenu::GetRow(int i) const {
    return i >= 0 && i < kRows ? mRows[static_cast<size_t>(i)] : nullptr;
}

ButtonWidget* PlayerSelectMenu::GetRowOkButton(int i) const {
    return i >= 0 && i < kRows ? mOkButtons[static_cast<size_t>(i)] : nullptr;
}

CommandAnswer PlayerSelectMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand == "place-profiles") {
        PlaceProfiles();
        return CommandAnswer::kHandled;
    }
    if (command.mCommand == "place-buttons") {
        PlaceButtons();
        return CommandAnswer::kHandled;
    }
    return CommandAnswer::kNotHandled;
}

void PlayerSelectMenu::PlaceProfiles() {
    if (mRows[0] != nullptr) {
        return;  // placed once: a second run would stack a second set of rows
    }
    int y = GetParamInt("profile_top");
    const int x = GetParamInt("x");
    const std::string okImage = GetParamString("button_image");
    const int okOffset = GetParamInt("checkbox_offset");
    const int okX = GetParamInt("x_ok");
    Font* okFont = Fonts::Find(GetParamString("font"));
    const int spacing = GetParamInt("profile_spacing");
    const std::vector<ProfileRecord>& profiles = GetProfiles();
    for (int i = 0; i < kRows; ++i) {
        ProfileRecord empty;
        const ProfileRecord& record =
            static_cast<size_t>(i) < profiles.size() ? profiles[static_cast<size_t>(i)] : empty;
        auto* row = new ProfileNameWidget(x, y, record, this);
        row->SetButtonListener(this);
        AddWidget(row);
        mRows[static_cast<size_t>(i)] = row;
        ButtonWidget* ok = AddButton(this, row->mWidth / 2 + okX, y - okOffset, okImage, "", false);
        if (okFont != nullptr) {
            ok->SetDefaultVisual(okFont);
        }
        ok->SetButtonListener(this);
        ok->SetVisible(false);
        mOkButtons[static_cast<size_t>(i)] = ok;
        y += spacing;
    }
    if (ProfileNameWidget* row = GetRow(mSelected)) {
        row->BeginEdit();
    }
}

Widget* PlayerSelectMenu::MakeButton(int x, int y, const char* label) {
    Widget* button = AddWidgetFromApp(this, x, y, label);
    if (button == nullptr) {
        button = AddButton(this, x, y, "menubutton", label, true);
    }
    if (auto* dynamic = dynamic_cast<DynamicWidget*>(button)) {
        dynamic->SetButtonListener(this);
    }
    return button;
}

void PlayerSelectMenu::PlaceButtons() {
    if (mMenuButton != nullptr) {
        return;
    }
    const int y = GetParamInt("y");
    mMenuButton = MakeButton(GetParamInt("x_cancel"), y, "button_menu");
    mDeleteButton = MakeButton(GetParamInt("x_delete"), y, "button_delete");
    mPlayButton = MakeButton(GetParamInt("x_play"), y, "button_play");
    RefreshSelection();
}

void PlayerSelectMenu::Draw(Graphics* g) {
    if (ProfileNameWidget* row = GetRow(mSelected)) {
        row->SetFrame(kSelectedFrame);
    }
    Menu::Draw(g);
    const std::string note = GetNote();
    // Under the paper rows lies the night sky: the screen's shadowed light lettering.
    Font* font = Fonts::Find("menu");
    if (note.empty() || font == nullptr) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Color(255, 255, 255));
    g->WriteString(LocalizedTexts::Lookup(note), 0.0f, kNoteY, mWidth, 0);
}

bool PlayerSelectMenu::HasNamedRow() const {
    for (const ProfileNameWidget* row : mRows) {
        if (row != nullptr && !row->IsNameEmpty()) {
            return true;
        }
    }
    return false;
}

std::string PlayerSelectMenu::GetNote() const {
    if (!mNote.empty()) {
        return mNote;
    }
    // Every profile deleted and no row chosen: eight free pages and no button would leave the
    // player without a clue.
    if (mRows[0] != nullptr && mSelected < 0 && !HasNamedRow()) {
        return "profile_choose_page";
    }
    return std::string();
}

void PlayerSelectMenu::SetNote(const std::string& key) {
    if (mNote != key) {
        mNote = key;
        MarkDirty();
    }
}

void PlayerSelectMenu::NoteRefusedChar() {
    SetNote("name_rule");
}

void PlayerSelectMenu::RefreshSelection() {
    bool named = false;
    ProfileNameWidget* row = GetRow(mSelected);
    if (row != nullptr && !row->IsNameEmpty()) {
        SetProfile(mSelected, row->GetName());
        named = true;
        SelectProfile(mSelected);
    } else {
        if (row != nullptr) {
            SetProfile(mSelected, "");
        }
        SelectProfile(-1);
    }
    ShowButton(mMenuButton, named);
    ShowButton(mDeleteButton, named);
    ShowButton(mPlayButton, named);
}

void PlayerSelectMenu::CommitName() {
    SetNote("");
    ProfileNameWidget* row = GetRow(mSelected);
    // Typing a named row down to nothing is a slip, not a deletion: hours of progress go only
    // through the Delete button and its question. The row takes its profile's name back.
    if (const ProfileRecord* record = GetProfileRecord(mSelected);
        row != nullptr && row->IsNameEmpty() && record != nullptr && !record->mName.empty()) {
        row->RestoreName(record->mName);
    }
    if (ButtonWidget* ok = GetRowOkButton(mSelected)) {
        ok->SetVisible(false);
    }
    if (mManager != nullptr) {
        mManager->SetFocus(this);
    }
    RefreshSelection();
    if (row == nullptr) {
        return;
    }
    if (!row->IsNameEmpty()) {
        if (auto* app = dynamic_cast<GameApp*>(gApp)) {
            app->mCurrentPlayerName = row->GetName();
        }
    } else {
        row->ResetLook();
        mSelected = -1;
    }
}

void PlayerSelectMenu::SelectRow(int i) {
    if (ProfileNameWidget* previous = GetRow(mSelected)) {
        previous->ResetLook();
        CommitName();
    }
    SetNote("");
    mSelected = i;
    ProfileNameWidget* row = GetRow(i);
    row->BeginEdit();
    if (!row->IsNameEmpty()) {
        if (auto* app = dynamic_cast<GameApp*>(gApp)) {
            app->mCurrentPlayerName = row->GetName();
        }
        if (mManager != nullptr) {
            mManager->SetFocus(this);
        }
        RefreshSelection();
    } else {
        if (mManager != nullptr) {
            mManager->SetFocus(row);
        }
        if (ButtonWidget* ok = GetRowOkButton(i)) {
            ok->SetVisible(true);
        }
        RefreshSelection();
    }
}

void PlayerSelectMenu::DeleteSelectedProfile() {
    if (ProfileNameWidget* row = GetRow(mSelected)) {
        row->SetNameEmpty(true);
        row->ResetLook();
    }
    RefreshSelection();
    mSelected = -1;
    // The saved selection must not point at the emptied slot: the next start would take the
    // player for a new one while the other players' progress is still stored.
    for (int i = 0; i < kRows; ++i) {
        const ProfileNameWidget* row = GetRow(i);
        if (row != nullptr && !row->IsNameEmpty()) {
            SelectRow(i);
            return;
        }
    }
    DeselectProfile();
}

void PlayerSelectMenu::Leave() {
    if (mLeft) {
        return;
    }
    mLeft = true;
    SetDeviceWord();
    OpenMainMenu();
    MarkForRemoval();
}

void PlayerSelectMenu::LeaveByEscape() {
    if (mLeft || mRows[0] == nullptr) {
        return;
    }
    // Escape cancels: a name being typed is dropped, and the page keeps the name it holds.
    if (ProfileNameWidget* row = GetRow(mSelected)) {
        const ProfileRecord* record = GetProfileRecord(mSelected);
        row->RestoreName(record != nullptr ? record->mName : std::string());
    }
    const ProfileNameWidget* selected = GetRow(mSelected);
    if (selected == nullptr || selected->IsNameEmpty()) {
        // Back to the player the game still holds, else the first one listed.
        int back = -1;
        if (const ProfileNameWidget* current = GetRow(GetSelectedProfile());
            current != nullptr && !current->IsNameEmpty()) {
            back = GetSelectedProfile();
        }
        for (int i = 0; i < kRows && back < 0; ++i) {
            back = GetRow(i)->IsNameEmpty() ? -1 : i;
        }
        if (back >= 0) {
            SelectRow(back);
        }
    }
    if (const ProfileNameWidget* row = GetRow(mSelected); row != nullptr && !row->IsNameEmpty()) {
        Leave();
        return;
    }
    // No player at all: the game cannot go on without one, so the first free page is named (or
    // the page being named asks again).
    if (mSelected < 0) {
        SelectRow(0);
    } else {
        GetRow(mSelected)->BeginEdit();
    }
    SetNote("name_needed");
}

void PlayerSelectMenu::KeyChar(char c) {
    Menu::KeyChar(c);
    if (c == kEscape) {
        LeaveByEscape();
    }
}

void PlayerSelectMenu::ButtonDepress(uint32_t id) {
    Menu::ButtonDepress(id);
    if (IsButton(mMenuButton, id)) {
        Leave();
        return;
    }
    if (IsButton(mDeleteButton, id)) {
        if (ProfileNameWidget* row = GetRow(mSelected)) {
            OpenConfirmDelete(row->GetName(), this);
        }
        return;
    }
    if (IsButton(mPlayButton, id)) {
        SetDeviceWord();
        MarkForRemoval();
        OpenMainMenu();
        return;
    }
    for (int i = 0; i < kRows; ++i) {
        if (IsButton(mOkButtons[static_cast<size_t>(i)], id)) {
            CommitName();
            return;
        }
        if (IsButton(mRows[static_cast<size_t>(i)], id)) {
            if (i != mSelected) {
                SelectRow(i);
            }
            return;
        }
    }
}
