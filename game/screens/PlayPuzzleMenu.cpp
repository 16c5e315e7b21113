#include "game/screens/PlayPuzzleMenu.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/GameApp.h"
#include "core/expr/ExprValue.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/board/BoardAssets.h"
#include "game/board/HintMeter.h"
#include "game/board/MistakeMeter.h"
#include "game/board/PlayArtGrid.h"
#include "game/board/PlayTileGrid.h"
#include "game/board/TutorialGrid.h"
#include "game/data/MyLocalization.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleBooking.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/LocalizedTexts.h"
#include "rules/PlayModel.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

namespace {

constexpr const char* kDefaultScript = "default_play";
constexpr const char* kIntroScript = "play_intro";
constexpr const char* kDeveloperEnd = "hixomart";
constexpr int kTicksPerSecond = 100;
// Trails start on the board and end on the HUD's meters; above both they stay in sight for
// their whole flight (the layer is still the screen's first child among its equals).
constexpr int kTrailLayerOrder = 1;

// A layout constant of the device: base + n + "_" + device word ("timer_text_x_0_ipad").
int LayoutConstant(const std::string& base, int n) {
    return LookupConstant(base + std::to_string(n) + "_" + CurrentDeviceWord());
}

int ImageWidth(const std::string& name) {
    const Image* image = LookupAssetTableA(name);
    return image != nullptr ? image->GetCelWidth() : 0;
}

}  // namespace

std::string PlayPuzzleMenu::SceneScriptName(const std::string& game, int mode, int set) {
    const SetRecord* record = GetSetRecord(game, mode, set);
    if (set >= CountSetsInMode(game, mode) || record == nullptr) {
        return kDefaultScript;
    }
    const std::string name = record->mName + "_play_" + game;
    // A set without a scene of its own plays the default one rather than nothing.
    return ContainsNamedEntry(name) ? name : kDefaultScript;
}

std::string PlayPuzzleMenu::FormatTime(int ticks) {
    const int minutes = ticks / (kTicksPerSecond * 60);
    const int seconds = (ticks / kTicksPerSecond) % 60;
    return CheckedFormat(LocalizedTexts::Lookup("puzzle_time"), {minutes, seconds});
}

PlayPuzzleMenu::PlayPuzzleMenu(const std::string& game, const PuzzleId& id)
    : Menu(SceneScriptName(game, id.mMode, id.mSet)),
      mGame(game),
      mId(id),
      mFirstSet(game == kDefaultGameName && id.mMode == 0 && id.mSet == 0) {
    auto* trails = new DynamicWidget(0, 0, nullptr, 1.0f);
    trails->mZOrder = kTrailLayerOrder;
    AddWidget(trails);
    mTrailLayer.Set(trails);
    const PlayerState* state = GetCurrentPlayerState();
    const int progress = state != nullptr ? state->CountCompletedPuzzles(id.mMode, id.mSet) : 0;
    GetVariables().Set("progress", ExprValue::FromInt(progress));
}

PlayPuzzleMenu::~PlayPuzzleMenu() {
    SaveProfiles();
}

bool PlayPuzzleMenu::ToggleMode() const {
    const PlayerState* state = GetCurrentPlayerState();
    return state != nullptr && state->mToggleMode;
}

ButtonWidget* PlayPuzzleMenu::GetToolButton(size_t index) const {
    return index < mTools.size() ? mTools[index].button.Get() : nullptr;
}

std::string PlayPuzzleMenu::GetToolLabelText(size_t index) const {
    const TextLabel* label = index < mTools.size() ? mTools[index].label.Get() : nullptr;
    return label != nullptr ? label->GetText() : std::string();
}

// --- scripts ---

