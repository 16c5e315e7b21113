// The interpreter half of AnimationWidget: the run loop, the block structure, the hooks in the
// order offered, the step budget and the per-update wait check.

#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <utility>

#include "core/expr/LiveObjectRegistry.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "widgets/WidgetHost.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/script/ScriptCommands.h"
#include "widgets/script/ScriptContext.h"

namespace {

int gStepBudget = 100000;
std::function<bool(int)> gSoundPlaying;
std::function<bool(int)> gTrackPlaying;

}  // namespace

void AnimationWidget::SetStepBudget(int steps) {
    gStepBudget = steps > 0 ? steps : 1;
}

void AnimationWidget::SetPlayingQueries(std::function<bool(int)> soundPlaying,
                                        std::function<bool(int)> trackPlaying) {
    gSoundPlaying = std::move(soundPlaying);
    gTrackPlaying = std::move(trackPlaying);
}

void AnimationWidget::StepForward(bool advance) {
    if (mList == nullptr) {
        return;
    }
    if (advance && mPc >= 0 && mPc < static_cast<int>(mList->size())) {
        const AnimationCommand& command = (*mList)[static_cast<size_t>(mPc)];
        if (!command.mChildren.empty()) {
            mFrameStack.push_back(Frame{mList, mPc + 1});
            mList = &command.mChildren;
            mPc = 0;
        } else {
            ++mPc;
        }
    }
    while (!mFrameStack.empty()) {
        // A frame may hold no list (a call made before any script was played): it is used up.
        if (mList != nullptr && mPc >= 0 && mPc < static_cast<int>(mList->size())) {
            return;
        }
        const Frame frame = mFrameStack.back();
        mFrameStack.pop_back();
        mList = frame.list;
        mPc = frame.pc;
        if (!mLoopStack.empty() && mFrameStack.size() == mLoopStack.back().frameCount) {
            LoopRecord& loop = mLoopStack.back();
            if (!loop.step.empty()) {
                mVars.Set(loop.variable, mEvaluator.Evaluate(loop.step));
            }
            if (loop.count > 0) {
                --loop.count;
            }
            if (EvalCondition(loop.condition, true) && loop.count != 0) {
                mList = loop.list;
                mPc = loop.pc;
                StepForward(true);
                return;
            }
            mLoopStack.pop_back();
        }
    }
}

bool AnimationWidget::RunCommands(bool advance) {
    mRunState = kRunning;
    const int counter = mRunCounter;
    mAdvance = advance;
    ++mRunDepth;
    // Released when the outermost run ends: a command may replace the script it belongs to.
    struct DepthGuard {
        AnimationWidget* self;
        ~DepthGuard() {
            if (--self->mRunDepth == 0) {
                self->mRetired.clear();
            }
        }
    } guard{this};

    WidgetHost* host = GetWidgetHost();
    int steps = 0;
    for (;;) {
        StepForward(mAdvance);
        mAdvance = true;
        if (IsIdle()) {
            mRunState = kRunning;
            OnScriptEnd();
            return false;
        }
        const AnimationCommand& command = (*mList)[static_cast<size_t>(mPc)];
        if (++steps > gStepBudget) {
            // A loop that never waits would hang the main thread: the script is parked until it
            // is played again.
            LogWarning("Script '%s': more than %d commands without a wait (at \"%s\"); parked",
                       ScriptNameOf(command).c_str(), gStepBudget, command.mCommand.c_str());
            mRunState = kParked;
            return true;
        }
        if (EvalCondition(command.mIf, true) && !EvalCondition(command.mUnless, false)) {
            // The widget's own hook, then the game's, then the built-in command; a hook answers
            // 1 (stop the script) or 2 (handled, go on).
            // An answer outside the enum (a hook that casts) counts as not handled.
            auto answered = [](CommandAnswer a) {
                return a == CommandAnswer::kStop || a == CommandAnswer::kHandled;
            };
            CommandAnswer handled = HandleCommand(command);
            if (!answered(handled) && host != nullptr) {
                handled = host->HandleScriptCommand(command, this);
            }
            if (handled == CommandAnswer::kStop) {
                return true;
            }
            if (handled != CommandAnswer::kHandled) {
                const int outcome = RunBuiltIn(command);
                if (outcome == ScriptContext::kStopTrue) {
                    return true;
                }
                if (outcome == ScriptContext::kStopFalse) {
                    return false;
                }
            }
        }
        if (mRunCounter != counter) {
            return true;
        }
    }
}

int AnimationWidget::RunBuiltIn(const AnimationCommand& command) {
    const CommandTable& table = GetCommandTable();
    if (command.HasParam("id")) {
        if (const CommandHandler* handler = table.FindObject(command.mCommand)) {
            auto* target = dynamic_cast<DynamicWidget*>(GetParamObject("id"));
            if (target == nullptr) {
                // An object that is gone (or never was) is not the script: nothing happens.
                DebugOutput("Script '%s': \"%s\" names no object (id=\"%s\")\n",
                            ScriptNameOf(command).c_str(), command.mCommand.c_str(),
                            FindParamText("id").c_str());
                return ScriptContext::kDone;
            }
            ScriptContext context(*this, command, target);
            return (*handler)(context);
        }
    }
    if (const CommandHandler* handler = table.FindGeneral(command.mCommand)) {
        ScriptContext context(*this, command, nullptr);
        return (*handler)(context);
    }
    // Nobody knows the word: skipped, and named once, so that a typing error in a script shows.
    if (ReportScriptProblemOnce(command)) {
        LogWarning("Script '%s': the command \"%s\" is not known here and is skipped%s",
                   ScriptNameOf(command).c_str(), command.mCommand.c_str(),
                   command.Where().c_str());
    }
    return ScriptContext::kDone;
}

