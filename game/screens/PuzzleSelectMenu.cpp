#include "game/screens/PuzzleSelectMenu.h"

#include <algorithm>
#include <cstdio>

#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/NamedConstants.h"
#include "game/board/PuzzleIcon.h"
#include "game/board/SmallArtGrid.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/ProgressRules.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "game/screens/ScreenTransition.h"
#include "graphics/assets/LocalizedTexts.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

namespace {

// The ink of the game's paper cards (#2b3350).
constexpr float kInk[3] = {43.0f / 255.0f, 51.0f / 255.0f, 80.0f / 255.0f};

uint32_t LiveId(Widget* widget) {
    return LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget);
}

}  // namespace

PuzzleSelectMenu::PuzzleSelectMenu(const std::string& gameName, int mode, int set,
                                   int finishedPuzzle, bool noTransition)
    : Menu(nullptr, false, false),
      mGameName(gameName),
      mMode(mode),
      mSet(set),
      mFinishedPuzzle(finishedPuzzle),
      mNoTransition(noTransition) {
    mShowThroughTransition = !noTransition;
    const PlayerState* player = CurrentPlayer();
    const int playerMode = player != nullptr ? player->mMode : mode;
    const int current = player != nullptr ? player->mCurrentCountry : set;
    const SetRecord* record = GetSetRecord(gameName, playerMode, current);
    VariableTable& vars = GetVariables();
    vars.Set("c_gamename", ExprValue::FromString(gameName));
    vars.Set("c_setname", ExprValue::FromString(record != nullptr ? record->mName : ""));
    vars.Set("c_backgroundname",
             ExprValue::FromString(record != nullptr ? record->mBackground : ""));
    vars.Set("c_mode", ExprValue::FromInt(playerMode));
    vars.Set("c_set_completed", ExprValue::FromBool(false));
    QueueAnimationRef(ModeWord() + "_puzzle_menu_" + gameName);
    QueueAnimationRef(ModeWord() + "_puzzle_select_" + gameName);
}

std::string PuzzleSelectMenu::ModeWord() const {
    const PlayerState* player = CurrentPlayer();
    const int mode = player != nullptr ? player->mMode : mMode;
    return mode >= 1 ? "bonus" : "story";
}

int PuzzleSelectMenu::PuzzleCount() const {
    return CountCatalogPuzzles(mGameName, mMode, mSet);
}

Widget* PuzzleSelectMenu::CreateTransition() {
    if (mNoTransition) {
        return Menu::CreateTransition();
    }
    return new ScreenTransition(this, "puzzle_select_transition");
}

// --- commands ---

CommandAnswer PuzzleSelectMenu::HandleCommand(const AnimationCommand& command) {
    const std::string& word = command.mCommand;
    if (word == "puzzle-button") {
        AddPuzzleButton(GetParamInt("id"), GetParamInt("x"), GetParamInt("y"),
                        GetParamInt("preview-x"), GetParamInt("preview-y"));
        return CommandAnswer::kHandled;
    }
    if (word == "create-preview") {
        CreatePreview();
        return CommandAnswer::kHandled;
    }
    if (word == "puzzle-loading-done") {
        PuzzleLoadingDone();
        return CommandAnswer::kHandled;
    }
    if (word == "set-puzzle-images") {
        SetPuzzleImages();
        return CommandAnswer::kHandled;
    }
    return Menu::HandleCommand(command);
}

void PuzzleSelectMenu::CreatePreview() {
    if (AnimationWidget* old = GetPreviewHolder()) {
        old->MarkForRemoval();
    }
    auto* holder =
        new AnimationWidget(GetParamInt("preview_x"), GetParamInt("preview_y"), nullptr, 1.0f);
    auto* name = new TextLabel("", GetParamInt("label_x"), GetParamInt("label_y"),
                               GetParamString("font_top"), 0, 0, 0, -1);
    auto* time = new TextLabel("", GetParamInt("time_x"), GetParamInt("time_y"),
                               GetParamString("font_bottom"), 0, 0, 0, -1);
    // Ink on the journal page the preview stands on.
    for (TextLabel* label : {name, time}) {
        label->SetNamedFloat("red", kInk[0]);
        label->SetNamedFloat("green", kInk[1]);
        label->SetNamedFloat("blue", kInk[2]);
        holder->AddWidget(label);
    }
    RegisterObject("ui_preview", holder);
    mPreviewHolderLiveId = LiveId(holder);
    mNameLabelLiveId = LiveId(name);
    mTimeLabelLiveId = LiveId(time);
}

