#include "widgets/anim/AnimationWidget.h"

#include "core/expr/LiveObjectRegistry.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/MenuInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/MissingImage.h"
#include "widgets/script/AnimationTable.h"
#include "widgets/script/ScriptParams.h"

AnimationWidget::AnimationWidget(const std::string& animation, int x, int y,
                                 bool removeWhenScriptEnds)
    : DynamicWidget(x, y, nullptr, 1.0f), mEvaluator(&mVars) {
    mRemoveWhenScriptEnds = removeWhenScriptEnds;
    SharedSetUp();
    PlayAnimationRef(animation);
}

AnimationWidget::AnimationWidget(int x, int y, Image* image, float opacity)
    : DynamicWidget(x, y, image, opacity), mEvaluator(&mVars) {
    SharedSetUp();
    PlayAnimationRef("");
}

AnimationWidget::~AnimationWidget() {
    if (mListeningForClicks && mManager != nullptr) {
        mManager->RemoveTrackedWidget(this);
    }
}

void AnimationWidget::SharedSetUp() {
    mVars.Set("self", ExprValue::FromObject(this));
}

void AnimationWidget::Hold(const std::shared_ptr<const Animation>& animation) {
    if (!animation) {
        return;
    }
    for (const auto& held : mHeld) {
        if (held == animation) {
            return;
        }
    }
    mHeld.push_back(animation);
}

bool AnimationWidget::IsIdle() const {
    return mFrameStack.empty() && (mList == nullptr || mPc >= static_cast<int>(mList->size()));
}

void AnimationWidget::PlayAnimation(std::shared_ptr<const Animation> animation) {
    RewindSteps();
    ++mRunCounter;
    mCurrent = std::move(animation);
    Hold(mCurrent);
    mList = mCurrent ? &mCurrent->mCommands : nullptr;
    mPc = 0;
    if (mList == nullptr || mList->empty()) {
        OnAnimationFinished();
        return;
    }
    if (mManager == nullptr) {
        return;
    }
    RunCommands(false);
}

void AnimationWidget::PlayAnimationRef(std::string_view name) {
    PlayAnimation(AnimationTable::Get().Lookup(name));
}

void AnimationWidget::QueueAnimation(std::shared_ptr<const Animation> animation) {
    const bool idle = IsIdle();
    if (!animation) {
        return;
    }
    Hold(animation);
    mFrameStack.insert(mFrameStack.begin(), Frame{&animation->mCommands, 0});
    for (LoopRecord& loop : mLoopStack) {
        ++loop.frameCount;
    }
    if (!idle) {
        return;
    }
    mRunState = kRunning;
    if (animation->mCommands.empty()) {
        mFrameStack.erase(mFrameStack.begin());
        for (LoopRecord& loop : mLoopStack) {
            --loop.frameCount;
        }
        OnAnimationFinished();
        return;
    }
    if (mManager != nullptr) {
        RunCommands(false);
    }
}

void AnimationWidget::QueueAnimationRef(std::string_view name) {
    QueueAnimation(AnimationTable::Get().Lookup(name));
}

void AnimationWidget::ReplaceOrQueueAnimation(std::shared_ptr<const Animation> animation) {
    if (mRunState == kPersist || (mRunState == kRunning && IsIdle())) {
        RewindSteps();
    }
    QueueAnimation(std::move(animation));
}

void AnimationWidget::ReplaceOrQueueAnimationRef(std::string_view name) {
    ReplaceOrQueueAnimation(AnimationTable::Get().Lookup(name));
}

bool AnimationWidget::RestartIfNamed(std::string_view name) {
    if (mCurrent && mCurrent->mName == name) {
        RestartAnimation();
        return true;
    }
    return false;
}

void AnimationWidget::RestartAnimation() {
    ClearChildren(false);
    PlayAnimation(mCurrent);
}

void AnimationWidget::ClearChildren(bool clearVariables) {
    // Over a snapshot: a child whose removal is not reported (it is kept alive, or it does not
    // delete on removal) must not keep this loop going. A reported removal drops the child's
    // entry and its name (OnChildRemoved); an unreported one is dropped here the same way.
    const std::map<uint32_t, NamedChild> snapshot = mNamedChildren;
    for (const auto& [id, child] : snapshot) {
        if (Widget* widget = LiveObjectRegistry::ResolveWidget(child.liveId)) {
            widget->MarkForRemoval();
        }
        if (mNamedChildren.erase(id) != 0) {
            ForgetChildName(child);
        }
    }
    if (clearVariables) {
        mVars.Clear();
        // Scripts keep naming the widget itself after a clear.
        mVars.Set("self", ExprValue::FromObject(this));
    }
}

