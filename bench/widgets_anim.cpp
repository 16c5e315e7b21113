// The cost of a busy scripted screen: a tree of animated widgets each running a script with a
// "change" and an "oscillate", per fixed update; the interpreter's commands per second; and a
// screen-sized script that adds 100 labelled buttons and 20 counters and keeps them counting.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/WidgetHost.h"
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

// Fixed metrics (8 pixels a character, 16 high), so that measuring costs what a bitmap font's
// table lookups cost.
class BenchFont : public Font {
public:
    int StringWidth(std::string_view text) const override {
        return 8 * static_cast<int>(text.size());
    }
    int CharWidth(unsigned char c) const override { return c < 32 ? 0 : 8; }
    int GetHeight() const override { return 16; }
    float GetAscent() const override { return 12.0f; }
    int GetLineSpacing() const override { return 16; }
    void DrawString(Graphics& g, float x, float y, std::string_view text,
                    const Color& color) override {
        (void)g, (void)x, (void)y, (void)text, (void)color;
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<BenchFont>(); }
};

// Deletes the widgets the screen's removal queues, as the application does.
class BenchHost : public WidgetHost {
public:
    void SetCursor(int) override {}
    int GetCursor() const override { return 0; }
    void QueueWidgetDeletion(Widget* widget) override {
        if (std::find(queue.begin(), queue.end(), widget) == queue.end()) {
            queue.push_back(widget);
        }
    }
    void PlaySample(int) override {}
    void PlaySoundEffect(int, int, double) override {}
    std::string GetClipboard() override { return std::string(); }
    void CopyToClipboard(const std::string&) override {}
    int GetDesignWidth() const override { return 1024; }
    int GetDesignHeight() const override { return 768; }
    bool UpdatesSuspended() const override { return false; }
    bool ShowErrorOrLog(const std::string&, const std::string&) override { return false; }
    CommandAnswer HandleScriptCommand(const AnimationCommand&, AnimationWidget*) override {
        return CommandAnswer::kNotHandled;
    }
    void Drain() {
        while (!queue.empty()) {
            std::vector<Widget*> batch;
            batch.swap(queue);
            for (Widget* widget : batch) {
                delete widget;
            }
        }
    }
    std::vector<Widget*> queue;
};

// A menu screen: 100 buttons in a 10 x 10 grid, each with a label, and 20 counters that follow a
// score the script raises every update, so they keep stepping. One iteration is one fixed and
// one float update of the running screen.
void BM_ScreenOfLabelledButtonsAndCounters(benchmark::State& state) {
    BenchHost host;
    SetWidgetHost(&host);
    Fonts::Set("label", std::make_unique<BenchFont>());
    Animation screen("screen");
    AnimationCommand buttons = MakeCommand("for", {{"name", "i"}, {"from", "0"}, {"to", "100"}});
    buttons.mChildren.push_back(MakeCommand("add-button", {{"text", "'Button ' + i"},
                                                           {"lookup", "false"},
                                                           {"font", "'label'"},
                                                           {"x", "(i % 10) * 100 + 10"},
                                                           {"y", "(i / 10) * 70 + 10"},
                                                           {"action", "'pressed'"},
                                                           {"parameter", "'' + i"}}));
    screen.mCommands.push_back(std::move(buttons));
    screen.mCommands.push_back(MakeCommand("define", {{"score", "0"}}));
    AnimationCommand counters = MakeCommand("for", {{"name", "j"}, {"from", "0"}, {"to", "20"}});
    counters.mChildren.push_back(MakeCommand("add", {{"template", "'%07d'"},
                                                     {"lookup", "false"},
                                                     {"integer", "score"},
                                                     {"font", "'label'"},
                                                     {"x", "(j % 5) * 200 + 20"},
                                                     {"y", "720 + (j / 5) * 10"},
                                                     {"speed", "1"}}));
    screen.mCommands.push_back(std::move(counters));
    AnimationCommand run = MakeCommand("loop", {});
    run.mChildren.push_back(
        MakeCommand("assign", {{"name", "'score'"}, {"value", "score + 1237"}}));
    run.mChildren.push_back(MakeCommand("wait-for", {{"time", "1"}}));
    screen.mCommands.push_back(std::move(run));
    AnimationTable::Get().Define(std::move(screen));

    WidgetManager manager(nullptr);
    auto* root = new AnimationWidget("screen", 0, 0, false);
    manager.AddWidget(root);
    for (auto _ : state) {
        manager.UpdateFrame();
        manager.UpdateFrameF(1.0f);
    }
    state.SetLabel("100 buttons with labels + 20 counters, per fixed + float update");
    manager.RemoveAllWidgets(true, true);
    host.Drain();
    SetWidgetHost(nullptr);
    Fonts::Clear();
    AnimationTable::Get().Clear();
}
BENCHMARK(BM_ScreenOfLabelledButtonsAndCounters)->Unit(benchmark::kMicrosecond);

}  // namespace