void PuzzleSelectMenu::SetPuzzleImages() {
    mImageNames[kIncomplete] = GetParamString("incomplete-image-name");
    mImageNames[kComplete] = GetParamString("complete-image-name");
    mImageNames[kCurrent] = GetParamString("current-image-name");
    mImageNames[kFlash] = GetParamString("flash-image-name");
    for (const std::string& name : mImageNames) {
        if (LookupAssetTableA(name) == nullptr) {
            std::printf("WARNING:\nA puzzle image is missing, please check this.\n");
            mImageNames[kIncomplete] = "ui_Puzzle_Incomplete";
            mImageNames[kComplete] = "ui_Puzzle_Complete";
            mImageNames[kCurrent] = "ui_Puzzle_Current";
            mImageNames[kFlash] = "ui_Puzzle_Current";
            return;
        }
    }
}

void PuzzleSelectMenu::AddPuzzleButton(int puzzle, int x, int y, int previewX, int previewY) {
    Entry entry;
    ButtonWidget* button = nullptr;
    const PuzzleRecord* record =
        puzzle < mAvailable ? FindPuzzle(mGameName, {mMode, mSet, puzzle}) : nullptr;
    if (record != nullptr) {
        const PlayerState* player = CurrentPlayer();
        const PuzzleProgress* progress =
            player != nullptr ? player->FindPuzzle({mMode, mSet, puzzle}) : nullptr;
        entry.mCompleted = progress != nullptr && progress->mCompleted;
        entry.mLabel = FormatPuzzleLabel({mMode, mSet, puzzle});
        entry.mGridSize = record->GetGridSize();
        entry.mName = record->mName;
        auto* preview = new SmallArtGrid(*record, previewX, previewY, entry.mCompleted);
        preview->SetVisible(false);
        if (AnimationWidget* holder = GetPreviewHolder()) {
            holder->AddWidget(preview);
        } else {
            AddWidget(preview);
        }
        entry.mPreviewLiveId = LiveId(preview);
        if (entry.mCompleted) {
            button = new ButtonWidget(x, y, mImageNames[kComplete], "", false);
            button->AddWidget(new PuzzleIcon(button->mWidth / 2 + 1, button->mHeight / 2 + 1,
                                             *record, puzzle == mFinishedPuzzle));
            entry.mBestTime = progress->mBestTime;
            mLastCompleted = std::max(mLastCompleted, puzzle);
        } else {
            button = new ButtonWidget(x, y, mImageNames[kCurrent], "", false);
            entry.mBestTime = -1;
            mFirstOpen = std::min(mFirstOpen, puzzle);
        }
    } else {
        button = new ButtonWidget(x, y, mImageNames[kIncomplete], "", false);
        button->SetDisabled(true);
    }
    button->mScriptName = "puzzle_" + std::to_string(puzzle);
    AddWidget(button);
    button->SetButtonListener(this);
    entry.mButtonLiveId = LiveId(button);
    mEntries.push_back(std::move(entry));
}

// --- info and preview ---

AnimationWidget* PuzzleSelectMenu::GetPreviewHolder() const {
    return dynamic_cast<AnimationWidget*>(LiveObjectRegistry::ResolveWidget(mPreviewHolderLiveId));
}

AnimationWidget* PuzzleSelectMenu::GetInfoWidget() const {
    return dynamic_cast<AnimationWidget*>(LiveObjectRegistry::ResolveWidget(mInfoLiveId));
}

TextLabel* PuzzleSelectMenu::GetNameLabel() const {
    return dynamic_cast<TextLabel*>(LiveObjectRegistry::ResolveWidget(mNameLabelLiveId));
}

TextLabel* PuzzleSelectMenu::GetTimeLabel() const {
    return dynamic_cast<TextLabel*>(LiveObjectRegistry::ResolveWidget(mTimeLabelLiveId));
}

Widget* PuzzleSelectMenu::GetEntryButton(int i) const {
    if (i < 0 || i >= static_cast<int>(mEntries.size())) {
        return nullptr;
    }
    return LiveObjectRegistry::ResolveWidget(mEntries[static_cast<size_t>(i)].mButtonLiveId);
}

Widget* PuzzleSelectMenu::GetFlashWidget() const {
    return LiveObjectRegistry::ResolveWidget(mFlashLiveId);
}

