#include "game/board/TutorialGrid.h"

#include <algorithm>
#include <cstdlib>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/board/BoardAssets.h"
#include "game/board/PlayGridHost.h"
#include "game/board/TutorialPopups.h"
#include "graphics/Graphics.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/MenuInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/HyperlinkWidget.h"
#include "widgets/script/AnimationCommand.h"
#include "widgets/script/ScriptParams.h"
#include "widgets/script/ScriptText.h"

TutorialGrid::TutorialGrid(const std::string& game, const PuzzleId& id)
    : PlayTileGrid(game, id),
      mScriptName(StrFormat("tutorial_%d", id.mIndex + 1)),
      mSteps(static_cast<size_t>(mSize * mSize)) {}

TutorialGrid::~TutorialGrid() = default;

const TutorialGrid::StepCell& TutorialGrid::GetStepCell(int a, int b) const {
    static const StepCell none;
    if (!GetModel().IsInside(a, b)) {
        return none;
    }
    return mSteps[static_cast<size_t>(a * mSize + b)];
}

bool TutorialGrid::IsClueHighlighted(int kind, int line, int index) const {
    auto it = mClueHighlights.find({kind, line, index});
    return it != mClueHighlights.end() && it->second;
}

HyperlinkWidget* TutorialGrid::GetLink(const std::string& id) const {
    auto it = mLinks.find(id);
    return it != mLinks.end() ? it->second.widget.Get() : nullptr;
}

// --- start and end of the script ---

void TutorialGrid::SetPausesWhenInactive(bool pauses) {
    MenuInterface* menu = dynamic_cast<MenuInterface*>(GetParent());
    if (menu == nullptr) {
        menu = GetOwningMenu();
    }
    if (menu != nullptr) {
        menu->SetPausesWhenInactive(pauses);
    }
}

void TutorialGrid::OnResume() {
    SetDisabled(false);
    // Popups and notices open over the screen while the tutorial goes on.
    SetPausesWhenInactive(false);
    if (!ContainsNamedEntry(mScriptName)) {
        // Without its script the puzzle would refuse every cell.
        LogWarning("Tutorial script \"%s\" is missing: the puzzle is played freely",
                   mScriptName.c_str());
        Hold();
        return;
    }
    PlayAnimationRef(mScriptName);
}

void TutorialGrid::Hold() {
    mWait = Wait::kNone;
    // The script's last tip stays up while the board plays on; its OK only closes it.
    const TutorialPopupHooks& hooks = GetTutorialPopupHooks();
    if (Widget* popup = mPopup.Get(); popup != nullptr && hooks.enableOk != nullptr) {
        hooks.enableOk(popup);
    }
    if (mFreePlay) {
        return;
    }
    mFreePlay = true;
    SetPausesWhenInactive(true);
    MarkDirty();
}

void TutorialGrid::OnScriptEnd() {
    PlayTileGrid::OnScriptEnd();
    Hold();
}

void TutorialGrid::OnAnimationFinished() {
    Hold();
}

void TutorialGrid::Resume() {
    mWait = Wait::kNone;
    mResumeReady = false;
    mHintFinishedStep = false;
    RunCommands(true);
}

// --- checking strokes ---

bool TutorialGrid::IsActionAllowed(int a, int b, int bit) {
    if ((GetModel().GetAction() & bit) == 0 || !GetModel().IsInside(a, b)) {
        return false;
    }
    StepCell& step = Step(a, b);
    const bool stepWants = (step.action & bit) != 0;
    // A hint's own reveal always lands: the hint has already chosen its cell.
    if (!mHintRevealing && !mFreePlay && !stepWants) {
        return false;
    }
    if (stepWants && mRemaining > 0) {
        --mRemaining;
    }
    return true;
}

bool TutorialGrid::MayHintReveal(int a, int b) const {
    return mFreePlay || (GetStepCell(a, b).action & PlayModel::kReveal) != 0;
}

void TutorialGrid::OnStroke(int startA, int startB, int endA, int endB, int stepA, int stepB) {
    const int action = GetModel().GetAction();
    int count = 0;
    int a = startA, b = startB;
    for (;;) {
        ++count;
        if (GetModel().IsInside(a, b) && !GetModel().IsResolved(a, b) && !mFreePlay &&
            (Step(a, b).action & action) == 0) {
            ShowBoardNotice(Step(a, b).action == 0 ? "blank_tile" : "incorrect_tile", "menu");
            return;
        }
        if ((a == endA && b == endB) || (stepA == 0 && stepB == 0)) {
            break;
        }
        a += stepA;
        b += stepB;
    }
    if (!(mAllMode && count < mRemaining)) {
        mResumeReady = mRemaining > 0;
    }
}

