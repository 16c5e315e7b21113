#include "game/screens/LevelCompleteMenu.h"

#include <algorithm>

#include "core/expr/NamedConstants.h"
#include "game/data/MyLocalization.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/NoticeMenu.h"
#include "widgets/WidgetContainer.h"
#include "widgets/script/AnimationCommand.h"

namespace {

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

LevelCompleteMenu::LevelCompleteMenu(const FinishedPuzzle& solved, Widget* artGrid,
                                     const PuzzleBooking& booking)
    : LevelStatusMenu(CompleteScript(solved.mId), solved.mGame, solved.mId, solved.mSeconds,
                      solved.mMistakes, solved.mHintsUsed),
      mBooking(booking),
      mChain(IsTutorialPuzzle(solved.mGame, solved.mId)) {
    const std::string& gameName = solved.mGame;
    const PuzzleId& id = solved.mId;
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
        // The tutorial set leads puzzle by puzzle into the first story set.
        const int puzzles = CountCatalogPuzzles(gameName, id.mMode, id.mSet);
        if (id.mIndex + 1 < puzzles) {
            mNextPuzzle = id.mIndex + 1;
        } else if (id.mSet + 1 < CountCatalogSets(gameName, id.mMode)) {
            mNextSet = id.mSet + 1;
        }
    } else {
        SetStarVariables(solved);
    }
}

void LevelCompleteMenu::SetStarVariables(const FinishedPuzzle& solved) {
    const PuzzleProgress& before = mBooking.mBefore;
    VariableTable& vars = GetVariables();
    vars.Set("was_completed", ExprValue::FromBool(before.mCompleted));
    vars.Set("was_without_hints", ExprValue::FromBool(before.mWithoutHints));
    vars.Set("was_without_mistakes", ExprValue::FromBool(before.mWithoutMistakes));
    vars.Set("without_hints", ExprValue::FromBool(solved.mHintsUsed == 0));
    vars.Set("without_mistakes", ExprValue::FromBool(solved.mMistakes == 0));
    vars.Set("is_completed", ExprValue::FromBool(mBooking.mFirstCompletion));
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

bool LevelCompleteMenu::HasScheduledWork() const {
    // Parked for the picture's reveal, the script looks at rest, but the update drives it.
    return mWaitingForArt || ScriptHasScheduledWork();
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
    return mId.mIndex == CountCatalogPuzzles(mGameName, mId.mMode, mId.mSet) - 1;
}

void LevelCompleteMenu::SummaryShown() {
    if (mSummaryDone) {
        return;
    }
    mSummaryDone = true;
    if (mBooking.mOpenedBonus) {
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
        } else if (mNextPuzzle >= 0) {
            if (player != nullptr) {
                player->mPuzzle = mNextPuzzle;
            }
            ShowWithTransition(
                new PuzzleLoadingMenu(mGameName, {mId.mMode, mId.mSet, mNextPuzzle}, false));
        } else {
            OpenMainMenu();
        }
        return;
    }
    if (player != nullptr) {
        player->mMode = mId.mMode;
        player->mCurrentCountry = mId.mSet;
    }
    if (!mBooking.mFirstCompletion || player == nullptr) {
        OpenSetLoading(-1);
        return;
    }
    if (!IsLastPuzzleOfSet()) {
        // The selection shows the solved puzzle as new and the next one open.
        OpenPuzzleSelect(mGameName, mId.mMode, mId.mSet, mId.mIndex, 0);
        return;
    }
    const bool lastSet = mId.mSet + 1 >= CountSetsInMode(mGameName, mId.mMode);
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
