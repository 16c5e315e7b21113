// Translating the shipped shader effects (HLSL to GLSL), with the translator's tables already
// built and with the tables built and freed around each translation, as the start-up loader
// does once. Run from the source tree's root: the effects are read from content/properties/.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "graphics/HlslTranslator.h"

namespace {

std::string ReadEffect(const std::string& name) {
    std::ifstream in("content/properties/" + name + ".hlsl");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Translate(benchmark::State& state, const std::string& name, bool freeTables) {
    const std::string source = ReadEffect(name);
    if (source.empty()) {
        state.SkipWithError("run from the source tree's root");
        return;
    }
    for (auto _ : state) {
        TranslatedEffect effect;
        std::string error;
        if (!HlslTranslator::Translate(source, name, &effect, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(effect.mPixel.mGlsl.data());
        if (freeTables) {
            HlslTranslator::ReleaseTables();
        }
    }
}

void BM_TranslateInkReveal(benchmark::State& state) {
    Translate(state, "ink_reveal", false);
}
void BM_TranslateInkRevealWithTables(benchmark::State& state) {
    Translate(state, "ink_reveal", true);
}

}  // namespace

BENCHMARK(BM_TranslateInkReveal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranslateInkRevealWithTables)->Unit(benchmark::kMillisecond);