void PuzzleSelectMenu::ShowPuzzleInfo(int i) {
    if (i < 0 || i >= static_cast<int>(mEntries.size())) {
        return;
    }
    TextLabel* name = GetNameLabel();
    TextLabel* time = GetTimeLabel();
    if (mShown >= 0 && mShown < static_cast<int>(mEntries.size()) && mShown != i) {
        const Entry& old = mEntries[static_cast<size_t>(mShown)];
        if (Widget* preview = LiveObjectRegistry::ResolveWidget(old.mPreviewLiveId)) {
            preview->SetVisible(false);
        }
    }
    if (name != nullptr) {
        name->SetText("");
    }
    if (time != nullptr) {
        time->SetText("");
    }
    const Entry& entry = mEntries[static_cast<size_t>(i)];
    if (Widget* preview = LiveObjectRegistry::ResolveWidget(entry.mPreviewLiveId)) {
        preview->SetVisible(true);
    }
    if (entry.mBestTime < 0) {
        if (name != nullptr) {
            name->SetText(LocalizedTexts::Lookup("exhibit_name_unbeaten"));
        }
        if (time != nullptr) {
            time->SetText(LocalizedTexts::Lookup("exhibit_time_unbeaten"));
        }
    } else {
        if (name != nullptr) {
            name->SetText(LocalizedTexts::Lookup(entry.mName));
        }
        if (time != nullptr) {
            time->SetText(
                FormatLocalized("exhibit_time", {entry.mBestTime / 60, entry.mBestTime % 60}));
        }
    }
    // The stars live on the info widget, which "display_preview" makes; before it nothing shows
    // them.
    if (AnimationWidget* info = GetInfoWidget()) {
        const PlayerState* player = CurrentPlayer();
        const PuzzleProgress* progress =
            player != nullptr ? player->FindPuzzle({mMode, mSet, i}) : nullptr;
        const SetRecord* record = GetSetRecord(mGameName, mMode, mSet);
        VariableTable& vars = info->GetVariables();
        vars.Set("c_setname", ExprValue::FromString(record != nullptr ? record->mName : ""));
        vars.Set("show_complete_star",
                 ExprValue::FromBool(progress != nullptr && progress->mCompleted));
        vars.Set("show_hint_star",
                 ExprValue::FromBool(progress != nullptr && progress->mWithoutHints));
        vars.Set("show_mistake_star",
                 ExprValue::FromBool(progress != nullptr && progress->mWithoutMistakes));
        info->QueueAnimationRef(ModeWord() + "_update_puzzle_select_stars_" + mGameName);
    }
    mShown = i;
}

bool PuzzleSelectMenu::Glows() const {
    return mFirstOpen >= 0 && mFirstOpen < static_cast<int>(mEntries.size()) &&
           mFirstOpen < mAvailable && !mEntries[static_cast<size_t>(mFirstOpen)].mCompleted &&
           GetEntryButton(mFirstOpen) != nullptr;
}

int PuzzleSelectMenu::RestingEntry() const {
    // The puzzle the glow invites to; with every open puzzle solved, the one just solved or else
    // the last one.
    return Glows() ? mFirstOpen : mFinishedPuzzle >= 0 ? mFinishedPuzzle : mLastCompleted;
}

void PuzzleSelectMenu::PuzzleLoadingDone() {
    const int shown = RestingEntry();
    if (shown >= 0 && shown < static_cast<int>(mEntries.size())) {
        ShowPuzzleInfo(shown);
    }
    if (!Glows()) {
        return;
    }
    const Widget* button = GetEntryButton(mFirstOpen);
    if (Widget* old = GetFlashWidget()) {
        old->MarkForRemoval();
    }
    auto* flash = new AnimationWidget(static_cast<int>(button->mX), static_cast<int>(button->mY),
                                      nullptr, 1.0f);
    std::string image = mImageNames[kFlash];
    if (image.empty()) {
        std::printf("mFlashImageName is empty, defaulting to ui_Puzzle_Current_Over\n");
        image = "ui_Puzzle_Current_Over";
    }
    flash->GetVariables().Set("c_flashimage", ExprValue::FromString(image));
    flash->PlayAnimationRef("new_puzzle_flash");
    AddWidget(flash);
    mFlashLiveId = LiveId(flash);
}

// --- booking and refreshing ---

