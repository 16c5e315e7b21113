#include "game/screens/LevelStatusMenu.h"

#include "app/GameApp.h"
#include "core/expr/LiveObjectRegistry.h"
#include "game/data/PuzzleCatalog.h"
#include "game/screens/ScreenTexts.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

LevelStatusMenu::LevelStatusMenu(const std::string& scriptName, const std::string& gameName,
                                 const PuzzleId& id, int seconds, int mistakes, int hints)
    : Menu(nullptr, false, false), mGameName(gameName), mId(id) {
    DeclareNoUpdatesOfItsOwn(typeid(LevelStatusMenu));
    const PuzzleRecord* record = FindPuzzle(gameName, id);
    VariableTable& vars = GetVariables();
    vars.Set("puzzle_name", ExprValue::FromString(record != nullptr ? record->mName : ""));
    vars.Set("puzzle_time",
             ExprValue::FromString(FormatLocalized("complete_time", {seconds / 60, seconds % 60})));
    vars.Set("puzzle_mistakes",
             ExprValue::FromString(FormatLocalized("complete_mistakes", {mistakes})));
    vars.Set("puzzle_hints", ExprValue::FromString(FormatLocalized("complete_hints", {hints})));
    QueueAnimationRef(scriptName);
}

CommandAnswer LevelStatusMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand != "add-status-button") {
        return Menu::HandleCommand(command);
    }
    const int x = GetParamInt("x");
    const int y = GetParamInt("y");
    const std::string label = GetParamString("text");
    Widget* button = AddWidgetFromApp(this, x, y, label);
    if (button == nullptr) {
        // Without the application's factory the screen must still be leavable.
        button = AddButton(this, x, y, "button", label, true);
        button->Move(button->mX - static_cast<float>(button->mWidth / 2), button->mY);
    }
    // The game's factory centres its buttons on (x, y) itself.
    if (button != nullptr) {
        const uint32_t liveId =
            LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
        const std::string id = GetParamString("id");
        if (id == "ok") {
            mPrimaryLiveId = liveId;
        } else if (id == "quit") {
            mSecondaryLiveId = liveId;
        }
        if (auto* dynamic = dynamic_cast<DynamicWidget*>(button)) {
            dynamic->mScriptName = id;
            dynamic->SetButtonListener(this);
        }
    }
    return CommandAnswer::kHandled;
}

void LevelStatusMenu::ButtonDepress(uint32_t id) {
    Widget* primary = GetPrimaryButton();
    Widget* secondary = GetSecondaryButton();
    const bool isPrimary = primary != nullptr && primary->mId == id;
    const bool isSecondary = secondary != nullptr && secondary->mId == id;
    if (!isPrimary && !isSecondary) {
        Menu::ButtonDepress(id);
        return;
    }
    if (mResolved || mRemoved) {
        return;
    }
    mResolved = true;
    GameApp* app = App();
    if (app != nullptr) {
        app->CollectOpenMenus();
    }
    if (isPrimary) {
        OnPrimary();
    } else {
        OnSecondary();
    }
    // The collected menus (this one among them) are killed now; the table deletes them after the
    // current pass. Nothing below may touch this menu.
    if (app != nullptr) {
        app->KillCollectedMenus();
    }
}

Widget* LevelStatusMenu::GetPrimaryButton() const {
    return LiveObjectRegistry::ResolveWidget(mPrimaryLiveId);
}

Widget* LevelStatusMenu::GetSecondaryButton() const {
    return LiveObjectRegistry::ResolveWidget(mSecondaryLiveId);
}