void PlayPuzzleMenu::OnScriptEnd() {
    Menu::OnScriptEnd();
    if (mState == kSceneScript) {
        mNoHints = mFirstSet && mId.mIndex < LookupConstant("puzzles_without_hints");
        const PuzzleRecord* record = FindPuzzle(mGame, mId);
        mSize = record != nullptr ? record->GetGridSize() : 0;
        const PlayerState* state = GetCurrentPlayerState();
        const SetRecord* set = GetSetRecord(mGame, mId.mMode, mId.mSet);
        const std::string setName = set != nullptr ? set->mName : std::string();
        const PuzzleProgress* done = state != nullptr ? state->FindPuzzle(mId) : nullptr;
        VariableTable& vars = GetVariables();
        vars.Set("c_device", ExprValue::FromString(CurrentDeviceWord()));
        vars.Set("c_width", ExprValue::FromInt(mWidth));
        vars.Set("c_height", ExprValue::FromInt(mHeight));
        vars.Set("c_setname", ExprValue::FromString(LocalizedTexts::Lookup(setName)));
        vars.Set("c_puzzlename",
                 ExprValue::FromString(
                     done != nullptr && done->mCompleted
                         ? LocalizedTexts::Lookup(GetLocalizedPuzzleName(setName, mId.mIndex))
                         : std::string("???")));
        vars.Set("c_time", ExprValue::FromString(FormatTime(mTimer)));
        mState = kBoardScript;
        PlayAnimationRef("play_puzzle_menu_" + CurrentDeviceWord());
        return;
    }
    if (mState == kBoardScript) {
        for (Widget* widget : LiveHud()) {
            widget->SetVisible(true);
        }
        mState = kPlaying;
        if (PlayTileGrid* grid = mGrid.Get()) {
            grid->OnResume();
        }
    }
}

void PlayPuzzleMenu::OnAnimationFinished() {
    // A script the table lacks: the screen goes on as if it had ended, so play still starts.
    LogWarning("Play screen: a script of state %d is missing from the script table", mState);
    OnScriptEnd();
}

CommandAnswer PlayPuzzleMenu::HandleCommand(const AnimationCommand& command) {
    if (mState != kBoardScript) {
        return Menu::HandleCommand(command);
    }
    const std::string& word = command.mCommand;
    PlayTileGrid* grid = mGrid.Get();
    if (word == "finish-init") {
        FinishInit(GetParamInt("x"), GetParamInt("y"), GetParamInt("mX"), GetParamInt("mY"));
        return CommandAnswer::kHandled;
    }
    if (word == "init-grid-holes") {
        if (grid != nullptr) {
            grid->ResolveEmptyLines();
        }
        return CommandAnswer::kHandled;
    }
    if (word == "add-grid") {
        if (grid != nullptr) {
            const float offset =
                mSize == 15 ? static_cast<float>(LookupConstant("dim15_offset")) : 0.0f;
            AddPicture({grid}, GetParamFloat("x") + offset, GetParamFloat("y"),
                       GetParamFloatOr("opacity", 1.0f), FindParamText("id"));
        }
        return CommandAnswer::kHandled;
    }
    if (word == "add-hud") {
        AddPicture(LiveHud(), GetParamFloat("x"), GetParamFloat("y"),
                   GetParamFloatOr("opacity", 1.0f), FindParamText("id"));
        return CommandAnswer::kHandled;
    }
    if (word == "show-grid") {
        if (grid != nullptr) {
            grid->SetVisible(true);
        }
        return CommandAnswer::kHandled;
    }
    if (word == "enable-grid") {
        if (grid != nullptr) {
            grid->SetDisabled(false);
        }
        return CommandAnswer::kHandled;
    }
    if (word == "show-numbers") {
        if (grid != nullptr) {
            grid->CreateClueNumbers();
        }
        return CommandAnswer::kHandled;
    }
    if (word == "wait-for-numbers") {
        SetRunState(kParked);
        return CommandAnswer::kStop;
    }
    return Menu::HandleCommand(command);
}

void PlayPuzzleMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (name == "options") {
        // Once the rules have decided, the end screen is what comes next: a restart or a way out
        // now would skip the steps that follow a solve (the next set's opening, the closing
        // letter) after the solve has moved the player's place on.
        if (!HasGridEnded()) {
            OpenOptions(mGame, "playing", mId.mMode, mId.mSet);
        }
        return;
    }
    Menu::OnEvent(name, parameter, object);
}