void AnimationWidget::FinishScript() {
    RewindSteps();
    OnScriptEnd();
}

void AnimationWidget::RewindSteps() {
    mRunState = kRunning;
    if (mCurrent) {
        mList = &mCurrent->mCommands;
        mPc = static_cast<int>(mList->size());
    } else {
        mList = nullptr;
        mPc = 0;
    }
    mFrameStack.clear();
    mLoopStack.clear();
    mClicked = false;
    // The lists of queued or called scripts are no longer referenced; while a run is under way
    // the command being executed may still belong to one of them.
    for (auto& held : mHeld) {
        if (held != mCurrent) {
            if (mRunDepth > 0) {
                mRetired.push_back(std::move(held));
            }
        }
    }
    mHeld.clear();
    if (mCurrent) {
        mHeld.push_back(mCurrent);
    }
}

void AnimationWidget::OnScriptEnd() {
    if (mRemoveWhenScriptEnds) {
        MarkForRemoval();
    }
}

CommandAnswer AnimationWidget::HandleCommand(const AnimationCommand& command) {
    (void)command;
    return CommandAnswer::kNotHandled;
}

bool AnimationWidget::HasBusyChild() const {
    for (const auto& [id, child] : mNamedChildren) {
        (void)id;
        auto* widget =
            dynamic_cast<DynamicWidget*>(LiveObjectRegistry::ResolveWidget(child.liveId));
        if (widget != nullptr && widget->IsAnimating()) {
            return true;
        }
    }
    return false;
}

void AnimationWidget::SetButtonParams(const ButtonEntry& entry) {
    Widget* button = LiveObjectRegistry::ResolveWidget(entry.buttonLiveId);
    auto* named = dynamic_cast<DynamicWidget*>(button);
    mVars.Set("button_id", ExprValue::FromString(named ? named->mScriptName : std::string()));
    switch (entry.kind) {
        case 1:
            if (!entry.parameter.empty()) {
                mVars.Set("parameter", ExprValue::FromString(entry.parameter));
            }
            mVars.Set("object", ExprValue::FromInt(entry.object));
            PlayAnimationRef(entry.actionAnimation);
            break;
        case 2: {
            std::shared_ptr<const Animation> called =
                AnimationTable::Get().Lookup(entry.actionAnimation);
            Hold(called);
            mFrameStack.push_back(Frame{mList, mPc});
            mList = &called->mCommands;
            mPc = 0;
            RunCommands(false);
            break;
        }
        case 3:
            OnEvent(entry.actionAnimation, entry.parameter, entry.object);
            break;
        default:
            break;
    }
}

void AnimationWidget::OnEvent(const std::string& name, const std::string& parameter, int object) {
    if (auto* parent = dynamic_cast<AnimationWidget*>(mParent)) {
        parent->OnEvent(name, parameter, object);
    }
}

const AnimationWidget::ButtonEntry* AnimationWidget::FindButton(uint32_t id) const {
    const auto it = mButtons.find(id);
    return it == mButtons.end() ? nullptr : &it->second;
}

void AnimationWidget::ReleaseMouseWait(uint32_t id, int state, int counterBefore) {
    if (mRunState == state && mRunCounter == counterBefore && mWaitObjectWidgetId == id) {
        RunCommands(true);
    }
}

void AnimationWidget::ButtonPress(uint32_t id) {
    const int counter = mRunCounter;
    mLastButtonId = id;
    if (const ButtonEntry* entry = FindButton(id); entry && !entry->actOnDepress) {
        const ButtonEntry copy = *entry;
        SetButtonParams(copy);
    }
    ReleaseMouseWait(id, kWaitMouseDown, counter);
}

void AnimationWidget::ButtonDepress(uint32_t id) {
    const int counter = mRunCounter;
    mLastButtonId = id;
    if (const ButtonEntry* entry = FindButton(id); entry && entry->actOnDepress) {
        const ButtonEntry copy = *entry;
        SetButtonParams(copy);
    }
    ReleaseMouseWait(id, kWaitMouseUp, counter);
}

