// The evaluation roads that make cached expressions cheap must give exactly the values of the
// language: numbers over plain values, names found by number, parses kept by call sites.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "EvaluatorTest.h"
#include "core/expr/ExprNameAtoms.h"
#include "core/expr/ExprNode.h"
#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

namespace {

using FastPathTest = EvaluatorTest;

// Checks the value and its type.
void ExpectInt(const ExprValue& value, int32_t expected) {
    EXPECT_EQ(value.GetTag(), ExprValue::kInt);
    EXPECT_EQ(value.AsInt(), expected);
}
void ExpectReal(const ExprValue& value, float expected) {
    EXPECT_EQ(value.GetTag(), ExprValue::kReal);
    EXPECT_FLOAT_EQ(value.AsReal(), expected);
}
void ExpectBool(const ExprValue& value, bool expected) {
    EXPECT_EQ(value.GetTag(), ExprValue::kBool);
    EXPECT_EQ(value.AsBool(), expected);
}

TEST_F(FastPathTest, NumericTreesKeepTheLanguagesTypesAndRules) {
    mVars.Set("x", ExprValue::FromFloat(12.5f));
    mVars.Set("width", ExprValue::FromInt(640));
    mVars.Set("on", ExprValue::FromBool(true));
    mVars.Set("big", ExprValue::FromInt(std::numeric_limits<int32_t>::max()));
    ExpectReal(Eval("x * 2 + width / 4 - 1"), 184.0f);
    ExpectInt(Eval("width / 3"), 213);
    ExpectInt(Eval("-7 % 3"), -1);
    ExpectInt(Eval("big + 1"), std::numeric_limits<int32_t>::min());  // wraps
    ExpectInt(Eval("on + on"), 2);                                    // bools count as 0 and 1
    ExpectInt(Eval("-on"), -1);
    ExpectBool(Eval("!on"), false);
    ExpectBool(Eval("width gt 600 and x lt 13"), true);
    ExpectBool(Eval("on == 1"), true);
    ExpectBool(Eval("x == 12.5"), true);
    ExpectInt(Eval("on ? width : 0"), 640);  // the branch's own type
    ExpectReal(Eval("0 ? width : x"), 12.5f);
    ExpectInt(Eval("min(on, 5)"), 1);
    ExpectReal(Eval("max(1, x, 3)"), 12.5f);
    ExpectReal(Eval("min(width, 2.5)"), 2.5f);
    ExpectInt(Eval("floor(x)"), 12);
    ExpectInt(Eval("ceil(x)"), 13);
    ExpectInt(Eval("int(x)"), 12);
    ExpectReal(Eval("real(width)"), 640.0f);
    ExpectInt(Eval("abs(-big - 1)"), std::numeric_limits<int32_t>::min());
    ExpectReal(Eval("sqrt(width * 10) + pow(2, 3)"), 88.0f);
    ExpectReal(Eval("x % 5"), 2.5f);
}

TEST_F(FastPathTest, NotANumberAndInfinitiesCompareAsReals) {
    mVars.Set("zero", ExprValue::FromFloat(0.0f));
    EXPECT_TRUE(std::isinf(Eval("1 / zero").AsReal()));
    ExpectBool(Eval("zero / zero == zero / zero"), false);
    ExpectBool(Eval("zero / zero != zero / zero"), true);
    ExpectBool(Eval("zero / zero < 1"), false);
    ExpectBool(Eval("zero / zero ge 1"), false);
}

TEST_F(FastPathTest, NonNumbersTakeTheGeneralRoadWithTheSameResult) {
    mVars.Set("n", ExprValue::FromString("4"));
    mVars.Set("mode", ExprValue::FromString("additive"));
    mVars.Set("i", ExprValue::FromInt(7));
    ExpectInt(Eval("n * 2"), 8);                   // a string read as a number
    ExpectBool(Eval("mode == additive"), true);    // a bare word
    ExpectBool(Eval("mode == 'additive'"), true);  // a string literal
    ExpectBool(Eval("i == '7'"), true);            // a number against a string compares texts
    EXPECT_EQ(Eval("i + '_x'").AsString(), "7_x");
    EXPECT_EQ(Eval("undefined_word").AsString(), "undefined_word");
    // Integer division by zero gives 0 (logged by the general road).
    ExpectInt(Eval("i / (i - 7)"), 0);
    ExpectInt(Eval("i % 0"), 0);
    // Short-circuits never look at what they skip.
    ExpectBool(Eval("0 and nothing_here"), false);
    ExpectBool(Eval("1 or nothing_here"), true);
    ExpectInt(Eval("i > 3 ? 1 : nothing_here"), 1);
}

TEST_F(FastPathTest, NamesAreFoundByNumberInSmallAndLargeTablesAndInGlobals) {
    // Entries added after the text was parsed, removed, and re-added.
    EXPECT_EQ(Eval("late + 1").GetTag(), ExprValue::kString);
    mVars.Set("late", ExprValue::FromInt(41));
    ExpectInt(Eval("late + 1"), 42);
    EXPECT_TRUE(mVars.Erase("late"));
    EXPECT_EQ(Eval("late + 1").GetTag(), ExprValue::kString);
    mVars.Set("late", ExprValue::FromInt(1));
    ExpectInt(Eval("late + 1"), 2);

    // More entries than are searched by number: found by name.
    for (int i = 0; i < 40; ++i) {
        mVars.Set("v" + std::to_string(i), ExprValue::FromInt(i));
    }
    ExpectInt(Eval("v0 + v17 + v39"), 56);
    mVars.Clear();
    EXPECT_EQ(Eval("v17").GetTag(), ExprValue::kString);

    // Locals, then globals, then constants.
    VariableTable globals;
    globals.Set("g", ExprValue::FromInt(5));
    SetGlobalVariables(&globals);
    SetConstant("c", ExprValue::FromInt(100));
    SetConstant("g", ExprValue::FromInt(-1));
    ExpectInt(Eval("g + c"), 105);
    mVars.Set("g", ExprValue::FromInt(1));
    ExpectInt(Eval("g + c"), 101);
    SetGlobalVariables(nullptr);

    // A name's number is stable and distinct.
    EXPECT_EQ(ExprNameAtoms::Intern("width"), ExprNameAtoms::Intern("width"));
    EXPECT_NE(ExprNameAtoms::Intern("width"), ExprNameAtoms::Intern("height"));
    EXPECT_NE(ExprNameAtoms::Intern("width"), 0u);
}

TEST_F(FastPathTest, CallSitesKeepTheirParse) {
    mVars.Set("x", ExprValue::FromInt(3));
    const ParsedExpr* parsed = ExpressionEvaluator::Resolve("x * 2");
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(parsed, ExpressionEvaluator::Resolve("x * 2"));  // the cached tree, for good
    ExpressionEvaluator evaluator(&mVars);
    ExpectInt(evaluator.Evaluate(*parsed), 6);
    mVars.Set("x", ExprValue::FromInt(4));
    ExpectInt(evaluator.Evaluate(*parsed), 8);

    // A text changed in place at the same address is read afresh.
    std::string text = "x + 1";
    ExpectInt(evaluator.Evaluate(text), 5);
    text[4] = '2';
    ExpectInt(evaluator.Evaluate(text), 6);
    text = "x + 10";
    ExpectInt(evaluator.Evaluate(text), 14);
}

}  // namespace