// --- building the board ---

void PlayPuzzleMenu::QueueHud(Widget* widget) {
    widget->SetVisible(false);
    AddWidget(widget);
    mHud.emplace_back(widget);
}

std::vector<Widget*> PlayPuzzleMenu::LiveHud() const {
    std::vector<Widget*> live;
    for (const WeakWidget<Widget>& entry : mHud) {
        if (Widget* widget = entry.Get()) {
            live.push_back(widget);
        }
    }
    return live;
}

void PlayPuzzleMenu::ReportMissingImages() {
    std::vector<std::string> problems = CheckGridImages(mSize);
    const std::string device = CurrentDeviceWord();
    for (const std::string& name : {"hud_back_" + device, GridImageName("Grid%d_V_%s", mSize)}) {
        if (LookupAssetTableA(name) == nullptr) {
            problems.push_back(
                StrFormat("Grid size %d: image \"%s\" is missing", mSize, name.c_str()));
        }
    }
    if (problems.empty()) {
        return;
    }
    std::string text =
        StrFormat("The play screen of puzzle %d of set %d (mode %d) lacks images:", mId.mIndex,
                  mId.mSet, mId.mMode);
    for (const std::string& problem : problems) {
        LogWarning("Play screen: %s", problem.c_str());
        text += "\n" + problem;
    }
    if (gApp != nullptr) {
        gApp->ShowErrorOrLog(gApp->mTitle, text);
    }
}

void PlayPuzzleMenu::FinishInit(int x, int y, int mX, int mY) {
    if (mGrid.Get() != nullptr) {
        return;
    }
    ReportMissingImages();
    const std::string device = CurrentDeviceWord();

    auto* timer = new TextLabel(FormatTime(mTimer), LayoutConstant("timer_text_x_", x),
                                LayoutConstant("timer_text_y_", y), "hud_text", 0, 0, 0, 0);
    QueueHud(timer);
    mTimerLabel.Set(timer);

    const int startingHints = mNoHints ? 0 : LookupConstant("starting_hints");
    auto* hints = new HintMeter(LayoutConstant("hint_meter_x_", x),
                                LayoutConstant("hint_meter_y_", y), 240, 120, mSize, startingHints);
    hints->SetHost(this);
    QueueHud(hints);
    mHintMeter.Set(hints);

    auto* mistakes = new MistakeMeter(LayoutConstant("mistake_meter_x_", x),
                                      LayoutConstant("mistake_meter_y_", y), 240, 200, mSize);
    QueueHud(mistakes);
    mMistakeMeter.Set(mistakes);

    const bool markTool = !(mFirstSet && mId.mIndex < LookupConstant("puzzles_without_shovel"));
    mTools.resize(markTool ? 2 : 1);
    const auto makeTool = [&](size_t index, const char* type, const char* cursor, const char* text,
                              const std::string& side) {
        auto* button = new ButtonWidget(LayoutConstant(side + "_click_x_", mX),
                                        LayoutConstant(side + "_click_y_", mY), type, "", false);
        button->Move(button->mX - static_cast<float>(button->mWidth / 2), button->mY);
        auto* label =
            new TextLabel(LocalizedTexts::Lookup(text), LayoutConstant(side + "_click_text_x_", mX),
                          LayoutConstant(side + "_click_text_y_", mY), "hud_text2", 0, 0, 0, 0);
        QueueHud(button);
        QueueHud(label);
        mTools[index].button.Set(button);
        mTools[index].label.Set(label);
        mTools[index].cursorScript = cursor;
    };
    if (markTool) {
        makeTool(1, "mark_tool_btn", "shovelcursor", "puzzle_right_click", "right");
    }
    makeTool(0, "tile_tool_btn", "brushcursor", "puzzle_left_click", "left");

    PlayTileGrid* grid = nullptr;
    if (mFirstSet && mId.mIndex < LookupConstant("tutorials")) {
        grid = new TutorialGrid(mGame, mId);
    } else {
        grid = new PlayTileGrid(mGame, mId);
    }
    grid->SetHost(this);
    AddWidget(grid);
    mGrid.Set(grid);
    SelectTool(0);

    // The board stands right of the HUD column, centred in the room the row clues leave.
    const int hudWidth = ImageWidth("hud_back_" + device);
    const int clueWidth = ImageWidth(GridImageName("Grid%d_V_%s", mSize));
    const int margin = (mWidth - grid->mWidth - hudWidth - clueWidth) / 2;
    const int gridX = margin > 0 ? margin + clueWidth + hudWidth : mWidth - grid->mWidth;
    grid->Move(static_cast<float>(gridX), grid->mY);

    grid->SetMeters(hints, mistakes);
    grid->SetVisible(false);

    Widget* cursors[2] = {nullptr, nullptr};
    for (size_t i = 0; i < mTools.size(); ++i) {
        auto* cursor = new AnimationWidget(mTools[i].cursorScript, 0, 0, false);
        cursor->SetVisible(false);
        AddWidget(cursor);
        cursors[i] = cursor;
    }
    grid->SetCursorWidgets(cursors[0], cursors[1]);
    if (mTools.size() == 1) {
        grid->SetRightClickOff(true);
    }

    GetVariables().Set("c_device", ExprValue::FromString(device));
    PlayAnimationRef(kIntroScript);
}