void AnimationWidget::ButtonMouseEnter(uint32_t id) {
    mLastButtonId = id;
    const ButtonEntry* entry = FindButton(id);
    if (entry != nullptr && !entry->enterAnimation.empty()) {
        const ButtonEntry copy = *entry;
        ReplaceOrQueueAnimationRef(copy.leaveAnimation);
        auto* button =
            dynamic_cast<DynamicWidget*>(LiveObjectRegistry::ResolveWidget(copy.buttonLiveId));
        mVars.Set("button_id", ExprValue::FromString(button ? button->mScriptName : std::string()));
        ReplaceOrQueueAnimationRef(copy.enterAnimation);
        return;
    }
    if (mRunState == kWaitMouseHover && mWaitObjectWidgetId == id) {
        RunCommands(true);
    }
}

void AnimationWidget::ButtonMouseLeave(uint32_t id) {
    const ButtonEntry* entry = FindButton(id);
    if (entry != nullptr && !entry->leaveAnimation.empty()) {
        const std::string leave = entry->leaveAnimation;
        ReplaceOrQueueAnimationRef(leave);
        return;
    }
    if (mRunState == kWaitMouseLeave && mWaitObjectWidgetId == id) {
        RunCommands(true);
    }
}

void AnimationWidget::AnimationEnded(uint32_t id) {
    mRunningChildAnimations.erase(id);
    if (mRunState == kWaitObjectScript && mWaitObjectWidgetId == id) {
        RunCommands(true);
    }
}

void AnimationWidget::OnChildRemoved(uint32_t id) {
    if (mNoticeWidgetId != 0 && id == mNoticeWidgetId) {
        mNoticeWidgetId = 0;
        mNoticeLiveId = 0;
        // The menu's setting goes with the notice, whether or not the script still waits for it
        // (a restarted script no longer does).
        GiveBackNoticePause();
        if (mRunState == kNoticeMenu) {
            RunCommands(true);
        }
        return;
    }
    const auto named = mNamedChildren.find(id);
    if (named != mNamedChildren.end()) {
        const NamedChild child = named->second;
        mNamedChildren.erase(named);
        ForgetChildName(child);
    } else {
        for (const auto& [name, value] : mVars) {
            if (value.GetTag() != ExprValue::kObject) {
                continue;
            }
            const Widget* widget = value.AsObject();
            if (widget != nullptr && widget->mId == id) {
                const std::string found = name;
                mVars.Erase(found);
                break;
            }
        }
    }
    mButtons.erase(id);
    if (mRunState >= kWaitObject && mRunState <= kWaitMouseLeave && mWaitObjectWidgetId == id &&
        mManager != nullptr) {
        RunCommands(true);
    }
}

void AnimationWidget::ForgetChildName(const NamedChild& child) {
    // Only while the name still means this child: a script may have given it to another object.
    const ExprValue* value = mVars.Find(child.name);
    if (value != nullptr && value->GetTag() == ExprValue::kObject &&
        value->GetObjectId() == child.liveId) {
        mVars.Erase(child.name);
    }
}

void AnimationWidget::ListenForClicks(bool on) {
    mClicked = false;
    if (on == mListeningForClicks) {
        return;
    }
    mListeningForClicks = on;
    if (mManager != nullptr) {
        if (on) {
            mManager->AddTrackedWidget(this);
        } else {
            mManager->RemoveTrackedWidget(this);
        }
    }
}

void AnimationWidget::OnClick(int clickCount) {
    (void)clickCount;
    mClicked = true;
}

void AnimationWidget::OnClickDone(int clickCount) {
    (void)clickCount;
    if (!mClicked || mRunState < kWaitCondition || mRunState > kWaitTrack) {
        return;
    }
    if (!GetParamBool("click")) {
        return;
    }
    if (HasParam("clicked")) {
        mVars.Set(FindParamText("clicked"), ExprValue::FromBool(true));
    }
    if (HasParam("timed_out")) {
        mVars.Set(FindParamText("timed_out"), ExprValue::FromBool(false));
    }
    ListenForClicks(false);
    RunCommands(true);
}

void AnimationWidget::UpdateF(float elapsed) {
    DynamicWidget::UpdateF(elapsed);
    if (mRunState >= kWaitCondition && mRunState <= kWaitTrack) {
        CheckWait(elapsed);
    }
}

void AnimationWidget::AddedToManager(WidgetManager* manager) {
    DynamicWidget::AddedToManager(manager);
    if (mListeningForClicks) {
        mClicked = false;
        manager->AddTrackedWidget(this);
    }
    if (mMoved) {
        mMoved = false;
        return;
    }
    if (!IsIdle()) {
        RunCommands(false);
    }
}