std::string AnimationWidget::ScriptNameOf(const AnimationCommand& command) const {
    if (command.mScript != nullptr) {
        return *command.mScript;
    }
    return mCurrent && !mCurrent->mName.empty() ? mCurrent->mName : std::string("(built in)");
}

bool ReportScriptProblemOnce(const AnimationCommand& command) {
    // Main thread only, like every script run. Keyed by the command's place (or its record,
    // for commands built in code), so a script that runs every update logs one line.
    static std::set<std::string> reported;
    const std::string key = command.mFile != nullptr
                                ? *command.mFile + ":" + std::to_string(command.mLine)
                                : StrFormat("%p", static_cast<const void*>(&command));
    return reported.insert(key).second;
}

void AnimationWidget::CheckWait(float elapsed) {
    bool released = false;
    switch (mRunState) {
        case kWaitCondition:
            released = GetParamBoolOr("cond", false);
            break;
        case kWaitObjects:
            released = !HasBusyChild();
            break;
        case kWaitAnimations:
            released = mRunningChildAnimations.empty();
            break;
        case kWaitObject: {
            auto* object =
                dynamic_cast<DynamicWidget*>(LiveObjectRegistry::ResolveWidget(mWaitObjectLiveId));
            released = object == nullptr || !object->IsAnimating();
            break;
        }
        case kWaitObjectScript: {
            auto* object = dynamic_cast<AnimationWidget*>(
                LiveObjectRegistry::ResolveWidget(mWaitObjectLiveId));
            released = object == nullptr || object->IsIdle();
            break;
        }
        case kWaitController: {
            auto* object =
                dynamic_cast<DynamicWidget*>(LiveObjectRegistry::ResolveWidget(mWaitObjectLiveId));
            released = object == nullptr || !object->HasController(mWaitController);
            break;
        }
        case kWaitSound:
            released = !gSoundPlaying || !gSoundPlaying(mWaitSoundId);
            break;
        case kWaitTrack:
            released = !gTrackPlaying || !gTrackPlaying(mWaitSoundId);
            break;
        default:
            break;  // the mouse waits end by their events
    }
    bool timedOut = false;
    if (!released && mTimeOut > 0.0f) {
        mTimeOut -= elapsed;
        if (mTimeOut <= 0.0f) {
            timedOut = true;
            released = true;
        }
    }
    if (released) {
        ResumeAfterWait(timedOut);
    }
}

void AnimationWidget::ResumeAfterWait(bool timedOut) {
    if (GetParamBool("click")) {
        ListenForClicks(false);
    }
    if (HasParam("clicked")) {
        mVars.Set(FindParamText("clicked"), ExprValue::FromBool(false));
    }
    if (HasParam("timed_out")) {
        mVars.Set(FindParamText("timed_out"), ExprValue::FromBool(timedOut));
    }
    RunCommands(true);
}

void ScriptContext::SetWaitObject(Widget* object) {
    mHost.mWaitObjectLiveId =
        object ? LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, object) : 0;
    mHost.mWaitObjectWidgetId = object ? object->mId : 0;
}

void ScriptContext::RecordObject(const std::string& name, DynamicWidget* child) {
    mHost.RemovalListener::ListenTo(child);
    mHost.mNamedChildren[child->mId] = AnimationWidget::NamedChild{
        LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, child), name};
}

PropertyTargets FindPropertyTargets(ScriptContext& context, std::string_view parameter) {
    PropertyTargets targets;
    for (std::string& name : context.Params().GetNameList(parameter)) {
        float* field = context.Target()->FindPropertyFor(
            "Script command", context.Command().mCommand, name, targets.flags);
        if (field == nullptr) {
            continue;
        }
        targets.names.push_back(std::move(name));
        targets.fields.push_back(field);
    }
    return targets;
}

std::string NameParam(const ScriptParams& params, std::string_view parameter) {
    return params.Has(parameter) ? params.GetString(parameter) : std::string();
}

std::vector<float> AngleAmounts(const ScriptParams& params, std::string_view listName) {
    if (params.Has("angle") && params.Has("amplitude")) {
        const float radians = params.GetFloat("angle") * -std::numbers::pi_v<float> / 180.0f;
        const float amplitude = params.GetFloat("amplitude");
        return {amplitude * std::cos(radians), amplitude * std::sin(radians)};
    }
    return params.GetRealList(listName);
}

std::string CurveText(ScriptContext& context, std::string_view parameter) {
    const std::string& text = context.Params().FindText(parameter);
    if (const ExprValue* value = context.Vars().Find(text)) {
        return value->AsString();
    }
    return text;
}

const CommandHandler* CommandTable::FindGeneral(std::string_view word) const {
    const auto it = general.find(word);
    return it == general.end() ? nullptr : &it->second;
}

const CommandHandler* CommandTable::FindObject(std::string_view word) const {
    const auto it = object.find(word);
    return it == object.end() ? nullptr : &it->second;
}

const CommandTable& GetCommandTable() {
    static const CommandTable table = [] {
        CommandTable t;
        RegisterWaitCommands(t);
        RegisterVariableCommands(t);
        RegisterPropertyCommands(t);
        RegisterOscillationCommands(t);
        RegisterFlowCommands(t);
        RegisterChildCommands(t);
        RegisterTargetCommands(t);
        RegisterAppearanceCommands(t);
        RegisterAddCommands(t);
        RegisterLabelCommands(t);
        RegisterSoundCommands(t);
        RegisterMenuCommands(t);
        return t;
    }();
    return table;
}
