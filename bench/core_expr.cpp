// Expression evaluation as scripts do it: the same parameter texts evaluated again and again
// against a widget's variables.

#include <benchmark/benchmark.h>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

namespace {

void BM_CachedNumericTwoVariables(benchmark::State& state) {
    VariableTable vars;
    vars.Set("x", ExprValue::FromFloat(12.5f));
    vars.Set("width", ExprValue::FromInt(640));
    ExpressionEvaluator evaluator(&vars);
    const char* text = "x * 2 + width / 4 - 1";
    evaluator.Evaluate(text);  // parsed and cached once
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.Evaluate(text).AsReal());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedNumericTwoVariables);

void BM_CachedStringConcatenation(benchmark::State& state) {
    VariableTable vars;
    vars.Set("prefix", ExprValue::FromString("button_"));
    vars.Set("index", ExprValue::FromInt(7));
    ExpressionEvaluator evaluator(&vars);
    const char* text = "prefix + index + '_over'";
    evaluator.Evaluate(text);
    for (auto _ : state) {
        ExprValue value = evaluator.Evaluate(text);
        benchmark::DoNotOptimize(value.StringView().data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedStringConcatenation);

// A constant read from a data-file attribute, as Parser::GetAttributeInt does.
void BM_CachedConstantLookup(benchmark::State& state) {
    SetConstant("tile_size", ExprValue::FromInt(32));
    ExpressionEvaluator evaluator(nullptr);
    const char* text = "tile_size * 3";
    evaluator.Evaluate(text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.Evaluate(text).AsInt());
    }
    state.SetItemsProcessed(state.iterations());
    ClearConstants();
}
BENCHMARK(BM_CachedConstantLookup);

// First sight of a text: lexing and parsing (each iteration a new text would grow the cache, so
// this measures the parser directly through a list of distinct texts evaluated once each).
void BM_ParseAndEvaluateNewText(benchmark::State& state) {
    ExpressionEvaluator evaluator(nullptr);
    int64_t n = 0;
    for (auto _ : state) {
        std::string text = "min(" + std::to_string(n++) + ", 5) * 2 + 1";
        benchmark::DoNotOptimize(evaluator.Evaluate(text).AsInt());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndEvaluateNewText)->Iterations(200000);

}  // namespace
