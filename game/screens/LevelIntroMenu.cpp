#include "game/screens/LevelIntroMenu.h"

#include "core/expr/LiveObjectRegistry.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "graphics/Image.h"
#include "widgets/NameLookups.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/script/AnimationCommand.h"
#include "widgets/script/AnimationTable.h"

LevelIntroMenu::LevelIntroMenu(const std::string& gameName, const PuzzleId& id)
    : Menu(nullptr, false, false), mGameName(gameName), mId(id) {
    DeclareNoUpdatesOfItsOwn(typeid(LevelIntroMenu));
}

std::string LevelIntroMenu::ScriptName(int set, int puzzle) {
    return StrFormat("intro_%d_%d", set + 1, puzzle + 1);
}

void LevelIntroMenu::AddedToManager(WidgetManager* manager) {
    const PlayerState* player = CurrentPlayer();
    GetVariables().Set("c_device",
                       ExprValue::FromString(player != nullptr ? player->mDeviceWord : ""));
    // The panel stands on the set's background, which the puzzle's loading screen brought in.
    const SetRecord* record = GetSetRecord(mGameName, mId.mMode, mId.mSet);
    GetVariables().Set("c_backgroundname",
                       ExprValue::FromString(record != nullptr ? record->mBackground : ""));
    const std::string script = ScriptName(mId.mSet, mId.mIndex);
    const bool hasScript = AnimationTable::Get().Lookup(script) != nullptr;
    if (hasScript) {
        QueueAnimationRef(script);
    }
    // The menu's own step too: without it the panel would never join the menu list or take the
    // focus, and would sit suspended under the screen it covers.
    Menu::AddedToManager(manager);
    if (!hasScript && mManager == manager) {
        LeadOn();
    }
}

CommandAnswer LevelIntroMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand != "checkbox") {
        return Menu::HandleCommand(command);
    }
    auto* box = new Checkbox(LookupAssetTableA("Checkbox"), LookupAssetTableA("Checkbox_hover"),
                             LookupAssetTableA("Checkbox_checked"),
                             LookupAssetTableA("Checkbox_Checked_hover"), this);
    const PlayerState* player = CurrentPlayer();
    box->SetChecked(player != nullptr && player->mDisableTips, false);
    // The box draws its images itself; its size for the pointer comes from the plain one.
    Image* image = box->mUncheckedImage;
    box->Resize(static_cast<float>(GetParamInt("x")), static_cast<float>(GetParamInt("y")),
                image != nullptr ? image->GetCelWidth() : 0,
                image != nullptr ? image->GetCelHeight() : 0);
    AddWidget(box);
    mCheckboxLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, box);
    return CommandAnswer::kHandled;
}

Checkbox* LevelIntroMenu::GetCheckbox() const {
    return dynamic_cast<Checkbox*>(LiveObjectRegistry::ResolveWidget(mCheckboxLiveId));
}

void LevelIntroMenu::CheckboxChanged(uint32_t id, bool checked) {
    const Checkbox* box = GetCheckbox();
    if (box == nullptr || box->mId != id) {
        return;
    }
    if (PlayerState* player = CurrentPlayer()) {
        player->mDisableTips = checked;
        SaveProfiles();
    }
}

void LevelIntroMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "ok") {
        LeadOn();
    }
    Menu::OnEvent(name, parameter, object);
}

void LevelIntroMenu::OnAnimationFinished() {
    LeadOn();
}

void LevelIntroMenu::OnScriptEnd() {
    LeadOn();
}

void LevelIntroMenu::LeadOn() {
    // "ok", the end of the script and the removal may all come; one loading screen only.
    if (mDone) {
        return;
    }
    mDone = true;
    OpenPuzzleLoading(mGameName, mId, false);
    MarkForRemoval();
}
