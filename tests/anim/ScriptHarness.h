#pragma once
// A widget manager without an application, the script table loaded from text written by the
// test, and a scripted widget that records what its scripts do.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/expr/LiveObjectRegistry.h"
#include "support/WorkingFolder.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

// Records "mark" commands (the value of "v"), script ends, finished plays and events; "restart"
// plays the script named by "name" from inside the run; "park" sets run state 16.
class RecordingWidget : public AnimationWidget {
public:
    explicit RecordingWidget(const std::string& animation = "")
        : AnimationWidget(animation, 0, 0, false) {}

    CommandAnswer HandleCommand(const AnimationCommand& command) override {
        if (command.mCommand == "mark") {
            trace.push_back(GetParamString("v"));
            return CommandAnswer::kHandled;
        }
        if (command.mCommand == "restart") {
            PlayAnimationRef(GetParamString("name"));
            return CommandAnswer::kHandled;
        }
        if (command.mCommand == "park") {
            SetRunState(kParked);
            return CommandAnswer::kStop;
        }
        return CommandAnswer::kNotHandled;
    }
    void OnScriptEnd() override {
        ++scriptEnds;
        AnimationWidget::OnScriptEnd();
    }
    void OnAnimationFinished() override { ++finished; }
    void OnEvent(const std::string& name, const std::string& parameter, int object) override {
        events.push_back(name + "|" + parameter + "|" + std::to_string(object));
    }
    std::string Trace() const {
        std::string all;
        for (const std::string& t : trace) {
            all += t;
            all += ' ';
        }
        return all;
    }

    std::vector<std::string> trace;
    std::vector<std::string> events;
    int scriptEnds = 0;
    int finished = 0;
};

class ScriptTest : public WorkingFolderTest {
protected:
    void SetUp() override {
        WorkingFolderTest::SetUp();
        AnimationTable::Get().Clear();
        mManager = std::make_unique<WidgetManager>(nullptr);
    }
    void TearDown() override {
        mOwned.clear();
        mManager.reset();
        AnimationTable::Get().Clear();
        WorkingFolderTest::TearDown();
    }

    // Reads "<animations>" + body + "</animations>" into the process-wide table.
    void Load(const std::string& body) {
        Write("properties/animations.xml", "<animations>" + body + "</animations>");
        AnimationStats stats(false);
        ASSERT_TRUE(stats.ReadAll()) << (stats.GetErrors().empty() ? "" : stats.GetErrors()[0]);
    }
    // A widget owned by the test (deleted at tear-down), optionally added to the manager.
    template <typename T, typename... Args>
    T* Make(bool addToManager, Args&&... args) {
        auto widget = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = widget.get();
        mOwned.push_back(std::move(widget));
        if (addToManager) {
            mManager->AddWidget(raw);
        }
        return raw;
    }
    // Fixed and float updates (1.0 each), as the main loop runs them.
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            mManager->UpdateFrame();
            mManager->UpdateFrameF(1.0f);
        }
    }

    std::unique_ptr<WidgetManager> mManager;
    // Destroyed before the manager; a widget's destructor unlinks it.
    std::vector<std::unique_ptr<Widget>> mOwned;
};
