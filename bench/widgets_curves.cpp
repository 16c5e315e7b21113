// Costs of the animation modifiers: curves by name and by expression, and one float update of
// 1,000 animated objects each running a tween and an oscillation (the modifier side of a busy
// screen, without drawing).
#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>
#include <vector>

#include "widgets/anim/AnimatedPropertyOwner.h"
#include "widgets/anim/EasingCurveFactory.h"
#include "widgets/anim/PropertyModifiers.h"
#include "widgets/anim/PropertyOscillation.h"
#include "widgets/anim/Tweener.h"
#include "widgets/anim/Waves.h"

namespace {

class Owner : public AnimatedPropertyOwner {
public:
    float* FindAnimatedProperty(std::string_view name, int& flags) override {
        if (name == "x") {
            flags |= kChangedPosition;
            return &x;
        }
        if (name == "y") {
            flags |= kChangedPosition;
            return &y;
        }
        return nullptr;
    }
    void PropertiesChanged(int flags) override { changed |= flags; }
    float x = 0.0f;
    float y = 0.0f;
    int changed = 0;
};

void Curve(benchmark::State& state, std::string_view name) {
    auto curve = MakeEasingCurve(name, nullptr, nullptr);
    float t = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(curve->Evaluate(t));
        t += 0.001f;
        if (t > 1.0f) {
            t = 0.0f;
        }
    }
}
BENCHMARK_CAPTURE(Curve, in_out_quad, "in_out_quad");
BENCHMARK_CAPTURE(Curve, out_in_bounce, "out_in_bounce");
BENCHMARK_CAPTURE(Curve, in_elastic, "in_elastic");
BENCHMARK_CAPTURE(Curve, expression, "t * t * (3 - 2 * t)");

// 1,000 objects, each with a looping tween of x and a sine oscillation of y: one float update.
void ModifierUpdate1000(benchmark::State& state) {
    constexpr int kObjects = 1000;
    std::vector<std::unique_ptr<Owner>> owners;
    std::vector<std::unique_ptr<PropertyModifiers>> modifiers;
    for (int i = 0; i < kObjects; ++i) {
        owners.push_back(std::make_unique<Owner>());
        modifiers.push_back(std::make_unique<PropertyModifiers>());
        auto wave = PropertyOscillation::Create(owners.back().get(), "wave",
                                                std::make_unique<SineWave>(), 0.0, 200.0, 0);
        wave->AddProperty("y", 5.0f);
        modifiers.back()->AddOscillation(std::move(wave));
    }
    for (auto _ : state) {
        for (int i = 0; i < kObjects; ++i) {
            if (!modifiers[i]->HasController("move")) {
                auto tween = std::make_unique<Tweener>(
                    owners[i].get(), "move", MakeEasingCurve("in_out_quad", nullptr, nullptr),
                    50.0f, 0.0f, 0);
                tween->AddProperty("x", owners[i]->x > 50.0f ? 0.0f : 100.0f);
                modifiers[i]->AddController(std::move(tween));
            }
            modifiers[i]->Update(1.0f);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(ModifierUpdate1000);

}  // namespace
