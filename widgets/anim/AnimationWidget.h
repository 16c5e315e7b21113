#pragma once
// The scripted widget: a DynamicWidget that plays named animations from the script table through
// its command interpreter, owns the children its scripts create under names, keeps script
// variables, reacts to its children's button, pointer, click and removal events, and passes named
// events up to its parent. Every menu and screen is one. Main thread only.
//
// Objects that a script refers to (variables, wait targets, named children, buttons, the layer)
// are held through the live-object registry, so a removed widget reads as none instead of
// dangling. Scripts are held as shared records, so a reload of the table never pulls a running
// script's commands away.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/VariableTable.h"
#include "widgets/ClickListener.h"
#include "widgets/RemovalListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/anim/DynamicWidget.h"
#include "widgets/script/Animation.h"

class Font;
class MenuInterface;
class ScriptContext;
class ScriptParams;

class AnimationWidget : public DynamicWidget, public ClickListener, public RemovalListener {
public:
    using CommandList = std::vector<AnimationCommand>;

    // Run states: what a script is waiting for.
    enum RunState : int {
        kRunning = 0,  // not waiting (also: ended)
        kPersist = 1,
        kNoticeMenu = 2,
        kWaitCondition = 3,
        kWaitObjects = 4,
        kWaitAnimations = 5,
        kWaitObject = 6,
        kWaitObjectScript = 7,
        kWaitController = 8,
        kWaitMouseUp = 9,
        kWaitMouseDown = 10,
        kWaitMouseHover = 11,
        kWaitMouseLeave = 12,
        kWaitSound = 13,
        kWaitTrack = 14,
        kParked = 16,  // set by screens' hooks, and by the step budget; released only by a restart
    };

    // One open block: the list to resume and the index to resume at.
    struct Frame {
        const CommandList* list;
        int pc;
    };
    // One open loop.
    struct LoopRecord {
        const CommandList* list;  // where the loop command stands
        int pc;
        size_t frameCount;  // frames open when the loop began
        int count = -1;     // iterations left; negative: no limit
        std::string variable;
        std::string condition;
        std::string step;
    };
    // A button made by "add-button".
    struct ButtonEntry {
        uint32_t buttonLiveId = 0;  // the button widget, through the live-object registry
        std::string enterAnimation;
        std::string leaveAnimation;
        std::string actionAnimation;
        std::string parameter;
        bool actOnDepress = false;
        int object = 0;
        int kind = 0;  // 1 "launch", 2 "call", 3 "action"
    };

    // Plays the named script (at once when in a manager, else when added to one).
    AnimationWidget(const std::string& animation, int x, int y, bool removeWhenScriptEnds);
    AnimationWidget(int x, int y, Image* image, float opacity);
    ~AnimationWidget() override;

    // --- starting and stopping scripts ---
    virtual void PlayAnimation(std::shared_ptr<const Animation> animation);
    virtual void PlayAnimationRef(std::string_view name);
    // Runs after every open block and every script queued before it; at once when idle.
    virtual void QueueAnimation(std::shared_ptr<const Animation> animation);
    virtual void QueueAnimationRef(std::string_view name);
    // A persisting or finished script is replaced; a waiting one gets the animation queued.
    virtual void ReplaceOrQueueAnimation(std::shared_ptr<const Animation> animation);
    virtual void ReplaceOrQueueAnimationRef(std::string_view name);
    virtual bool RestartIfNamed(std::string_view name);
    virtual void RestartAnimation();
    // Marks every named child for removal; clearVariables also empties the variables ("self"
    // stays).
    virtual void ClearChildren(bool clearVariables);
    virtual void FinishScript();
    // Puts the script at its end: no frames, no loops, run state 0. The run counter stays.
    virtual void RewindSteps();
    virtual void OnScriptEnd();
    // The screens' command hook, offered each command before the host's hook.
    virtual CommandAnswer HandleCommand(const AnimationCommand& command);
    virtual void OnAnimationFinished() {}
    virtual bool HasBusyChild() const;
    // Moves the program counter on (advance), entering blocks and leaving used-up ones.
    virtual void StepForward(bool advance);
    virtual void SetButtonParams(const ButtonEntry& entry);
    // Named events go up the chain of scripted parents until one overrides this.
    virtual void OnEvent(const std::string& name, const std::string& parameter, int object);

