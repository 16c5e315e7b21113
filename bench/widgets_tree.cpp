// The widget tree's passes on a busy screen: 1,000 widgets (10 panels of 100), timed per fixed
// update walk, per draw walk into a measuring context, and per pointer hit test.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

class CountingWidget : public Widget {
public:
    void Update() override { ++updates; }
    void Draw(Graphics* g) override {
        (void)g;
        ++draws;
    }
    int updates = 0;
    int draws = 0;
};

struct Tree {
    Tree() : manager(nullptr) {
        manager.SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
        for (int p = 0; p < 10; ++p) {
            auto panel = std::make_unique<CountingWidget>();
            panel->Resize(static_cast<float>(p * 100), 0, 100, 768);
            manager.AddWidget(panel.get());
            for (int i = 0; i < 100; ++i) {
                auto leaf = std::make_unique<CountingWidget>();
                leaf->mMouseVisible = true;
                leaf->Resize(static_cast<float>(i % 10 * 10), static_cast<float>(i / 10 * 70), 10,
                             70);
                panel->AddWidget(leaf.get());
                widgets.push_back(std::move(leaf));
            }
            widgets.push_back(std::move(panel));
        }
    }
    ~Tree() {
        manager.RemoveAllWidgets(false, true);
        for (auto& w : widgets) {
            w->mDeleteOnRemove = false;
        }
    }
    WidgetManager manager;
    std::vector<std::unique_ptr<CountingWidget>> widgets;
};

void BM_UpdatePass(benchmark::State& state) {
    Tree tree;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tree.manager.UpdateFrame());
    }
    state.SetItemsProcessed(state.iterations() * 1010);
}
BENCHMARK(BM_UpdatePass);

void BM_DrawPass(benchmark::State& state) {
    Tree tree;
    Graphics measuring;
    for (auto _ : state) {
        tree.manager.MarkDirty();
        benchmark::DoNotOptimize(tree.manager.DrawScreen(&measuring));
    }
    state.SetItemsProcessed(state.iterations() * 1010);
}
BENCHMARK(BM_DrawPass);

void BM_HitTest(benchmark::State& state) {
    Tree tree;
    int x = 0;
    for (auto _ : state) {
        x = (x + 37) % 1000;
        benchmark::DoNotOptimize(tree.manager.FindWidgetAt(
            static_cast<float>(x), 500.0f, widgetflags::kDefault, nullptr, nullptr));
    }
}
BENCHMARK(BM_HitTest);

}  // namespace