void TutorialGrid::OnStrokeEnded() {
    if ((mResumeReady || mHintFinishedStep) && mRemaining == 0 && mWait == Wait::kTiles) {
        Resume();
    }
}

void TutorialGrid::AnimationEnded(uint32_t id) {
    const bool hintReveal = mHintRevealTrails.count(id) != 0;
    mHintRevealing = hintReveal;
    PlayTileGrid::AnimationEnded(id);
    mHintRevealing = false;
    // A hint's reveal that does the step's last cell lets the script go on as a stroke would;
    // during a held stroke the stroke's end does it.
    if (hintReveal && mHintRevealTrails.count(id) == 0 && mRemaining == 0 &&
        mWait == Wait::kTiles) {
        mHintFinishedStep = true;
        if (GetModel().GetAction() == PlayModel::kNoAction) {
            Resume();
        }
    }
}

// --- the script's commands ---

CommandAnswer TutorialGrid::HandleCommand(const AnimationCommand& command) {
    const CommandAnswer answer = RunCommand(command);
    if (answer != CommandAnswer::kNotHandled) {
        return answer;
    }
    return PlayTileGrid::HandleCommand(command);
}

CommandAnswer TutorialGrid::RunCommand(const AnimationCommand& command) {
    const std::string& word = command.mCommand;
    if (word == "reveal") {
        return AddSteps(command, PlayModel::kReveal);
    }
    if (word == "mark") {
        return AddSteps(command, PlayModel::kMark);
    }
    if (word == "do-tiles") {
        // A step whose cells were all done already (or never named a new cell) goes on.
        if (mRemaining <= 0) {
            return CommandAnswer::kHandled;
        }
        mWait = Wait::kTiles;
        return CommandAnswer::kStop;
    }
    if (word == "clear-tiles") {
        std::fill(mSteps.begin(), mSteps.end(), StepCell());
        mRemaining = 0;
        mFlashGroups = 2;
        MarkDirty();
        return CommandAnswer::kHandled;
    }
    if (word == "set-flash-groups") {
        ScriptParams p(&command, &GetEvaluator());
        // At least one group, so the flash counter always has a period to run through.
        mFlashGroups = std::max(1, p.GetInt("count"));
        mFlashCounter %= mFlashGroups * 100;
        return CommandAnswer::kHandled;
    }
    if (word == "highlight" || word == "unhighlight") {
        return SetHighlight(command, word == "highlight");
    }
    if (word == "popup") {
        return ShowPopup(command);
    }
    if (word == "ok") {
        const TutorialPopupHooks& hooks = GetTutorialPopupHooks();
        Widget* popup = mPopup.Get();
        if (popup == nullptr) {
            LogWarning("Tutorial \"%s\": \"ok\" without a popup", mScriptName.c_str());
            return CommandAnswer::kHandled;
        }
        if (hooks.enableOk != nullptr) {
            hooks.enableOk(popup);
        }
        mWait = Wait::kOk;
        return CommandAnswer::kStop;
    }
    if (word == "set") {
        ScriptParams p(&command, &GetEvaluator());
        if (!p.Has("reveal-mode")) {
            return CommandAnswer::kNotHandled;
        }
        mAllMode = TextParam(p, "reveal-mode") == "all" || p.FindText("reveal-mode") == "all";
        return CommandAnswer::kHandled;
    }
    if (word == "flash" || word == "reset-timer") {
        return CommandAnswer::kHandled;
    }
    if (word == "add-link") {
        return AddLink(command);
    }
    if (word == "remove-link") {
        ScriptParams p(&command, &GetEvaluator());
        auto it = mLinks.find(TextParam(p, "id"));
        if (it != mLinks.end()) {
            if (HyperlinkWidget* link = it->second.widget.Get()) {
                link->MarkForRemoval();
            }
            mLinks.erase(it);
        }
        return CommandAnswer::kHandled;
    }
    return CommandAnswer::kNotHandled;
}