void PuzzleSelectMenu::SetCurrentSet(int set) {
    mSet = set;
    PlayerState* player = CurrentPlayer();
    if (player == nullptr) {
        return;
    }
    if (mMode == 0) {
        player->mCurrentCountry = set;
    }
    mShown = -1;
    SetProgress* progress = player->FindSet(mMode, set);
    if (progress == nullptr) {
        mAvailable = 0;
        return;
    }
    const int count = PuzzleCount();
    if (set >= 0 && set < CountCatalogSets(mGameName, mMode)) {
        progress->mUnlock = std::min(progress->mUnlock, count);
        // A puzzle the catalogue could not read does not block the set: once open it counts as
        // done, and passing the set's last one finishes the set as solving it would (the next
        // set, the bonus rooms, and this screen's end-of-set steps).
        if (PassUnavailablePuzzles(*player, mMode, set,
                                   FindUnavailablePuzzles(mGameName, mMode, set))) {
            OpenNextSet(*player, mMode, set, CountCatalogSets(mGameName, mMode));
            if (FinishingSetOpensBonus(mMode, set,
                                       GetConstantValue("sets_before_extra_puzzles").AsInt())) {
                OpenFirstBonusSet(*player);
            }
            mCompletedSet = set;
            GetVariables().Set("c_set_completed", ExprValue::FromBool(true));
        }
    }
    mAvailable = progress->mUnlock;
    progress->mIntroduced = true;
}

void PuzzleSelectMenu::NoteFinishedSet() {
    if (mFinishedPuzzle < 0 || mFinishNoted) {
        return;
    }
    mFinishNoted = true;
    const PlayerState* player = CurrentPlayer();
    const PuzzleProgress* finished =
        player != nullptr ? player->FindPuzzle({mMode, mSet, mFinishedPuzzle}) : nullptr;
    if (finished != nullptr && finished->mCompleted && mFinishedPuzzle == PuzzleCount() - 1) {
        mCompletedSet = mSet;
        GetVariables().Set("c_set_completed", ExprValue::FromBool(true));
    }
}

void PuzzleSelectMenu::Refresh() {
    mLastCompleted = -1;
    mFirstOpen = PuzzleCount() - 1;
    SaveProfiles();
    // The refresh script places every button again: the old entries go first, or the screen
    // would hold two buttons per puzzle and the indices would no longer match.
    for (const Entry& entry : mEntries) {
        if (Widget* button = LiveObjectRegistry::ResolveWidget(entry.mButtonLiveId)) {
            button->MarkForRemoval();
        }
        if (Widget* preview = LiveObjectRegistry::ResolveWidget(entry.mPreviewLiveId)) {
            preview->MarkForRemoval();
        }
    }
    mEntries.clear();
    mShown = -1;
    if (Widget* flash = GetFlashWidget()) {
        flash->MarkForRemoval();
    }
    mFlashLiveId = 0;
    const SetRecord* record = GetSetRecord(mGameName, mMode, mSet);
    VariableTable& vars = GetVariables();
    vars.Set("c_setname", ExprValue::FromString(record != nullptr ? record->mName : ""));
    vars.Set("c_puzzlecount", ExprValue::FromInt(PuzzleCount()));
    QueueAnimationRef(ModeWord() + "_puzzle_menu_refresh_" + mGameName);
}

void PuzzleSelectMenu::DisplayPreview() {
    QueueAnimationRef(ModeWord() + "_load_preview_" + mGameName);
    NoteFinishedSet();
    if (GetInfoWidget() == nullptr) {
        auto* info = new AnimationWidget(0, 0, nullptr, 1.0f);
        AddWidget(info);
        mInfoLiveId = LiveId(info);
    }
    SetCurrentSet(mSet);
    Refresh();
}

// --- events ---

void PuzzleSelectMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "world_map") {
        if (mLeaving) {
            return;
        }
        mLeaving = true;
        if (ModeWord() == "bonus") {
            OpenSelectSet(mGameName, 1, false);
        } else {
            SnapshotScreen(false);
            OpenMapArriving(GetSnapshot(), "", "");
        }
        MarkForRemoval();
        return;
    }
    if (name == "display_preview") {
        DisplayPreview();
        return;
    }
    std::string textKey;
    if (name == "complete_star") {
        textKey = "star_complete_text";
    } else if (name == "hint_star") {
        textKey = "star_hint_text";
    } else if (name == "mistake_star") {
        textKey = "star_mistake_text";
    }
    if (!textKey.empty()) {
        GetVariables().Set("c_text", ExprValue::FromString(LocalizedTexts::Lookup(textKey)));
        QueueAnimationRef(ModeWord() + "_puzzle_select_star_text_" + mGameName);
        return;
    }
    if (name == "transition_complete" || name == "puzzle_animation_complete" ||
        name == "bring_puzzle_forward") {
        HandleScreenEvent(name);
        return;
    }
    Menu::OnEvent(name, parameter, object);
}