    // Runs commands from the program counter until a wait, a stop, a restart or the end; true
    // unless the script ran past its end.
    bool RunCommands(bool advance);

    // --- script state ---
    bool IsIdle() const;
    int GetRunState() const { return mRunState; }
    // For the screens' hooks (run state 16 parks a script until it is played again).
    void SetRunState(int state) { mRunState = state; }
    int GetRunCounter() const { return mRunCounter; }
    const std::shared_ptr<const Animation>& GetCurrentAnimation() const { return mCurrent; }
    // The name of the script a command belongs to, for messages: the script it was read in, else
    // the one playing, else "(built in)".
    std::string ScriptNameOf(const AnimationCommand& command) const;
    VariableTable& GetVariables() { return mVars; }
    const ExpressionEvaluator& GetEvaluator() const { return mEvaluator; }
    void SetRemoveWhenScriptEnds(bool on) { mRemoveWhenScriptEnds = on; }

    // --- parameter readers over the command at the program counter ---
    const AnimationCommand* GetCurrentCommand() const;
    bool HasParam(std::string_view name) const;
    const std::string& FindParamText(std::string_view name) const;
    ExprValue EvalParam(std::string_view name) const;
    std::string GetParamString(std::string_view name) const;
    int GetParamInt(std::string_view name) const;
    int GetParamIntOr(std::string_view name, int fallback) const;
    float GetParamFloat(std::string_view name) const;
    float GetParamFloatOr(std::string_view name, float fallback) const;
    bool GetParamBool(std::string_view name) const;
    bool GetParamBoolOr(std::string_view name, bool fallback) const;
    // The image of the parameter (an image value, or a name in the asset tables); null when the
    // parameter is absent or empty; a name the tables lack gives the magenta placeholder.
    Image* GetParamImage(std::string_view name) const;
    // The font table's font of the evaluated name; null for a name not in the table. The table
    // keeps ownership.
    Font* GetParamTableEntry(std::string_view name) const;
    Widget* GetParamObject(std::string_view name) const;
    bool EvalCondition(std::string_view text, bool fallback) const;

    // --- children, layer, buttons ---
    // The child takes the name, reports its pointer and removal here, is reachable as a
    // variable and is added to the current layer.
    void RegisterObject(const std::string& name, DynamicWidget* child);
    size_t GetNamedChildCount() const { return mNamedChildren.size(); }
    void SetLayer(WidgetContainer* layer);
    WidgetContainer* GetLayer() const;
    // "push-layer" and "pop-layer": the saved layers are held weakly, so a layer widget removed
    // meanwhile drops out of the stack instead of coming back as the current layer.
    void PushLayer();
    // Restores the last saved layer still alive; false (nothing changes) when none is saved.
    bool PopLayer();
    size_t GetLayerStackDepth() const { return mLayerStack.size(); }
    void AddButtonEntry(uint32_t buttonWidgetId, ButtonEntry entry);
    void AddRunningChildAnimation(uint32_t id) { mRunningChildAnimations.insert(id); }
    void ListenForClicks(bool on);
    bool IsListeningForClicks() const { return mListeningForClicks; }

    // --- the owning menu (the update owner, when it is a menu) ---
    // Null when the widget stands in no menu (a menu is its own owner).
    MenuInterface* GetOwningMenu() const;
    // Looping sounds that this widget's scripts start through the owning menu, counted here too,
    // so that the widget gives back exactly its own starts when it leaves the manager. False,
    // with nothing started, when there is no owning menu. Rates as in MenuInterface.
    bool StartMenuSoundLoop(int soundId, float fadeInRate);
    // Releases one of this widget's starts of the sound; false when it holds none.
    bool StopMenuSoundLoop(int soundId, float fadeOutRate);
    int GetMenuSoundLoopCount(int soundId) const;
    // The notice dialog opened by "notice-menu", watched for its removal (which resumes a script
    // waiting in run state 2); null once it has gone.
    void SetNoticeMenu(Widget* notice);
    Widget* GetNoticeMenu() const;
    // When restore is set, the notice's removal gives the owning menu back previousPauses as its
    // pause-when-inactive setting.
    void SetNoticeRestore(bool restore, bool previousPauses);

