#include "game/screens/LevelCompleteMenu.h"

#include <algorithm>

#include "core/expr/NamedConstants.h"
#include "game/data/MyLocalization.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/ProgressRules.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/NoticeMenu.h"
#include "widgets/WidgetContainer.h"
#include "widgets/script/AnimationCommand.h"

namespace {

// The tutorial set of the main game chains its puzzles into the first story set.
constexpr const char* kChainGame = "pelnora7";

std::string CompleteScript(const PuzzleId& id) {
    if (id.mMode >= 1) {
        return "level_complete_extra";
    }
    if (id.mSet == 0 && id.mIndex < GetConstantValue("puzzles_with_journal").AsInt()) {
        return "level_complete_first";
    }
    return "level_complete";
}

}  // namespace

LevelCompleteMenu::LevelCompleteMenu(const std::string& gameName, const PuzzleId& id, int seconds,
                                     int mistakes, int hints, Widget* artGrid, bool firstCompletion)
    : LevelStatusMenu(CompleteScript(id), gameName, id, seconds, mistakes, hints),
      mFirstCompletion(firstCompletion),
      mChain(gameName == kChainGame && id.mMode == 0 && id.mSet == 0) {
    const SetRecord* setRecord = GetSetRecord(gameName, id.mMode, id.mSet);
    const std::string setName = setRecord != nullptr ? setRecord->mName : std::string();
    std::string info;
    if (const std::vector<std::string>* names = FindLocalizedPuzzleNames(setName);
        names != nullptr && id.mIndex >= 0 && id.mIndex < static_cast<int>(names->size())) {
        info = LocalizedTexts::Lookup((*names)[static_cast<size_t>(id.mIndex)]);
    }
    VariableTable& vars = GetVariables();
    vars.Set("puzzle_info", ExprValue::FromString(info));
    vars.Set("set_name", ExprValue::FromString(setName.empty() ? std::string()
                                                               : LocalizedTexts::Lookup(setName)));
    vars.Set("game_name", ExprValue::FromString(gameName));
    // The page and the picture stand on the set's background, over the play screen they leave.
    vars.Set("c_backgroundname",
             ExprValue::FromString(setRecord != nullptr ? setRecord->mBackground : ""));

    if (artGrid != nullptr) {
        auto* holder = new DynamicWidget(0, 0, nullptr, 1.0f);
        holder->Resize(artGrid->mX, artGrid->mY, artGrid->mWidth, artGrid->mHeight);
        if (artGrid->mParent != nullptr) {
            // Out of the play screen, which is about to go, without being destroyed.
            const bool deletes = artGrid->mDeleteOnRemove;
            artGrid->mDeleteOnRemove = false;
            artGrid->mParent->RemoveWidget(artGrid);
            artGrid->mDeleteOnRemove = deletes;
        }
        artGrid->Move(0.0f, 0.0f);
        holder->AddWidget(artGrid);
        RegisterObject("art", holder);
    }

    if (mChain) {
        BookChain();
    } else {
        BookStars(mistakes, hints);
    }
    // The booking is a change of progress: on disk before the player decides where to go.
    SaveProfiles();
}

void LevelCompleteMenu::BookChain() {
    PlayerState* player = CurrentPlayer();
    if (player == nullptr) {
        return;
    }
    if (PuzzleProgress* solved = player->FindPuzzle(mId)) {
        solved->mCompleted = true;
    }
    mNextPuzzle = mId.mIndex + 1;
    player->mPuzzle = mNextPuzzle;
    const int puzzles = CountCatalogPuzzles(mGameName, mId.mMode, mId.mSet);
    if (mNextPuzzle < puzzles) {
        if (SetProgress* progress = player->FindSet(mId.mMode, mId.mSet)) {
            // A replayed tutorial never closes puzzles that are already open.
            progress->mUnlock = std::max(progress->mUnlock, mNextPuzzle + 1);
        }
        return;
    }
    // The tutorial set is done: the chain goes on into the next story set, when there is one.
    const int sets = CountCatalogSets(mGameName, mId.mMode);
    if (mId.mSet + 1 >= sets) {
        return;
    }
    mNextSet = mId.mSet + 1;
    if (SetProgress* next = player->FindSet(mId.mMode, mNextSet)) {
        next->mUnlock = std::max(next->mUnlock, 1);
    }
    player->mCurrentCountry = mNextSet;
}

void LevelCompleteMenu::BookStars(int mistakes, int hints) {
    PlayerState* player = CurrentPlayer();
    PuzzleProgress* stored = player != nullptr ? player->FindPuzzle(mId) : nullptr;
    VariableTable& vars = GetVariables();
    vars.Set("was_completed", ExprValue::FromBool(stored != nullptr && stored->mCompleted));
    vars.Set("was_without_hints", ExprValue::FromBool(stored != nullptr && stored->mWithoutHints));
    vars.Set("was_without_mistakes",
             ExprValue::FromBool(stored != nullptr && stored->mWithoutMistakes));
    vars.Set("without_hints", ExprValue::FromBool(hints == 0));
    vars.Set("without_mistakes", ExprValue::FromBool(mistakes == 0));
    vars.Set("is_completed", ExprValue::FromBool(mFirstCompletion));
    if (stored != nullptr) {
        stored->mWithoutHints = hints == 0;
        stored->mWithoutMistakes = mistakes == 0;
    }
}

