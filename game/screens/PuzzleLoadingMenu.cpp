#include "game/screens/PuzzleLoadingMenu.h"

#include <cctype>
#include <cstdlib>

#include "game/board/BoardAssets.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/assets/AssetManager.h"
#include "widgets/NameLookups.h"

namespace {

// The board art comes per grid size ("Grid10_ipad", "G10TileSolid_ipad"): only the size being
// played is loaded. Names of the other sizes leave the set; other names stay.
void KeepGridSize(int size, AssetSet* names) {
    for (auto it = names->mImages.begin(); it != names->mImages.end();) {
        const std::string& name = *it;
        const size_t digits = name.rfind("Grid", 0) == 0 ? 4 : (name.rfind('G', 0) == 0 ? 1 : 0);
        const bool sized = digits > 0 && digits < name.size() &&
                           std::isdigit(static_cast<unsigned char>(name[digits])) != 0;
        if (sized && std::atoi(name.c_str() + digits) != size) {
            it = names->mImages.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

PuzzleLoadingMenu::PuzzleLoadingMenu(const std::string& game, const PuzzleId& id, bool showIntro)
    : mGame(game), mId(id), mShowIntro(showIntro) {
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mCurrentGameName = game;
        state->mMode = id.mMode;
    }
}

void PuzzleLoadingMenu::AddedToManager(WidgetManager* manager) {
    LoadingMenu::AddedToManager(manager);
    AssetSet names;
    AssetManager::Get().CollectAssetsMatching(CurrentDeviceWord(), &names);
    if (const PuzzleRecord* puzzle = FindPuzzle(mGame, mId)) {
        KeepGridSize(puzzle->GetGridSize(), &names);
    }
    // The set's background too: the desk's puzzles are reached from the tutorial question
    // without the set's loading screen, and play draws the background under the board.
    if (const SetRecord* record = GetSetRecord(mGame, mId.mMode, mId.mSet)) {
        AssetSet background;
        AssetManager::Get().CollectAssetsMatching(
            record->mBackground.empty() ? record->mName : record->mBackground, &background);
        AlsoLoad(background, "SetAssets");
    }
    StartLoading(names, "PlayAssets");
}

void PuzzleLoadingMenu::MoveOn() {
    PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr) {
        OpenPlayPuzzle(mGame, mId);
        return;
    }
    // The first story puzzles open on their intro panel, unless the player turned tips off.
    const int maxIntroSet = LookupConstant("max_intro_set");
    const int maxIntroPuzzle = LookupConstant("max_intro_puzzle");
    const bool early =
        mId.mSet < maxIntroSet || (mId.mSet == maxIntroSet && mId.mIndex < maxIntroPuzzle);
    if (mId.mMode == 0 && early && !state->mDisableTips && mShowIntro) {
        OpenLevelIntro(state->mCurrentGameName, {state->mMode, mId.mSet, mId.mIndex});
        return;
    }
    state->mMusicAlternation = (state->mMusicAlternation + 1) % 2;
    // The tutorial set always plays its first track.
    const int alternation = (mId.mSet == 0 && mId.mMode == 0) ? 0 : state->mMusicAlternation;
    if (const SetRecord* record =
            GetSetRecord(state->mCurrentGameName, state->mMode, state->mCurrentCountry)) {
        // PickMusic wraps the alternation into the set's list, so a set with one track (or
        // none) never reads past its end.
        const int pick = record->PickMusic(alternation);
        if (pick >= 0) {
            StartMusic(record->mMusicNames[static_cast<size_t>(pick)]);
        }
    }
    OpenPlayPuzzle(state->mCurrentGameName, {state->mMode, mId.mSet, mId.mIndex});
}