CommandAnswer TutorialGrid::AddSteps(const AnimationCommand& command, int action) {
    ScriptParams p(&command, &GetEvaluator());
    const int group = p.GetInt("group");
    const int x1 = p.GetInt("x1");
    const int y1 = p.GetInt("y1");
    const int x2 = p.Has("x2") ? p.GetInt("x2") : x1;
    const int y2 = p.Has("y2") ? p.GetInt("y2") : y1;
    const int dx = x2 - x1;
    const int dy = y2 - y1;
    // Only lines the step can walk cell by cell, and only cells of this grid.
    const bool straight = dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy);
    if (!straight || !GetModel().IsInside(x1, y1) || !GetModel().IsInside(x2, y2) || group < 0 ||
        group > 30) {
        LogWarning("Tutorial \"%s\": \"%s\" from (%d, %d) to (%d, %d), group %d refused",
                   mScriptName.c_str(), command.mCommand.c_str(), x1, y1, x2, y2, group);
        return CommandAnswer::kHandled;
    }
    mFlashGroups = std::max(mFlashGroups, group + 1);
    const int sx = (dx > 0) - (dx < 0);
    const int sy = (dy > 0) - (dy < 0);
    for (int a = x1, b = y1;; a += sx, b += sy) {
        // A cell already uncovered is no step: the script would wait for it forever.
        if (!GetModel().IsResolved(a, b)) {
            StepCell& step = Step(a, b);
            if (step.action == 0) {
                ++mRemaining;
            }
            step.action = action;
            step.groups |= 1 << group;
        }
        if (a == x2 && b == y2) {
            break;
        }
    }
    MarkDirty();
    return CommandAnswer::kHandled;
}

CommandAnswer TutorialGrid::SetHighlight(const AnimationCommand& command, bool on) {
    ScriptParams p(&command, &GetEvaluator());
    const bool column = p.Has("col");
    if (!column && !p.Has("row")) {
        return CommandAnswer::kHandled;
    }
    const int kind = column ? 0 : 1;
    const int line = (column ? p.GetInt("col") : p.GetInt("row")) - 1;
    if (line < 0 || line >= mSize) {
        return CommandAnswer::kHandled;
    }
    const ClueLine& clues = (kind == 0 ? GetClues().columns : GetClues().rows)[line];
    if (p.Has("position")) {
        const int index = p.GetInt("position") - 1;
        if (index >= 0 && index < static_cast<int>(clues.size())) {
            mClueHighlights[{kind, line, index}] = on;
        }
    } else {
        for (int index = 0; index < static_cast<int>(clues.size()); ++index) {
            mClueHighlights[{kind, line, index}] = on;
        }
    }
    MarkDirty();
    return CommandAnswer::kHandled;
}

CommandAnswer TutorialGrid::ShowPopup(const AnimationCommand& command) {
    ClosePopup();
    ScriptParams p(&command, &GetEvaluator());
    auto* label =
        new TextLabel(PrepareScriptText(p), p.GetInt("x"), p.GetInt("y"), TextParam(p, "font"),
                      p.GetInt("width"), JustificationCode(TextParam(p, "justification")),
                      AnchorCode(TextParam(p, "align")), AnchorCode(TextParam(p, "valign")));
    label->SetVisible(false);
    WidgetContainer* holder = mLinkLayer.Get();
    if (holder == nullptr) {
        holder = GetParent() != nullptr ? GetParent() : static_cast<WidgetContainer*>(this);
    }
    holder->AddWidget(label);
    mPopupLabel.Set(label);
    const TutorialPopupHooks& hooks = GetTutorialPopupHooks();
    if (hooks.show == nullptr) {
        WriteLogLine("Tutorial popup: " + label->GetText(), true);
        return CommandAnswer::kHandled;
    }
    mPopupOkId = 0;
    mPopup.Set(hooks.show(label, this, &mPopupOkId));
    return CommandAnswer::kHandled;
}

void TutorialGrid::ClosePopup() {
    if (Widget* popup = mPopup.Get()) {
        popup->MarkForRemoval();
    }
    if (DynamicWidget* label = mPopupLabel.Get()) {
        label->MarkForRemoval();
    }
    mPopup.Clear();
    mPopupLabel.Clear();
    mPopupOkId = 0;
}

CommandAnswer TutorialGrid::AddLink(const AnimationCommand& command) {
    ScriptParams p(&command, &GetEvaluator());
    const std::string id = TextParam(p, "id");
    if (auto it = mLinks.find(id); it != mLinks.end()) {
        if (HyperlinkWidget* old = it->second.widget.Get()) {
            old->MarkForRemoval();
        }
        mLinks.erase(it);
    }
    auto* link = new HyperlinkWidget(this);
    link->SetLabel(PrepareScriptText(p));
    link->SetStateVisual(Fonts::Find(TextParam(p, "font")), ButtonWidget::kNormal);
    link->SetStateVisual(Fonts::Find(TextParam(p, "font-over")), ButtonWidget::kOver);
    link->SizeToLabel(p.GetInt("x"), p.GetInt("y"), p.GetInt("width"));
    WidgetContainer* holder = mLinkLayer.Get();
    if (holder == nullptr) {
        holder = GetParent() != nullptr ? GetParent() : static_cast<WidgetContainer*>(this);
    }
    holder->AddWidget(link);
    Link& entry = mLinks[id];
    entry.widget.Set(link);
    entry.popupText = TextParam(p, "popup-text");
    return CommandAnswer::kHandled;
}

