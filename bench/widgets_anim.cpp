// The cost of a busy scripted screen: a tree of animated widgets each running a script with a
// "change" and an "oscillate", per fixed update; and the interpreter's commands per second.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "widgets/WidgetManager.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/script/AnimationTable.h"

namespace {

AnimationCommand MakeCommand(const char* word, AnimationCommand::ParamMap params) {
    AnimationCommand command;
    command.mCommand = word;
    command.mParams = std::move(params);
    return command;
}

// Each widget loops: tween x and y to a new place while its opacity oscillates, then wait for
// the tween.
void DefineMoverScript() {
    Animation mover("mover");
    mover.mCommands.push_back(MakeCommand(
        "oscillate",
        {{"id", "self"}, {"property", "opacity"}, {"amplitude", "0.25"}, {"rate", "80"}}));
    AnimationCommand loop = MakeCommand("loop", {});
    loop.mChildren.push_back(MakeCommand("change", {{"id", "self"},
                                                    {"property", "x,y"},
                                                    {"end", "rand(800), rand(600)"},
                                                    {"time", "60"},
                                                    {"curve", "in_out_quad"}}));
    loop.mChildren.push_back(MakeCommand("wait-for", {{"id", "self"}}));
    mover.mCommands.push_back(std::move(loop));
    AnimationTable::Get().Define(std::move(mover));
}

void BM_ThousandAnimatedWidgetsPerUpdate(benchmark::State& state) {
    DefineMoverScript();
    WidgetManager manager(nullptr);
    AnimationWidget root(0, 0, nullptr, 1.0f);
    manager.AddWidget(&root);
    std::vector<std::unique_ptr<AnimationWidget>> widgets;
    for (int i = 0; i < 1000; ++i) {
        widgets.push_back(std::make_unique<AnimationWidget>("mover", i % 800, i % 600, false));
        root.AddWidget(widgets.back().get());
    }
    for (auto _ : state) {
        manager.UpdateFrame();
        manager.UpdateFrameF(1.0f);
    }
    state.SetLabel("1,000 widgets, change + oscillate each");
    widgets.clear();
    AnimationTable::Get().Clear();
}
BENCHMARK(BM_ThousandAnimatedWidgetsPerUpdate)->Unit(benchmark::kMicrosecond);

// A script of plain commands (variables, a condition, a counted loop) run start to end.
void BM_InterpreterCommands(benchmark::State& state) {
    Animation script("bench");
    AnimationCommand loop = MakeCommand("loop", {{"count", "100"}});
    loop.mChildren.push_back(MakeCommand("define", {{"a", "a + 1"}}));
    loop.mChildren.push_back(MakeCommand("assign", {{"name", "'b'"}, {"value", "a * 2"}}));
    AnimationCommand block = MakeCommand("if", {{"cond", "a % 2 == 0"}});
    block.mChildren.push_back(
        MakeCommand("set", {{"id", "self"}, {"property", "x"}, {"value", "a"}}));
    loop.mChildren.push_back(std::move(block));
    script.mCommands.push_back(std::move(loop));
    AnimationTable::Get().Define(std::move(script));
    WidgetManager manager(nullptr);
    AnimationWidget widget(0, 0, nullptr, 1.0f);
    manager.AddWidget(&widget);
    widget.GetVariables().Set("a", ExprValue::FromInt(0));
    // Per run: 1 loop + 100 × (define, assign, if) + 50 × set.
    const int64_t commandsPerRun = 1 + 100 * 3 + 50;
    for (auto _ : state) {
        widget.PlayAnimationRef("bench");
    }
    state.SetItemsProcessed(state.iterations() * commandsPerRun);
    state.SetLabel("items = commands");
    AnimationTable::Get().Clear();
}
BENCHMARK(BM_InterpreterCommands)->Unit(benchmark::kMicrosecond);

}  // namespace