void PlayPuzzleMenu::AddPicture(const std::vector<Widget*>& widgets, float x, float y,
                                float opacity, const std::string& id) {
    auto picture = std::make_unique<ImageSurface>(true);
    picture->Create(mWidth, mHeight);
    {
        Graphics g(picture.get());
        for (Widget* widget : widgets) {
            Graphics at(g);
            at.Translate(widget->mX, widget->mY);
            WidgetFlagState state;
            widget->DrawAll(state, &at);
        }
    }
    auto* shown = new DynamicWidget(0, 0, nullptr, opacity);
    shown->SetOwnImageCopy(std::move(picture));
    shown->Move(x, y);
    if (id.empty()) {
        AddWidget(shown);
    } else {
        RegisterObject(id, shown);
    }
}

void PlayPuzzleMenu::FadeOutWidgets(const std::vector<Widget*>& widgets) {
    std::vector<Widget*> mine;
    for (Widget* widget : widgets) {
        if (widget != nullptr && HasChild(widget)) {
            mine.push_back(widget);
        }
    }
    if (mine.empty()) {
        return;
    }
    auto picture = std::make_unique<ImageSurface>(true);
    picture->Create(mWidth, mHeight);
    {
        Graphics g(picture.get());
        for (Widget* widget : mine) {
            if (!widget->mVisible) {
                continue;
            }
            Graphics at(g);
            at.Translate(widget->mX, widget->mY);
            WidgetFlagState state;
            widget->DrawAll(state, &at);
        }
    }
    auto* frozen = new DynamicWidget(0, 0, nullptr, 1.0f);
    frozen->SetOwnImageCopy(std::move(picture));
    AddWidget(frozen);
    // In the place of the lowest of them, so what stood above them stays above.
    MoveChildBefore(frozen, mine.front());
    for (Widget* widget : mine) {
        widget->MarkForRemoval();
    }
}

// --- tools ---