void TutorialGrid::ButtonDepress(uint32_t id) {
    for (const auto& [name, link] : mLinks) {
        HyperlinkWidget* widget = link.widget.Get();
        if (widget != nullptr && widget->mId == id) {
            ShowBoardNotice(link.popupText, "menu");
            return;
        }
    }
    if (mPopupOkId != 0 && id == mPopupOkId) {
        ClosePopup();
        if (mWait == Wait::kOk) {
            Resume();
        }
        return;
    }
    PlayTileGrid::ButtonDepress(id);
}

// --- updates and drawing ---

void TutorialGrid::Update() {
    PlayTileGrid::Update();
    const int shown = GetShownGroup();
    mFlashCounter = (mFlashCounter + 1) % (std::max(1, mFlashGroups) * 100);
    if (shown != GetShownGroup() && mRemaining > 0) {
        MarkDirty();
    }
}

bool TutorialGrid::HasScheduledWork() const {
    return mRemaining > 0 || PlayTileGrid::HasScheduledWork();
}

void TutorialGrid::Draw(Graphics* g) {
    PlayTileGrid::Draw(g);
    // The step cells flash even while the pointer is away (the play grid queued it otherwise).
    if (!ShowsCursor()) {
        QueueDeferredDraw(mDrawPriority + 1);
    }
}

void TutorialGrid::DrawOverlay(Graphics* g) {
    PlayTileGrid::DrawOverlay(g);
    if (mRemaining <= 0 || mTileSize <= 0) {
        return;
    }
    const int shown = GetShownGroup();
    // The cells under the held stroke (or the hovered cell) show the stroke, not the flash.
    bool hasRect = false;
    int left = 0, top = 0, right = -1, bottom = -1;
    if ((mIsDown && GetModel().GetAction() != PlayModel::kNoAction) || mHover) {
        const Stroke& stroke = GetModel().GetStroke();
        left = std::min(stroke.GetStart().a, stroke.GetCurrent().a);
        right = std::max(stroke.GetStart().a, stroke.GetCurrent().a);
        top = std::min(stroke.GetStart().b, stroke.GetCurrent().b);
        bottom = std::max(stroke.GetStart().b, stroke.GetCurrent().b);
        hasRect = true;
    }
    const float t = static_cast<float>(mTileSize);
    const bool wasBatching = g->GetBatching();
    g->SetBatching(true);
    for (int a = 0; a < mSize; ++a) {
        for (int b = 0; b < mSize; ++b) {
            const StepCell& step = Step(a, b);
            if (step.action == 0 || ((step.groups >> shown) & 1) == 0 ||
                GetModel().IsResolved(a, b)) {
                continue;
            }
            if (hasRect && a >= left && a <= right && b >= top && b <= bottom) {
                continue;
            }
            Image* image = step.action == PlayModel::kReveal ? mRevealHighlight : mMarkHighlight;
            if (image != nullptr) {
                g->DrawImage(image, a * t, b * t);
            }
        }
    }
    g->SetBatching(wasBatching);
}

void TutorialGrid::DrawClueNumber(Graphics* g, float x, float y, int kind, int line, int index,
                                  bool lineHighlighted) {
    PlayTileGrid::DrawClueNumber(g, x, y, kind, line, index,
                                 lineHighlighted || IsClueHighlighted(kind, line, index));
}

// --- the link layer ---

void TutorialGrid::AddedToParent(WidgetContainer* parent) {
    PlayTileGrid::AddedToParent(parent);
    if (parent == nullptr || mLinkLayer.Get() != nullptr) {
        return;
    }
    WidgetHost* host = GetWidgetHost();
    auto* layer = new DynamicWidget(0, 0, nullptr, 1.0f);
    layer->Resize(0.0f, 0.0f, host != nullptr ? host->GetDesignWidth() : 1024,
                  host != nullptr ? host->GetDesignHeight() : 768);
    parent->AddWidget(layer);
    mLinkLayer.Set(layer);
}

void TutorialGrid::RemovedFromManager(WidgetManager* manager) {
    ClosePopup();
    if (DynamicWidget* layer = mLinkLayer.Get()) {
        layer->MarkForRemoval();
    }
    mLinkLayer.Clear();
    PlayTileGrid::RemovedFromManager(manager);
}