void AnimationWidget::RemovedFromManager(WidgetManager* manager) {
    if (AnimationListener* listener = GetAnimationListener()) {
        listener->AnimationEnded(mId);
    }
    // The manager forgets the click listener, but the wait goes on: a widget moved elsewhere
    // (taken out with keep-alive and added again) listens again when it rejoins a manager.
    if (mListeningForClicks) {
        manager->RemoveTrackedWidget(this);
        mClicked = false;
    }
    // The loops this widget's scripts started must not outlive it in the menu it leaves; the
    // menu itself is still linked here (children leave the manager before their parents).
    if (!mMenuSoundLoops.empty()) {
        const std::map<int, int> loops = std::move(mMenuSoundLoops);
        mMenuSoundLoops.clear();
        if (MenuInterface* menu = GetOwningMenu()) {
            for (const auto& [soundId, count] : loops) {
                for (int i = 0; i < count; ++i) {
                    menu->StopLoopingSound(soundId, 0.0f);
                }
            }
        }
    }
    DynamicWidget::RemovedFromManager(manager);
}

MenuInterface* AnimationWidget::GetOwningMenu() const {
    return dynamic_cast<MenuInterface*>(mUpdateOwner);
}

bool AnimationWidget::StartMenuSoundLoop(int soundId, float fadeInRate) {
    MenuInterface* menu = GetOwningMenu();
    if (menu == nullptr) {
        return false;
    }
    menu->StartLoopingSound(soundId, fadeInRate);
    ++mMenuSoundLoops[soundId];
    return true;
}

bool AnimationWidget::StopMenuSoundLoop(int soundId, float fadeOutRate) {
    const auto it = mMenuSoundLoops.find(soundId);
    if (it == mMenuSoundLoops.end()) {
        return false;
    }
    if (--it->second <= 0) {
        mMenuSoundLoops.erase(it);
    }
    if (MenuInterface* menu = GetOwningMenu()) {
        menu->StopLoopingSound(soundId, fadeOutRate);
    }
    return true;
}

int AnimationWidget::GetMenuSoundLoopCount(int soundId) const {
    const auto it = mMenuSoundLoops.find(soundId);
    return it == mMenuSoundLoops.end() ? 0 : it->second;
}

void AnimationWidget::GiveBackNoticePause() {
    if (!mNoticeRestore) {
        return;
    }
    mNoticeRestore = false;
    if (MenuInterface* menu = GetOwningMenu()) {
        menu->SetPausesWhenInactive(mNoticePreviousPauses);
    }
}

void AnimationWidget::SetNoticeMenu(Widget* notice) {
    // A notice given up for another gives back the menu's setting it took; the next one takes it
    // afresh.
    GiveBackNoticePause();
    mNoticeLiveId = 0;
    if (notice != nullptr) {
        mNoticeLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, notice);
    }
    mNoticeWidgetId = notice != nullptr ? notice->mId : 0;
    if (auto* watched = dynamic_cast<RemovalWidget*>(notice)) {
        RemovalListener::ListenTo(watched);
    }
}

Widget* AnimationWidget::GetNoticeMenu() const {
    return mNoticeLiveId != 0 ? LiveObjectRegistry::ResolveWidget(mNoticeLiveId) : nullptr;
}

void AnimationWidget::SetNoticeRestore(bool restore, bool previousPauses) {
    mNoticeRestore = restore;
    mNoticePreviousPauses = previousPauses;
}

void AnimationWidget::AddedToParent(WidgetContainer* parent) {
    DynamicWidget::AddedToParent(parent);
    if (GetAnimationListener() == nullptr) {
        if (auto* listener = dynamic_cast<AnimationListener*>(parent)) {
            listener->ListenTo(this);
        }
    }
}

void AnimationWidget::RemovedFromParent(WidgetContainer* parent) {
    if (!mMoved) {
        RewindSteps();
    }
    DynamicWidget::RemovedFromParent(parent);
}

void AnimationWidget::RemoveKeepAlive() {
    mMoved = true;
    DynamicWidget::RemoveKeepAlive();
}

const PropertyTable& AnimationWidget::Properties() {
    static const PropertyTable table(
        &DynamicWidget::Properties(),
        {
            PropertyEntry{"layer", nullptr,
                          [](const DynamicWidget& w) {
                              const auto& self = static_cast<const AnimationWidget&>(w);
                              return ExprValue::FromObject(dynamic_cast<Widget*>(self.GetLayer()));
                          }},
        });
    return table;
}