void PlayPuzzleMenu::SelectTool(int n) {
    if (mTools.empty()) {
        return;
    }
    mCurrentTool = n;
    const bool toggle = ToggleMode();
    for (size_t i = 0; i < mTools.size(); ++i) {
        if (ButtonWidget* button = mTools[i].button.Get()) {
            button->SetDisabled(false);
            button->mMouseVisible = toggle;
        }
        if (toggle) {
            if (TextLabel* label = mTools[i].label.Get()) {
                label->SetText("");
            }
        }
    }
    const size_t current = static_cast<size_t>(n) < mTools.size() ? static_cast<size_t>(n) : 0;
    if (ButtonWidget* button = mTools[current].button.Get()) {
        // The disabled look is the tool in use.
        button->SetDisabled(true);
    }
    if (!toggle) {
        if (TextLabel* label = mTools[0].label.Get()) {
            label->SetText(LocalizedTexts::Lookup("puzzle_left_click"));
        }
        if (mTools.size() > 1) {
            if (TextLabel* label = mTools[1].label.Get()) {
                label->SetText(LocalizedTexts::Lookup("puzzle_right_click"));
            }
        }
    } else if (TextLabel* label = mTools[current].label.Get()) {
        label->SetText(LocalizedTexts::Lookup("puzzle_left_click"));
    }
    if (PlayTileGrid* grid = mGrid.Get()) {
        grid->SetTool(n != 0 ? 1 : 0);
    }
    ShowToolLegends();
}

void PlayPuzzleMenu::ShowToolLegends() {
    // With the toggle off both tools are in use at once, each on its mouse button, and the
    // buttons cannot be pressed: a legend, both drawn alike in the in-use look. Lit and unlit
    // tell the tool in use apart only with the toggle on, where one tool is chosen.
    if (ToggleMode()) {
        return;
    }
    for (const ToolEntry& tool : mTools) {
        if (ButtonWidget* button = tool.button.Get()) {
            button->SetDisabled(true);
        }
    }
}

void PlayPuzzleMenu::NextTool() {
    if (mTools.empty()) {
        return;
    }
    const int before = mCurrentTool;
    SelectTool((mCurrentTool + 1) % static_cast<int>(mTools.size()));
    // The right button and the space bar change tools without a button press to hear.
    auto* app = dynamic_cast<GameApp*>(gApp);
    if (mCurrentTool != before && app != nullptr) {
        app->PlaySoundEffectByName("tool_switch");
    }
}

void PlayPuzzleMenu::ButtonPress(uint32_t id) {
    for (size_t i = 0; i < mTools.size(); ++i) {
        ButtonWidget* button = mTools[i].button.Get();
        if (button != nullptr && button->mId == id) {
            SelectTool(static_cast<int>(i));
            return;
        }
    }
    Menu::ButtonPress(id);
}

void PlayPuzzleMenu::ClearToolHighlights() {
    for (const ToolEntry& tool : mTools) {
        if (ButtonWidget* button = tool.button.Get()) {
            button->mMouseVisible = false;
        }
    }
    if (HintMeter* meter = mHintMeter.Get()) {
        meter->mMouseVisible = false;
    }
    DisablePauseButton();
    // The grid has just ended: a solve is booked now, not when its tiles have finished turning,
    // so a game closed meanwhile keeps it.
    if (const PlayTileGrid* grid = mGrid.Get();
        grid != nullptr && grid->GetModel().GetState() == PlayModel::State::kSolved) {
        BookSolve();
    }
}

bool PlayPuzzleMenu::IsClockRunning() const {
    // A notice or dialog over the board takes the active place, and the board cannot be played
    // under it; the tutorial's board plays on under them, but its clock waits all the same. Its
    // tips never take the active place: the board is played with them up.
    GameApp* app = App();
    return app == nullptr || app->GetActiveMenu() == this;
}

bool PlayPuzzleMenu::HasGridEnded() const {
    if (mState > kPlaying) {
        return true;
    }
    const PlayTileGrid* grid = mGrid.Get();
    return grid != nullptr && grid->GetModel().GetState() != PlayModel::State::kPlaying;
}

void PlayPuzzleMenu::DisablePauseButton() {
    // The result panel answers from now on; the HUD's way to the pause menu must not look
    // ready for a click it no longer takes.
    if (const ExprValue* pause = GetVariables().Find("pause_btn")) {
        if (Widget* button = pause->AsObject()) {
            button->SetDisabled(true);
        }
    }
}