void PuzzleSelectMenu::AnimationEvent(uint32_t id, const std::string& message) {
    if (message == "transition_complete" || message == "puzzle_animation_complete" ||
        message == "bring_puzzle_forward") {
        HandleScreenEvent(message);
        return;
    }
    Menu::AnimationEvent(id, message);
}

void PuzzleSelectMenu::HandleScreenEvent(const std::string& message) {
    if (mLeaving) {
        return;
    }
    const bool lastStorySet =
        mMode == 0 && mCompletedSet == mSet && mSet == CountCatalogSets(mGameName, 0) - 1;
    if (message == "transition_complete") {
        if (lastStorySet) {
            mLeaving = true;
            OpenStoryFinal();
            MarkForRemoval();
            return;
        }
        Refresh();
        mFlagsAdd |= widgetflags::kMouse;
        return;
    }
    if (message == "puzzle_animation_complete") {
        if (mCompletedSet != mSet) {
            return;
        }
        mLeaving = true;
        if (lastStorySet) {
            // The story is over: the closing letter, not a map with nowhere left to go.
            OpenStoryFinal();
            MarkForRemoval();
            return;
        }
        const int sets = CountCatalogSets(mGameName, mMode);
        const int next = std::min(mSet + 1, sets - 1);
        if (PlayerState* player = CurrentPlayer()) {
            player->mCurrentCountry = next;
        }
        SnapshotScreen(false);
        if (mMode >= 1) {
            OpenSelectSet(mGameName, 1, false);
        } else {
            const SetRecord* finished = GetSetRecord(mGameName, mMode, mSet);
            OpenMapArriving(GetSnapshot(), finished != nullptr ? finished->mName : "",
                            CurrentGameName());
        }
        MarkForRemoval();
    }
    // "bring_puzzle_forward": this screen keeps no widget to raise, so it is ignored.
}

// --- buttons ---

int PuzzleSelectMenu::FindEntry(uint32_t widgetId) const {
    for (int i = 0; i < static_cast<int>(mEntries.size()); ++i) {
        const Widget* button = GetEntryButton(i);
        if (button != nullptr && button->mId == widgetId) {
            return i;
        }
    }
    return -1;
}

void PuzzleSelectMenu::ButtonDepress(uint32_t id) {
    const int i = FindEntry(id);
    if (i < 0) {
        Menu::ButtonDepress(id);
        return;
    }
    if (mLeaving) {
        return;
    }
    mLeaving = true;
    if (PlayerState* player = CurrentPlayer()) {
        player->mPuzzle = i;
    }
    OpenPuzzleLoading(mGameName, {mMode, mSet, i}, true);
    MarkForRemoval();
}

void PuzzleSelectMenu::ButtonMouseEnter(uint32_t id) {
    const int i = FindEntry(id);
    if (i < 0) {
        Menu::ButtonMouseEnter(id);
        return;
    }
    if (!mReady) {
        return;
    }
    if (auto* button = dynamic_cast<AnimationWidget*>(GetEntryButton(i))) {
        button->PlayAnimationRef(mEntries[static_cast<size_t>(i)].mCompleted
                                     ? "puzzle_mouse_over"
                                     : "puzzle_mouse_current_over");
    }
    ShowHoveredInfo(i);
}

void PuzzleSelectMenu::ShowHoveredInfo(int i) {
    if (i != mShown) {
        GetVariables().Set("c_text", ExprValue::FromString(""));
        QueueAnimationRef(ModeWord() + "_puzzle_select_star_text_" + mGameName);
        ShowPuzzleInfo(i);
    }
}

void PuzzleSelectMenu::ButtonMouseLeave(uint32_t id) {
    const int i = FindEntry(id);
    if (i < 0) {
        Menu::ButtonMouseLeave(id);
        return;
    }
    if (auto* button = dynamic_cast<AnimationWidget*>(GetEntryButton(i))) {
        button->PlayAnimationRef("puzzle_mouse_leave");
    }
    // The page goes back to the puzzle it shows at rest, so that it never names one puzzle while
    // the glow invites to another. Going straight to another button, that one's enter follows.
    const int resting = RestingEntry();
    if (mReady && !mLeaving && resting >= 0 && resting < static_cast<int>(mEntries.size())) {
        ShowHoveredInfo(resting);
    }
}

bool PuzzleSelectMenu::HasScheduledWork() const {
    return ScriptHasScheduledWork();
}