    // Process-wide limit of commands one run may execute before the script is parked (a loop that
    // never waits would otherwise hang the main thread).
    static void SetStepBudget(int steps);
    // How the waits on a sound or a music track ask whether it still plays (the application
    // installs them; without them a sound or track counts as finished).
    static void SetPlayingQueries(std::function<bool(int)> soundPlaying,
                                  std::function<bool(int)> trackPlaying);

    // --- operations it replaces ---
    void UpdateF(float elapsed) override;
    bool HasScheduledWork() const override;
    // HasScheduledWork as the scripted widget itself answers it (script, animated state,
    // children), for a derived class whose own updates are done to answer with.
    bool ScriptHasScheduledWork() const;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void AddedToParent(WidgetContainer* parent) override;
    void RemovedFromParent(WidgetContainer* parent) override;
    void RemoveKeepAlive() override;
    void ButtonPress(uint32_t id) override;
    void ButtonDepress(uint32_t id) override;
    void ButtonMouseEnter(uint32_t id) override;
    void ButtonMouseLeave(uint32_t id) override;
    void AnimationEnded(uint32_t id) override;
    void OnClick(int clickCount) override;
    void OnClickDone(int clickCount) override;
    void OnChildRemoved(uint32_t id) override;
    const PropertyTable& GetPropertyTable() const override;
    static const PropertyTable& Properties();

    uint32_t mLastButtonId = static_cast<uint32_t>(-1);

private:
    // The owning menu gets back the pause-when-inactive setting a notice took, once.
    void GiveBackNoticePause();
    friend class ScriptContext;

    void SharedSetUp();
    // The readers over the command at the program counter and this widget's evaluator.
    ScriptParams CurrentParams() const;
    // Keeps the script's record alive while any of its lists is in use.
    void Hold(const std::shared_ptr<const Animation>& animation);
    // Per float update, for run states 3 to 14.
    void CheckWait(float elapsed);
    void ResumeAfterWait(bool timedOut);
    // Offers the command to the built-in commands; see ScriptContext for the outcome codes.
    int RunBuiltIn(const AnimationCommand& command);
    const ButtonEntry* FindButton(uint32_t id) const;
    // The run of a button event: the handler's own run may have restarted the script.
    void ReleaseMouseWait(uint32_t id, int state, int counterBefore);

    // Interpreter state.
    std::shared_ptr<const Animation> mCurrent;
    const CommandList* mList = nullptr;
    int mPc = 0;
    std::vector<Frame> mFrameStack;
    std::vector<LoopRecord> mLoopStack;
    int mRunState = kRunning;
    int mRunCounter = 0;
    bool mAdvance = true;  // the next step advances; a command may clear it for one cycle
    int mRunDepth = 0;
    std::vector<std::shared_ptr<const Animation>> mHeld;
    std::vector<std::shared_ptr<const Animation>> mRetired;  // released after the outermost run

    // Wait data; objects through the live-object registry.
    uint32_t mWaitObjectLiveId = 0;
    uint32_t mWaitObjectWidgetId = 0;
    std::string mWaitController;
    int mWaitSoundId = -1;
    float mTimeOut = 0.0f;

    VariableTable mVars;
    ExpressionEvaluator mEvaluator;

    struct NamedChild {
        uint32_t liveId;
        std::string name;
    };
    std::map<uint32_t, NamedChild> mNamedChildren;  // by widget id
    // Removes the variable of a child's name while it still refers to that child.
    void ForgetChildName(const NamedChild& child);
    std::map<uint32_t, ButtonEntry> mButtons;  // by the button's widget id
    std::set<uint32_t> mRunningChildAnimations;
    uint32_t mLayerLiveId = 0;          // 0: the widget itself
    std::vector<uint32_t> mLayerStack;  // saved layers, as mLayerLiveId

    bool mRemoveWhenScriptEnds = false;
    bool mListeningForClicks = false;
    bool mClicked = false;
    bool mMoved = false;

    std::map<int, int> mMenuSoundLoops;  // sound id -> starts not yet stopped
    uint32_t mNoticeLiveId = 0;
    uint32_t mNoticeWidgetId = 0;
    bool mNoticeRestore = false;
    bool mNoticePreviousPauses = true;
};