WidgetContainer* PlayPuzzleMenu::GetTrailLayer() {
    return mTrailLayer.Get();
}

bool PlayPuzzleMenu::UseHintAt(int x, int y, int count) {
    PlayTileGrid* grid = mGrid.Get();
    return grid != nullptr && grid->RevealHintTiles(x, y, count) > 0;
}

// --- the end ---

bool PlayPuzzleMenu::IsOutcomeShown() {
    PlayTileGrid* grid = mGrid.Get();
    if (grid == nullptr) {
        return true;
    }
    const PlayModel::State outcome = grid->GetModel().GetState();
    if (outcome == PlayModel::State::kPlaying || grid->HasTileAnimations()) {
        return false;
    }
    // A loss shows once the last mistake's trail has reached the meter.
    return outcome == PlayModel::State::kSolved || grid->IsLost();
}

PuzzleResult PlayPuzzleMenu::MakeResult() const {
    const PlayTileGrid* grid = mGrid.Get();
    const HintMeter* hints = mHintMeter.Get();
    PuzzleResult result;
    result.mGame = mGame;
    result.mId = mId;
    result.mSeconds = mTimer / kTicksPerSecond;
    result.mMistakes = grid != nullptr ? grid->GetModel().GetMistakes() : 0;
    result.mHintsUsed = hints != nullptr ? hints->GetBulbs().GetHintsUsed() : 0;
    return result;
}

void PlayPuzzleMenu::BookSolve() {
    if (mBooked || mState != kPlaying) {
        return;
    }
    mBooked = true;
    mSolvedResult = MakeResult();
    mBooking = BookSolvedPuzzle(mSolvedResult);
}

void PlayPuzzleMenu::EndPuzzle() {
    PlayTileGrid* grid = mGrid.Get();
    if (mState != kPlaying || grid == nullptr) {
        return;
    }
    // The rules decide, and a loss wins over a last tile found by the same mistake.
    const bool lost = grid->GetModel().GetState() == PlayModel::State::kLost;
    if (lost) {
        grid->StartMistakeExplosion();
    } else {
        grid->StartFadeTimer();
    }
    // Read before the meters are let go. A solve was booked when the rules said so (the developer
    // code's is booked here), with the time it took.
    if (!lost) {
        BookSolve();
    }
    const PuzzleResult result = lost ? MakeResult() : mSolvedResult;
    SetPausesWhenInactive(false);
    grid->SetDisabled(true);
    grid->SetMeters(nullptr, nullptr);
    FadeOutWidgets(LiveHud());
    DisablePauseButton();
    if (lost) {
        mState = kLost;
        return;
    }

    mState = kSolved;
    if (auto* app = dynamic_cast<GameApp*>(gApp)) {
        app->PlaySoundEffectByName(StrFormat("reveal%d", mSize));
    }
    const PuzzleRecord* record = FindPuzzle(mGame, mId);
    PlayArtGrid* art = nullptr;
    if (record != nullptr) {
        art = new PlayArtGrid(*record, grid);
        AddWidget(art);
        mArtGrid.Set(art);
        // The catalogue is filled before play and read-only since; the flag is the record's.
        const_cast<PuzzleRecord*>(record)->mTested = true;
    }
    OpenLevelComplete(result, art, mBooking);
}

void PlayPuzzleMenu::AddExplosionTile(DynamicWidget* tile, float targetX, float targetY,
                                      int ticks) {
    if (tile == nullptr) {
        return;
    }
    AddWidget(tile);
    mFallingTiles.insert(tile->mId);
    tile->JumpTo(targetX, static_cast<int>(targetY), -50, -150, ticks);
    tile->SetRemoveWhenDone(true);
}

void PlayPuzzleMenu::RemoveWidget(Widget* widget) {
    Menu::RemoveWidget(widget);
    if (widget != nullptr && mFallingTiles.erase(widget->mId) != 0 && mFallingTiles.empty()) {
        FailPuzzle();
    }
}

