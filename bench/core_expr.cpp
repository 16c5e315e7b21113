// Expression evaluation as scripts do it: the same parameter texts evaluated again and again
// against a widget's variables.

#include <benchmark/benchmark.h>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

#if defined(P7_BENCH_LUA)
#include <lua.hpp>
#endif

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

// The same text through a call site that keeps its parse, as script parameters do.
void BM_SiteNumericTwoVariables(benchmark::State& state) {
    VariableTable vars;
    vars.Set("x", ExprValue::FromFloat(12.5f));
    vars.Set("width", ExprValue::FromInt(640));
    ExpressionEvaluator evaluator(&vars);
    const ParsedExpr* parsed = ExpressionEvaluator::Resolve("x * 2 + width / 4 - 1");
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.Evaluate(*parsed).AsReal());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SiteNumericTwoVariables);

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

#if defined(P7_BENCH_LUA)
// The same texts compiled once by Lua 5.4 and called again and again, the variables being
// globals of the chunk (as ours are entries of a table): a mature interpreter's rate, printed
// beside ours in every run.
void RunLua(benchmark::State& state, const char* chunk, void (*setVars)(lua_State*)) {
    lua_State* lua = luaL_newstate();
    luaL_openlibs(lua);
    setVars(lua);
    if (luaL_loadstring(lua, chunk) != LUA_OK) {
        state.SkipWithError(lua_tostring(lua, -1));
        lua_close(lua);
        return;
    }
    const int function = luaL_ref(lua, LUA_REGISTRYINDEX);
    for (auto _ : state) {
        lua_rawgeti(lua, LUA_REGISTRYINDEX, function);
        lua_call(lua, 0, 1);
        benchmark::DoNotOptimize(lua_tonumberx(lua, -1, nullptr));
        lua_pop(lua, 1);
    }
    state.SetItemsProcessed(state.iterations());
    lua_close(lua);
}

void BM_Lua54NumericTwoVariables(benchmark::State& state) {
    RunLua(state, "return x * 2 + width / 4 - 1", [](lua_State* lua) {
        lua_pushnumber(lua, 12.5);
        lua_setglobal(lua, "x");
        lua_pushinteger(lua, 640);
        lua_setglobal(lua, "width");
    });
}
BENCHMARK(BM_Lua54NumericTwoVariables);

void BM_Lua54StringConcatenation(benchmark::State& state) {
    RunLua(state, "return prefix .. index .. '_over'", [](lua_State* lua) {
        lua_pushstring(lua, "button_");
        lua_setglobal(lua, "prefix");
        lua_pushinteger(lua, 7);
        lua_setglobal(lua, "index");
    });
}
BENCHMARK(BM_Lua54StringConcatenation);
#endif

}  // namespace
