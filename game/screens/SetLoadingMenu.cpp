#include "game/screens/SetLoadingMenu.h"

#include "app/QuorAppBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/assets/AssetManager.h"

namespace {

const SetRecord* CurrentSetRecord() {
    const PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr) {
        return nullptr;
    }
    return GetSetRecord(state->mCurrentGameName, state->mMode, state->mCurrentCountry);
}

}  // namespace

SetLoadingMenu::SetLoadingMenu(int setArgument) : mSetArgument(setArgument) {}

void SetLoadingMenu::AddedToManager(WidgetManager* manager) {
    LoadingMenu::AddedToManager(manager);
    const SetRecord* record = CurrentSetRecord();
    if (record == nullptr) {
        const PlayerState* state = GetCurrentPlayerState();
        const std::string text =
            state == nullptr
                ? std::string("No player is selected, so there is no set to load.")
                : StrFormat("The set table has no set %d of mode %d for the game \"%s\".",
                            state->mCurrentCountry, state->mMode, state->mCurrentGameName.c_str());
        LogWarning("Set loading: %s", text.c_str());
        if (gApp != nullptr) {
            gApp->ShowErrorOrLog(gApp->mTitle, text);
        }
        mFailed = true;
        return;
    }
    AssetSet names;
    AssetManager::Get().CollectAssetsMatching(
        record->mBackground.empty() ? record->mName : record->mBackground, &names);
    StartLoading(names, "SetAssets");
}

void SetLoadingMenu::MoveOn() {
    const PlayerState* state = GetCurrentPlayerState();
    const SetRecord* record = CurrentSetRecord();
    if (mFailed || state == nullptr || record == nullptr) {
        OpenMainMenu();
        return;
    }
    const int pick = record->PickMusic(state->mMusicAlternation);
    if (pick >= 0) {
        StartMusic(record->mMusicNames[static_cast<size_t>(pick)]);
    }
    OpenPuzzleSelect(state->mCurrentGameName, state->mMode, state->mCurrentCountry, -1, 0);
}