const PropertyTable& AnimationWidget::GetPropertyTable() const {
    return Properties();
}

void AnimationWidget::RegisterObject(const std::string& name, DynamicWidget* child) {
    if (child == nullptr) {
        return;
    }
    child->mScriptName = name;
    if (child->GetButtonListener() == nullptr) {
        child->SetButtonListener(this);
    }
    RemovalListener::ListenTo(child);
    mVars.Set(name, ExprValue::FromObject(child));
    mNamedChildren[child->mId] =
        NamedChild{LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, child), name};
    GetLayer()->AddWidget(child);
}

void AnimationWidget::SetLayer(WidgetContainer* layer) {
    auto* widget = dynamic_cast<Widget*>(layer);
    mLayerLiveId = (widget == nullptr || widget == this)
                       ? 0
                       : LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget);
}

WidgetContainer* AnimationWidget::GetLayer() const {
    if (mLayerLiveId != 0) {
        if (Widget* layer = LiveObjectRegistry::ResolveWidget(mLayerLiveId)) {
            return layer;
        }
    }
    return const_cast<AnimationWidget*>(this);
}

void AnimationWidget::PushLayer() {
    mLayerStack.push_back(mLayerLiveId);
}

bool AnimationWidget::PopLayer() {
    while (!mLayerStack.empty()) {
        const uint32_t saved = mLayerStack.back();
        mLayerStack.pop_back();
        Widget* layer = saved != 0 ? LiveObjectRegistry::ResolveWidget(saved) : nullptr;
        if (saved == 0 || (layer != nullptr && !layer->mRemoved)) {
            mLayerLiveId = saved;
            return true;
        }
    }
    return false;
}

void AnimationWidget::AddButtonEntry(uint32_t buttonWidgetId, ButtonEntry entry) {
    mButtons[buttonWidgetId] = std::move(entry);
}

// --- parameter readers ---

ScriptParams AnimationWidget::CurrentParams() const {
    return ScriptParams(GetCurrentCommand(), &mEvaluator);
}

const AnimationCommand* AnimationWidget::GetCurrentCommand() const {
    if (mList == nullptr || mPc < 0 || mPc >= static_cast<int>(mList->size())) {
        return nullptr;
    }
    return &(*mList)[static_cast<size_t>(mPc)];
}

bool AnimationWidget::HasParam(std::string_view name) const {
    return CurrentParams().Has(name);
}

const std::string& AnimationWidget::FindParamText(std::string_view name) const {
    return CurrentParams().FindText(name);
}

ExprValue AnimationWidget::EvalParam(std::string_view name) const {
    return CurrentParams().Eval(name);
}

std::string AnimationWidget::GetParamString(std::string_view name) const {
    return CurrentParams().GetString(name);
}

int AnimationWidget::GetParamInt(std::string_view name) const {
    return CurrentParams().GetInt(name);
}

int AnimationWidget::GetParamIntOr(std::string_view name, int fallback) const {
    return CurrentParams().GetIntOr(name, fallback);
}

float AnimationWidget::GetParamFloat(std::string_view name) const {
    return CurrentParams().GetFloat(name);
}

float AnimationWidget::GetParamFloatOr(std::string_view name, float fallback) const {
    return CurrentParams().GetFloatOr(name, fallback);
}

bool AnimationWidget::GetParamBool(std::string_view name) const {
    return CurrentParams().GetBool(name);
}

bool AnimationWidget::GetParamBoolOr(std::string_view name, bool fallback) const {
    return CurrentParams().GetBoolOr(name, fallback);
}

Image* AnimationWidget::GetParamImage(std::string_view name) const {
    if (!HasParam(name)) {
        return nullptr;
    }
    const ExprValue value = EvalParam(name);
    if (value.GetTag() == ExprValue::kImage) {
        return value.AsObject2();
    }
    const std::string text = value.AsString();
    if (text.empty()) {
        return nullptr;
    }
    Image* image = LookupAssetTableA(text);
    return image != nullptr ? image : MissingImageFor(text);
}

Font* AnimationWidget::GetParamTableEntry(std::string_view name) const {
    return Fonts::Find(GetParamString(name));
}

Widget* AnimationWidget::GetParamObject(std::string_view name) const {
    return CurrentParams().GetObject(name);
}

bool AnimationWidget::EvalCondition(std::string_view text, bool fallback) const {
    return CurrentParams().EvalCondition(text, fallback);
}