void PlayPuzzleMenu::FailPuzzle() {
    // The collapse reports once it has thrown its tiles, and the last tile to land reports
    // again: the fail screen opens once, when nothing is falling. A screen that has left the
    // manager opens nothing: the exit takes the screens down with their tiles still falling.
    if (mFailShown || mState != kLost || !mFallingTiles.empty() || mManager == nullptr ||
        mRemoved) {
        return;
    }
    mFailShown = true;
    OpenLevelFail(MakeResult());
    if (PlayTileGrid* grid = mGrid.Get()) {
        FadeOutWidgets({grid});
    }
    mState = kFinished;
}

// --- the tick ---

bool PlayPuzzleMenu::HasScheduledWork() const {
    const PlayTileGrid* grid = mGrid.Get();
    // Under its end screens the board only waits, with its script, once the picture is whole.
    if ((mState == kFinished || mState == kLost) && GetRunState() != kParked) {
        return ScriptHasScheduledWork();
    }
    if (mState != kPlaying || GetRunState() == kParked || grid == nullptr ||
        grid->GetModel().GetSolidLeft() == 0 || grid->HasTileAnimations() ||
        grid->GetModel().GetMistakes() >= grid->GetModel().GetAllowedMistakes()) {
        return true;
    }
    return ScriptHasScheduledWork();
}

void PlayPuzzleMenu::Update() {
    Menu::Update();
    PlayTileGrid* grid = mGrid.Get();
    if (GetRunState() == kParked) {
        if (grid == nullptr || !grid->mDisabled) {
            RunCommands(true);
        }
        return;
    }
    if (mState == kPlaying && grid != nullptr) {
        const int action = grid->GetModel().GetAction();
        const bool revealLook = action == PlayModel::kReveal ||
                                (action == PlayModel::kNoAction && grid->GetTool() == 0);
        // Only a chosen tool lights up; without the toggle both stay alike.
        if (ToggleMode() && revealLook != mRevealLook) {
            mRevealLook = revealLook;
            if (ButtonWidget* reveal = GetToolButton(0)) {
                reveal->SetDisabled(revealLook);
            }
            if (ButtonWidget* mark = GetToolButton(1)) {
                mark->SetDisabled(!revealLook);
            }
        }
        // The end screens wait for the last tile and trail of the ending stroke; the clock stops
        // at the solve, whose time is booked.
        if (grid->GetModel().GetState() == PlayModel::State::kSolved) {
            BookSolve();
        }
        if (!IsOutcomeShown()) {
            if (!mBooked && IsClockRunning() && ++mTimer % kTicksPerSecond == 0) {
                if (TextLabel* label = mTimerLabel.Get()) {
                    label->SetText(FormatTime(mTimer));
                }
            }
        } else {
            EndPuzzle();
        }
        return;
    }
    if (mState == kSolved) {
        PlayArtGrid* art = mArtGrid.Get();
        if (art == nullptr || art->StepArtReveal()) {
            if (grid != nullptr) {
                FadeOutWidgets({grid});
            }
            mState = kFinished;
        }
    }
}

void PlayPuzzleMenu::Draw(Graphics* g) {
    (void)g;
    if (mState == kPlaying) {
        QueueDeferredDraw(0);
    }
}

void PlayPuzzleMenu::GotFocus() {
    Menu::GotFocus();
    if (mState == kPlaying) {
        SelectTool(ToggleMode() ? mCurrentTool : 0);
    } else if (mState == kSolved || mState == kLost) {
        SetPausesWhenInactive(false);
    }
}

void PlayPuzzleMenu::KeyChar(char c) {
    Menu::KeyChar(c);
    if (ToggleMode() && c == ' ') {
        NextTool();
    }
    if (mState == kPlaying && GetTypedChars() == kDeveloperEnd) {
        EndPuzzle();
    }
}

void PlayPuzzleMenu::MouseDown(int x, int y, int clickCount) {
    Menu::MouseDown(x, y, clickCount);
    if (ToggleMode() && clickCount < 0) {
        NextTool();
    }
}
