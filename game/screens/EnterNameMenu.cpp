#include "game/screens/EnterNameMenu.h"

#include <algorithm>

#include "app/GameApp.h"
#include "core/expr/NamedConstants.h"
#include "core/util/Log.h"
#include "game/data/ProfileManager.h"
#include "game/screens/MyTitleScreen.h"
#include "game/screens/NameRule.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/EditWidget.h"

namespace {

constexpr int kKeyEnter = 13;
constexpr int kNameBoxWidth = 200;
constexpr int kNameBoxHeight = 35;
// The box writes its text 4 pixels in and scrolls once the text reaches 8 short of its width;
// the caret past the last letter needs 2 more.
constexpr int kNameBoxRoom = 8 + 3;
constexpr float kQuestionY = 75.0f;
// The line that says why a key or OK did nothing: under the question, above the box, clear of
// the OK button below it.
constexpr float kNoteY = 112.0f;

int ConstantInt(const char* name) {
    return GetConstantValue(name).AsInt();
}

// The question and the name are written on the paper card, in its ink.
Color PaperInk() {
    return Color(ConstantInt("paper_ink_red"), ConstantInt("paper_ink_green"),
                 ConstantInt("paper_ink_blue"));
}

// Wide enough for the widest name the rule allows (ten of the widest letter), never narrower than
// the card's box was drawn for.
int NameBoxWidth(Font* font) {
    if (font == nullptr) {
        return kNameBoxWidth;
    }
    int widest = 0;
    for (char c = 'A'; c <= 'z'; ++c) {
        if (NameAllowsChar(c)) {
            widest = std::max(widest, font->StringWidth(std::string(kMaxProfileNameLength, c)));
        }
    }
    return std::max(kNameBoxWidth, widest + kNameBoxRoom);
}

}  // namespace

EnterNameMenu::EnterNameMenu(MyTitleScreen* title)
    : Menu(LookupAssetTableA("EnterName"), true, true), mTitle(title) {
    DeclareNoUpdatesOfItsOwn(typeid(EnterNameMenu));
    mNameBox = new EditWidget(this);
    Font* font = Fonts::Find("normal15");
    mNameBox->SetFont(font, false);
    mNameBox->SetColor(0, Color(0, 0, 0, 0));
    mNameBox->SetColor(1, Color(0, 0, 0, 0));
    mNameBox->SetColor(2, PaperInk());
    mNameBox->SetColor(
        3, Color(ConstantInt("enter_name_highlight_red"), ConstantInt("enter_name_highlight_green"),
                 ConstantInt("enter_name_highlight_blue")));
    mNameBox->SetColor(4, Color(255, 255, 255));
    const float x = static_cast<float>(static_cast<int>(GetConstantValue("nametextx").AsReal()));
    const float y = static_cast<float>(static_cast<int>(GetConstantValue("nametexty").AsReal()));
    // The constants place a box of the drawn width; a wider one keeps the same centre.
    const int width = NameBoxWidth(font);
    mNameBox->Resize(x - static_cast<float>((width - kNameBoxWidth) / 2), y, width, kNameBoxHeight);
    mNameBox->SetVisible(true);
    AddWidget(mNameBox);

    mOkButton = AddButton(this, ConstantInt("nameCheckx"), ConstantInt("nameChecky"),
                          "enter_name_btn", "", false);
    mOkButton->Move(mOkButton->mX - static_cast<float>(mOkButton->mWidth / 2), mOkButton->mY);
    mOkButton->SetButtonListener(this);
    if (IsBookFull()) {
        mNote = "book_full";
    }
}

bool EnterNameMenu::IsBookFull() {
    return AreProfilesLoaded() && !HasSlotForNewProfile();
}

void EnterNameMenu::AddedToManager(WidgetManager* manager) {
    Menu::AddedToManager(manager);
    if (mManager == manager && mNameBox != nullptr) {
        manager->SetFocus(mNameBox);
    }
}

void EnterNameMenu::Draw(Graphics* g) {
    Menu::Draw(g);
    Font* font = Fonts::Find("normal17");
    if (font == nullptr) {
        return;
    }
    g->SetFont(font);
    g->SetColor(PaperInk());
    g->WriteString(LocalizedTexts::Lookup("enter_your_name"), 0.0f, kQuestionY, mWidth, 0);
    Font* small = Fonts::Find("small");
    if (!mNote.empty() && small != nullptr) {
        g->SetFont(small);
        g->WriteString(LocalizedTexts::Lookup(mNote), 0.0f, kNoteY, mWidth, 0);
    }
}

void EnterNameMenu::ShowNote(const char* key) {
    // While every page is taken the card keeps saying so: that is why OK leads to the book.
    if (mNote != key && mNote != "book_full") {
        mNote = key;
        MarkDirty();
    }
}

void EnterNameMenu::ButtonDepress(uint32_t id) {
    Menu::ButtonDepress(id);
    if (mOkButton != nullptr && id == mOkButton->mId) {
        Commit();
    }
}

bool EnterNameMenu::AllowChar(uint32_t id, char c) {
    if (mNameBox == nullptr || id != mNameBox->mId) {
        return true;
    }
    // Only the kind of character here: where it lands (a paste, the caret moved to the start)
    // shows in the whole text, which AllowText judges.
    if (NameAllowsChar(c)) {
        return true;
    }
    // A refused key or pasted character says why, rather than doing nothing.
    ShowNote("name_rule");
    return false;
}

bool EnterNameMenu::AllowText(uint32_t id, const std::string& text) {
    if (mNameBox == nullptr || id != mNameBox->mId || NameAcceptsText(text)) {
        return true;
    }
    ShowNote("name_rule");
    return false;
}

bool EnterNameMenu::AllowKey(uint32_t id, int key) {
    if (mNameBox == nullptr || id != mNameBox->mId || key != kKeyEnter) {
        return true;
    }
    // Consumed only when it acted; an empty name lets Enter pass on (it does nothing).
    return !Commit();
}

bool EnterNameMenu::Commit() {
    if (mCommitted || mNameBox == nullptr) {
        return false;
    }
    if (IsBookFull()) {
        // No page can take a new name (all eight hold a player's progress) and none is chosen:
        // the profile screen is where a player chooses a page or frees one.
        mCommitted = true;
        HandOver();
        OpenInPlaceOfAll(&OpenPlayerSelect);
        return true;
    }
    if (mNameBox->GetText().empty()) {
        ShowNote("name_needed");
        return false;
    }
    const std::string name = mNameBox->GetText();
    if (AddProfile(name) < 0) {
        // Only before the profile list was read: the play button does not exist then.
        LogWarning("The profile \"%s\" could not be made: the profile list is not loaded",
                   name.c_str());
        return false;
    }
    mCommitted = true;
    HandOver();
    return true;
}

void EnterNameMenu::HandOver() {
    MarkForRemoval();
    if (MyTitleScreen* title = mTitle.Get()) {
        title->CloseThroughApp();
    } else if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        // Opened without a title screen (a test, or the title already gone): the same hand-over.
        app->LoadingComplete();
    }
}