CommandAnswer LevelCompleteMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand == "wait-for-art") {
        if (!mArtRevealStep) {
            return CommandAnswer::kHandled;
        }
        mWaitingForArt = true;
        SetRunState(kParked);
        return CommandAnswer::kStop;
    }
    return LevelStatusMenu::HandleCommand(command);
}

void LevelCompleteMenu::Update() {
    LevelStatusMenu::Update();
    if (!mWaitingForArt || GetRunState() != kParked) {
        return;
    }
    if (mArtRevealStep && !mArtRevealStep()) {
        return;
    }
    mWaitingForArt = false;
    RunCommands(true);
}

void LevelCompleteMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    std::string description;
    if (name == "hint_star_text") {
        description = "hint_star_description";
    } else if (name == "mistake_star_text") {
        description = "mistake_star_description";
    } else if (name == "complete_star_text") {
        description = "complete_star_description";
    } else if (name == "summary_shown") {
        SummaryShown();
        return;
    } else {
        LevelStatusMenu::OnEvent(name, parameter, object);
        return;
    }
    GetVariables().Set("star_text", ExprValue::FromString(LocalizedTexts::Lookup(description)));
    QueueAnimationRef("update_star_text");
}

void LevelCompleteMenu::AnimationEvent(uint32_t id, const std::string& message) {
    if (message == "summary_shown") {
        SummaryShown();
        return;
    }
    LevelStatusMenu::AnimationEvent(id, message);
}

bool LevelCompleteMenu::IsLastPuzzleOfSet() const {
    const PlayerState* player = CurrentPlayer();
    const SetProgress* progress =
        player != nullptr ? player->FindSet(mId.mMode, mId.mSet) : nullptr;
    return progress != nullptr && mId.mIndex == static_cast<int>(progress->mPuzzles.size()) - 1;
}

void LevelCompleteMenu::SummaryShown() {
    if (mSummaryDone) {
        return;
    }
    mSummaryDone = true;
    if (mChain || !mFirstCompletion || mId.mMode != 0 || !IsLastPuzzleOfSet()) {
        return;
    }
    const int setsBefore = GetConstantValue("sets_before_extra_puzzles").AsInt();
    PlayerState* player = CurrentPlayer();
    if (player == nullptr || !FinishingSetOpensBonus(mId.mMode, mId.mSet, setsBefore)) {
        return;
    }
    if (OpenFirstBonusSet(*player)) {
        SaveProfiles();
        ShowAsDialog(new NoticeMenu("unlocked_bonus", nullptr, "menu", 2));
    }
}

void LevelCompleteMenu::OnPrimary() {
    PlayerState* player = CurrentPlayer();
    if (mChain) {
        if (mNextSet >= 0) {
            if (player != nullptr) {
                player->mMode = mId.mMode;
                player->mCurrentCountry = mNextSet;
            }
            OpenSetLoading(-1);
        } else if (mNextPuzzle >= 0 &&
                   mNextPuzzle < CountCatalogPuzzles(mGameName, mId.mMode, mId.mSet)) {
            OpenPuzzleLoading(mGameName, {mId.mMode, mId.mSet, mNextPuzzle}, false);
        } else {
            OpenMainMenu();
        }
        return;
    }
    if (player != nullptr) {
        player->mMode = mId.mMode;
        player->mCurrentCountry = mId.mSet;
    }
    if (!mFirstCompletion || player == nullptr) {
        OpenSetLoading(-1);
        return;
    }
    if (PuzzleProgress* solved = player->FindPuzzle(mId)) {
        solved->mCompleted = true;
    }
    const int sets = CountSetsInMode(mGameName, mId.mMode);
    if (!IsLastPuzzleOfSet()) {
        // The selection screen books the puzzle and opens the next one.
        OpenPuzzleSelect(mGameName, mId.mMode, mId.mSet, mId.mIndex, 0);
        return;
    }
    if (mId.mSet + 1 < sets) {
        OpenNextSet(*player, mId.mMode, mId.mSet, sets);
    }
    SaveProfiles();
    const bool lastSet = mId.mSet + 1 >= sets;
    if (mId.mMode == 0) {
        if (lastSet) {
            OpenStoryFinal();
        } else {
            OpenMap(mGameName, false);
        }
    } else {
        OpenSelectSet(mGameName, 1, lastSet);
    }
}

void LevelCompleteMenu::OnSecondary() {
    OnPrimary();
}
