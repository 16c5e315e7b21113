#pragma once
// What a built-in script command sees while it runs: its host (the scripted widget), its own
// record, typed readers of its parameters, its target object (for the commands that act on one)
// and the few interpreter operations the commands need (skipping a block, loops, waits).

#include <string>

#include "widgets/anim/AnimationWidget.h"
#include "widgets/script/ScriptParams.h"

class ScriptContext {
public:
    // How a command ended.
    enum Outcome {
        kDone,       // go on with the next command
        kStopTrue,   // the run ends and reports that the script goes on (waits, stops)
        kStopFalse,  // the run ends as if the script had run past its end
    };

    // Main thread; lives for one command.
    ScriptContext(AnimationWidget& host, const AnimationCommand& command, DynamicWidget* target)
        : mHost(host), mCommand(command), mParams(&command, &host.mEvaluator), mTarget(target) {}

    AnimationWidget& Host() { return mHost; }
    const AnimationCommand& Command() const { return mCommand; }
    const ScriptParams& Params() const { return mParams; }
    // The object named by "id"; never null for an object command.
    DynamicWidget* Target() const { return mTarget; }
    VariableTable& Vars() { return mHost.mVars; }
    const VariableTable& Vars() const { return mHost.mVars; }

    // Block commands: the children are not entered (program counter past the command, no
    // advance on the next cycle).
    void SkipChildren() {
        ++mHost.mPc;
        mHost.mAdvance = false;
    }
    bool HasChildren() const { return !mCommand.mChildren.empty(); }
    // Opens a loop at this command; the next cycle enters its children.
    void PushLoop(int count, std::string variable, std::string condition, std::string step) {
        AnimationWidget::LoopRecord loop{mHost.mList, mHost.mPc, mHost.mFrameStack.size()};
        loop.count = count;
        loop.variable = std::move(variable);
        loop.condition = std::move(condition);
        loop.step = std::move(step);
        mHost.mLoopStack.push_back(std::move(loop));
    }
    // "break" (ends the innermost loop) and "continue" (ends its iteration); nothing outside a
    // loop.
    void LeaveIteration(bool endLoop) {
        if (mHost.mLoopStack.empty()) {
            return;
        }
        AnimationWidget::LoopRecord& loop = mHost.mLoopStack.back();
        while (mHost.mFrameStack.size() > loop.frameCount + 1) {
            const AnimationWidget::Frame frame = mHost.mFrameStack.back();
            mHost.mFrameStack.pop_back();
            mHost.mList = frame.list;
            mHost.mPc = frame.pc;
        }
        mHost.mPc = mHost.mList ? static_cast<int>(mHost.mList->size()) : 0;
        if (endLoop) {
            loop.count = 0;
        }
        mHost.mAdvance = false;
    }

    // Waits: the run ends with the state set; the per-update check or an event resumes it.
    Outcome Wait(int state) {
        mHost.mRunState = state;
        return kStopTrue;
    }
    void SetTimeOut(float timeOut) { mHost.mTimeOut = timeOut; }
    void SetWaitObject(Widget* object);
    void SetWaitController(std::string name) { mHost.mWaitController = std::move(name); }
    void SetWaitSound(int id) { mHost.mWaitSoundId = id; }
    bool IsClickedFlagSet() const { return mHost.mClicked; }

    // "call": runs the animation's commands as a block of this command, then goes on after it.
    void CallAnimation(const std::shared_ptr<const Animation>& animation) {
        mHost.Hold(animation);
        mHost.mFrameStack.push_back(AnimationWidget::Frame{mHost.mList, mHost.mPc + 1});
        mHost.mList = &animation->mCommands;
        mHost.mPc = 0;
        mHost.mAdvance = false;
    }
    // Files a widget in the host's table of objects (by widget id) under a name without placing
    // it; the host hears of its removal.
    void RecordObject(const std::string& name, DynamicWidget* child);

private:
    AnimationWidget& mHost;
    const AnimationCommand& mCommand;
    ScriptParams mParams;
    DynamicWidget* mTarget;
};

// The property list of an object command with each name's field on the target; unknown names are
// skipped with a log line naming the command.
struct PropertyTargets {
    std::vector<std::string> names;
    std::vector<float*> fields;
    int flags = 0;
};
// parameter names the command's comma-separated property list ("property" for most commands).
PropertyTargets FindPropertyTargets(ScriptContext& context, std::string_view parameter);

// A name parameter ("controller", "oscillation", "clamp"): empty when absent, so that the
// modifier takes a generated name instead of the value of an empty expression.
std::string NameParam(const ScriptParams& params, std::string_view parameter);

// "angle" (degrees; positive angles point up the screen) with "amplitude" split into two
// components, cosine part first; without both, the list of listName.
std::vector<float> AngleAmounts(const ScriptParams& params, std::string_view listName);

// A curve parameter: the text as written, or the value of the host's variable of that name.
std::string CurveText(ScriptContext& context, std::string_view parameter);
