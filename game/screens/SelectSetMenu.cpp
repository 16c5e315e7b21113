#include "game/screens/SelectSetMenu.h"

#include <algorithm>

#include "core/expr/LiveObjectRegistry.h"
#include "game/data/PlayerState.h"
#include "game/data/ProgressRules.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "menus/NoticeMenu.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

SelectSetMenu::SelectSetMenu(const std::string& gameName, int mode, bool allDone)
    : Menu("select_set_" + gameName), mGameName(gameName), mMode(mode) {
    DeclareNoUpdatesOfItsOwn(typeid(SelectSetMenu));
    if (const PlayerState* player = CurrentPlayer()) {
        mCompletedStorySets = player->CountCompletedSets(0);
    }
    GetVariables().Set("bonus_complete", ExprValue::FromBool(allDone));
}

CommandAnswer SelectSetMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand == "set-info") {
        mInfoX = GetParamIntOr("x", mInfoX);
        mInfoY = GetParamIntOr("y", mInfoY);
        mInfoWidth = GetParamIntOr("width", mInfoWidth);
        if (HasParam("font")) {
            mInfoFont = GetParamString("font");
        }
        return CommandAnswer::kHandled;
    }
    if (command.mCommand == "set-column") {
        PlaceColumn();
        return CommandAnswer::kHandled;
    }
    return Menu::HandleCommand(command);
}

void SelectSetMenu::PlaceColumn() {
    const PlayerState* player = CurrentPlayer();
    const int start = static_cast<int>(mSetButtons.size());
    const int progressSets = player != nullptr ? static_cast<int>(player->mProgress[1].size()) : 0;
    const int limit = std::min(progressSets, CountCatalogSets(mGameName, 1));
    std::string fontName = HasParam("font") ? GetParamString("font") : std::string();
    Font* font = Fonts::Find(fontName);
    if (font == nullptr) {
        font = Fonts::Find("tiny");
    }
    const std::string image = GetParamString("menu_button");
    const int x = GetParamInt("x");
    const int y = GetParamInt("y");
    const int spacing = GetParamInt("spacing");
    const int sets = GetParamInt("sets");
    for (int k = 0; k < sets && start + k < limit; ++k) {
        const int set = start + k;
        auto* button = new ButtonWidget(x, y + k * spacing, image, "", false);
        button->Move(button->mX - static_cast<float>(button->mWidth / 2), button->mY);
        const SetRecord* record = GetSetRecord(mGameName, 1, set);
        const std::string setName = record != nullptr ? record->mName : std::string();
        button->SetLabel(LocalizedTexts::Lookup(setName + "_short"));
        for (int state = 0; state < 4; ++state) {
            button->SetStateVisual(font, state);
        }
        button->mScriptName = "set_" + std::to_string(set);
        AddWidget(button);
        button->SetButtonListener(this);
        mSetButtons.push_back(
            LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button));
        if (player == nullptr || !IsSetOpen(*player, 1, set)) {
            button->SetDisabled(true);
            // Found under the pointer it would hide the menu beneath, which tells what the set
            // still needs.
            button->mMouseVisible = false;
        }
    }
}

Widget* SelectSetMenu::GetSetButton(int i) const {
    if (i < 0 || i >= static_cast<int>(mSetButtons.size())) {
        return nullptr;
    }
    return LiveObjectRegistry::ResolveWidget(mSetButtons[static_cast<size_t>(i)]);
}

int SelectSetMenu::FindSetIndex(uint32_t widgetId) const {
    for (int i = 0; i < static_cast<int>(mSetButtons.size()); ++i) {
        const Widget* button = GetSetButton(i);
        if (button != nullptr && button->mId == widgetId) {
            return i;
        }
    }
    return -1;
}

void SelectSetMenu::RebuildInfoText() {
    const PlayerState* player = CurrentPlayer();
    const SetRecord* record = GetSetRecord(mGameName, 1, mHovered);
    if (player == nullptr || record == nullptr) {
        return;
    }
    if (IsSetOpen(*player, 1, mHovered)) {
        mInfoText =
            FormatLocalized("bonus_set_info", {LocalizedTexts::Lookup(record->mName),
                                               player->CountCompletedPuzzles(1, mHovered),
                                               CountCatalogPuzzles(mGameName, 1, mHovered)});
        return;
    }
    const int need = record->mUnlock - mCompletedStorySets;
    if (need >= 2) {
        mInfoText = FormatLocalized("bonus_set_locked_plural", {need});
    } else if (need == 1) {
        mInfoText = LocalizedTexts::Lookup("bonus_set_locked_singular");
    } else if (mHovered > 0) {
        // Enough places, yet locked: a room opens when the one before it is finished. Keeping
        // the last text would put another room's progress under this one.
        mInfoText = LocalizedTexts::Lookup("bonus_set_locked_previous");
    } else {
        mInfoText.clear();
    }
}

void SelectSetMenu::ButtonMouseEnter(uint32_t id) {
    const int set = FindSetIndex(id);
    if (set < 0) {
        Menu::ButtonMouseEnter(id);
        return;
    }
    HoverSet(set);
}

void SelectSetMenu::HoverSet(int set) {
    mHovered = set;
    RebuildInfoText();
    MarkDirty();
}

void SelectSetMenu::MouseMove(int x, int y) {
    Menu::MouseMove(x, y);
    for (int i = 0; i < static_cast<int>(mSetButtons.size()); ++i) {
        const Widget* button = GetSetButton(i);
        if (button == nullptr || !button->mDisabled || !button->mVisible || i == mHovered) {
            continue;
        }
        const FRect local =
            button->ToLocalRect(FRect(static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f));
        if (button->Contains(local.mX, local.mY)) {
            HoverSet(i);
            return;
        }
    }
}

void SelectSetMenu::ButtonDepress(uint32_t id) {
    const int set = FindSetIndex(id);
    if (set < 0) {
        Menu::ButtonDepress(id);
        return;
    }
    if (mLeaving) {
        return;
    }
    mLeaving = true;
    mHovered = set;
    if (PlayerState* player = CurrentPlayer()) {
        player->mCurrentCountry = set;
        player->mMode = mMode;
        player->mMusicAlternation = 0;
    }
    OpenSetLoading(-1);
    MarkForRemoval();
}

void SelectSetMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "main_menu") {
        if (!mLeaving) {
            mLeaving = true;
            OpenMainMenu();
            MarkForRemoval();
        }
        return;
    }
    if (name == "summary_shown") {
        ShowAsDialog(new NoticeMenu("completed_bonus", nullptr, "menu", 2));
        return;
    }
    Menu::OnEvent(name, parameter, object);
}

void SelectSetMenu::Draw(Graphics* g) {
    Menu::Draw(g);
    if (mHovered >= 0) {
        QueueDeferredDraw(0);
    }
}

void SelectSetMenu::DrawOverlay(Graphics* g) {
    if (mHovered < 0 || mInfoText.empty()) {
        return;
    }
    Font* font = Fonts::Find(mInfoFont);
    if (font == nullptr) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Color(255, 255, 255));
    g->DrawStringWordWrapped(Rect(mInfoX - mInfoWidth / 2, mInfoY, mInfoWidth, mHeight), mInfoText);
}
