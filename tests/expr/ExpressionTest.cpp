// The expression language as scripts and data files use it.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "EvaluatorTest.h"
#include "FakeObjects.h"
#include "core/expr/ExprCache.h"
#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/expr/VariableTable.h"

namespace {

class ExpressionTest : public EvaluatorTest {
protected:
    int EvalInt(const std::string& text) {
        ExprValue v = Eval(text);
        EXPECT_EQ(v.GetTag(), ExprValue::kInt) << text;
        return v.AsInt();
    }
    float EvalReal(const std::string& text) {
        ExprValue v = Eval(text);
        EXPECT_EQ(v.GetTag(), ExprValue::kReal) << text;
        return v.AsReal();
    }
    std::string EvalString(const std::string& text) {
        ExprValue v = Eval(text);
        EXPECT_EQ(v.GetTag(), ExprValue::kString) << text;
        return v.AsString();
    }
    bool EvalBool(const std::string& text) {
        ExprValue v = Eval(text);
        EXPECT_EQ(v.GetTag(), ExprValue::kBool) << text;
        return v.AsBool();
    }
};

}  // namespace

TEST_F(ExpressionTest, Literals) {
    EXPECT_EQ(EvalInt("42"), 42);
    EXPECT_EQ(EvalInt("0x1F"), 31);
    EXPECT_EQ(EvalInt("0xFF000000"), static_cast<int32_t>(0xFF000000u));  // colours wrap
    EXPECT_FLOAT_EQ(EvalReal("1.5"), 1.5f);
    EXPECT_FLOAT_EQ(EvalReal(".25"), 0.25f);
    EXPECT_FLOAT_EQ(EvalReal("2e3"), 2000.0f);
    EXPECT_FLOAT_EQ(EvalReal("268435456.0"), 268435456.0f);
    EXPECT_EQ(EvalString("'single'"), "single");
    EXPECT_EQ(EvalString("\"double 'inner'\""), "double 'inner'");
    EXPECT_EQ(EvalString("'it\\'s'"), "it's");
    EXPECT_TRUE(EvalBool("true"));
    EXPECT_FALSE(EvalBool("false"));
}

TEST_F(ExpressionTest, PrecedenceAndAssociativityFollowC) {
    EXPECT_EQ(EvalInt("2 + 3 * 4"), 14);
    EXPECT_EQ(EvalInt("(2 + 3) * 4"), 20);
    EXPECT_EQ(EvalInt("10 - 4 - 3"), 3);
    EXPECT_EQ(EvalInt("100 / 10 / 5"), 2);
    EXPECT_EQ(EvalInt("-2 * -3"), 6);
    EXPECT_EQ(EvalInt("- -4"), 4);
    EXPECT_EQ(EvalInt("+-+5"), -5);
    EXPECT_FALSE(EvalBool("!+1"));
    EXPECT_TRUE(EvalBool("1 + 1 == 2 && 3 > 2"));
    EXPECT_TRUE(EvalBool("1 < 2 == true"));
    EXPECT_TRUE(EvalBool("0 || 1 && 0 || 1"));
    EXPECT_FALSE(EvalBool("!1"));
    EXPECT_TRUE(EvalBool("!0 && !false"));
    EXPECT_EQ(EvalInt("1 ? 2 : 3"), 2);
    EXPECT_EQ(EvalInt("0 ? 2 : 1 ? 4 : 5"), 4);  // right-associative
    EXPECT_EQ(EvalInt("1 + 1 > 1 ? 10 : 20"), 10);
}

TEST_F(ExpressionTest, WordOperatorsForXmlAttributes) {
    EXPECT_TRUE(EvalBool("1 lt 2 and 2 le 2"));
    EXPECT_TRUE(EvalBool("3 gt 2 and 3 ge 3"));
    EXPECT_TRUE(EvalBool("2 eq 2 and 2 ne 3"));
    EXPECT_TRUE(EvalBool("0 or not 0"));
    EXPECT_FALSE(EvalBool("not 1 or 0"));
}

TEST_F(ExpressionTest, IntegerAndRealArithmetic) {
    EXPECT_EQ(EvalInt("7 / 2"), 3);
    EXPECT_EQ(EvalInt("-7 / 2"), -3);  // C truncation toward zero
    EXPECT_EQ(EvalInt("-7 % 3"), -1);
    EXPECT_FLOAT_EQ(EvalReal("7 / 2.0"), 3.5f);
    EXPECT_FLOAT_EQ(EvalReal("7.0 / 2"), 3.5f);
    EXPECT_FLOAT_EQ(EvalReal("5.5 % 2"), 1.5f);
    EXPECT_EQ(EvalInt("true + 1"), 2);
    EXPECT_EQ(EvalInt("2147483647 + 1"), std::numeric_limits<int32_t>::min());  // wraps
    EXPECT_EQ(EvalInt("-2147483647 - 1 / -1"), -2147483647 + 1);
    EXPECT_EQ(EvalInt("(0x80000000) / -1"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(EvalInt("5 / 0"), 0);  // reported, not a crash
    EXPECT_EQ(EvalInt("5 % 0"), 0);
    EXPECT_TRUE(std::isinf(EvalReal("1.0 / 0")));
    EXPECT_EQ(EvalInt("'4' * 2"), 8);  // a numeric string reads as its number
    EXPECT_FLOAT_EQ(EvalReal("'1.5' * 2"), 3.0f);
}

TEST_F(ExpressionTest, StringsConcatenateAndCompare) {
    EXPECT_EQ(EvalString("'frame' + 3"), "frame3");
    EXPECT_EQ(EvalString("1 + 2 + 'x'"), "3x");  // left to right
    EXPECT_EQ(EvalString("'x' + 1 + 2"), "x12");
    EXPECT_EQ(EvalString("'a' + 0.5"), "a0.5");
    EXPECT_EQ(EvalString("'is ' + true"), "is true");
    EXPECT_TRUE(EvalBool("'abc' == 'abc'"));
    EXPECT_TRUE(EvalBool("'abc' < 'abd'"));
    EXPECT_TRUE(EvalBool("'5' == 5"));
    EXPECT_TRUE(EvalBool("music == 'music'"));  // a bare word is its own text
}

TEST_F(ExpressionTest, NamesLookInLocalsThenGlobalsThenConstants) {
    SetConstant("level", ExprValue::FromInt(1));
    SetConstant("only_constant", ExprValue::FromInt(30));
    VariableTable globals;
    globals.Set("level", ExprValue::FromInt(2));
    globals.Set("only_global", ExprValue::FromInt(20));
    SetGlobalVariables(&globals);

    EXPECT_EQ(EvalInt("level"), 2);
    mVars.Set("level", ExprValue::FromInt(3));
    EXPECT_EQ(EvalInt("level"), 3);
    EXPECT_EQ(EvalInt("only_global + only_constant"), 50);
    EXPECT_EQ(ExpressionEvaluator(nullptr).Evaluate("level").AsInt(), 2);

    SetGlobalVariables(nullptr);
    EXPECT_EQ(ExpressionEvaluator(nullptr).Evaluate("level").AsInt(), 1);

    // A loader thread does not read the main thread's global table.
    SetGlobalVariables(&globals);
    int fromWorker = -1;
    std::thread worker(
        [&] { fromWorker = ExpressionEvaluator(nullptr).Evaluate("level").AsInt(); });
    worker.join();
    EXPECT_EQ(fromWorker, 1);
}

TEST_F(ExpressionTest, BareWordsAreTheirOwnText) {
    EXPECT_EQ(EvalString("additive"), "additive");
    EXPECT_EQ(EvalString("in_out_quad"), "in_out_quad");
    EXPECT_EQ(EvalString("title.png"), "title.png");
    // Defining the name later changes the meaning of the same cached text.
    mVars.Set("additive", ExprValue::FromInt(9));
    EXPECT_EQ(EvalInt("additive"), 9);
}

TEST_F(ExpressionTest, HyphenatedNamesAreOneNameWhenDefined) {
    mVars.Set("fade-delay", ExprValue::FromInt(40));
    EXPECT_EQ(EvalInt("fade-delay"), 40);
    EXPECT_EQ(EvalInt("fade-delay * 2"), 80);
    mVars.Erase("fade-delay");
    mVars.Set("fade", ExprValue::FromInt(10));
    mVars.Set("delay", ExprValue::FromInt(3));
    EXPECT_EQ(EvalInt("fade-delay"), 7);  // a minus when the whole name is not defined
    EXPECT_EQ(EvalInt("fade - delay"), 7);
    mVars.Set("i", ExprValue::FromInt(4));
    EXPECT_EQ(EvalInt("i+1"), 5);  // the loop step texts
    EXPECT_EQ(EvalInt("i-2"), 2);
    EXPECT_FLOAT_EQ(EvalReal("i-sin(0)"), 4.0f);
    // Neither the whole nor any part is defined: a hyphenated bare word.
    EXPECT_EQ(EvalString("wait-for"), "wait-for");
}

TEST_F(ExpressionTest, MemberAccessReadsWidgetAndImageProperties) {
    auto widget = std::make_unique<Widget>();
    widget->mX = 12.5f;
    widget->mName = "panel";
    Image image(64, 32);
    mVars.Set("self", ExprValue::FromObject(widget.get()));
    mVars.Set("pic", ExprValue::FromObject2(&image));

    EXPECT_FLOAT_EQ(EvalReal("self.x"), 12.5f);
    EXPECT_FLOAT_EQ(EvalReal("self.x * 2"), 25.0f);
    EXPECT_EQ(EvalString("self.name + '!'"), "panel!");
    EXPECT_EQ(EvalInt("pic.width * pic.height"), 2048);
    EXPECT_EQ(EvalInt("self.missing"), 0);  // unknown property: 0, logged

    auto parent = std::make_unique<Widget>();
    parent->mX = 3.0f;
    widget->mParent = parent.get();
    EXPECT_FLOAT_EQ(EvalReal("self.parent.x"), 3.0f);
    EXPECT_TRUE(EvalBool("self == self"));
    EXPECT_EQ(Eval("self").AsObject(), widget.get());

    // Once the widget is gone the variable reads as none and its properties as 0.
    widget.reset();
    EXPECT_EQ(Eval("self").AsObject(), nullptr);
    EXPECT_FALSE(Eval("self").AsBool());
    EXPECT_EQ(EvalInt("self.x"), 0);
}

TEST_F(ExpressionTest, Functions) {
    EXPECT_FLOAT_EQ(EvalReal("sin(0)"), 0.0f);
    EXPECT_FLOAT_EQ(EvalReal("cos(0)"), 1.0f);
    EXPECT_EQ(EvalInt("abs(-3)"), 3);
    EXPECT_FLOAT_EQ(EvalReal("abs(-2.5)"), 2.5f);
    EXPECT_EQ(EvalInt("min(4, 2, 8)"), 2);
    EXPECT_EQ(EvalInt("max(4, 2, 8)"), 8);
    EXPECT_FLOAT_EQ(EvalReal("max(1, 2.5)"), 2.5f);
    EXPECT_FLOAT_EQ(EvalReal("min(1, 2.5)"), 1.0f);  // a real argument makes the result real
    EXPECT_EQ(EvalInt("floor(-2.5)"), -3);
    EXPECT_EQ(EvalInt("ceil(2.1)"), 3);
    EXPECT_FLOAT_EQ(EvalReal("sqrt(16)"), 4.0f);
    EXPECT_FLOAT_EQ(EvalReal("pow(2, 10)"), 1024.0f);
    EXPECT_EQ(EvalInt("int(3.9)"), 3);
    EXPECT_EQ(EvalInt("int('12')"), 12);
    EXPECT_FLOAT_EQ(EvalReal("real(3)"), 3.0f);
    EXPECT_EQ(EvalString("str(3) + str(4)"), "34");
    EXPECT_EQ(EvalInt("rand(1)"), 0);
    EXPECT_EQ(EvalInt("rand(0)"), 0);
    for (int i = 0; i < 50; ++i) {
        int r = EvalInt("rand(5)");
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 5);
        float f = EvalReal("rand()");
        EXPECT_GE(f, 0.0f);
        EXPECT_LT(f, 1.0f);
    }
    // A variable may share a function's name; only a call is a function.
    mVars.Set("min", ExprValue::FromInt(7));
    EXPECT_EQ(EvalInt("min + min(1, 2)"), 8);
}

TEST_F(ExpressionTest, ListsAndSplitArguments) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(ExpressionEvaluator::SplitArguments(""), Pieces{});
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("  "), Pieces{});
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("x, y"), (Pieces{"x", "y"}));
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("max(1, 2), 'a,b', \"c,(d\", 3"),
              (Pieces{"max(1, 2)", "'a,b'", "\"c,(d\"", "3"}));
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("f(g(1, 2), 3), 4"),
              (Pieces{"f(g(1, 2), 3)", "4"}));
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("'it\\'s, here', 1"),
              (Pieces{"'it\\'s, here'", "1"}));
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("a,,b,"), (Pieces{"a", "", "b", ""}));
    EXPECT_EQ(ExpressionEvaluator::SplitArguments("a), b"), (Pieces{"a)", "b"}));

    mVars.Set("w", ExprValue::FromInt(100));
    ExpressionEvaluator evaluator(&mVars);
    std::vector<ExprValue> values = evaluator.EvaluateList("w / 2, max(1, 2) * 1.5, center, 'x,y'");
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].AsInt(), 50);
    EXPECT_FLOAT_EQ(values[1].AsReal(), 3.0f);
    EXPECT_EQ(values[2].AsString(), "center");
    EXPECT_EQ(values[3].AsString(), "x,y");
    EXPECT_TRUE(evaluator.EvaluateList("").empty());
    EXPECT_TRUE(evaluator.EvaluateList("   ").empty());
    std::vector<ExprValue> withBadItem = evaluator.EvaluateList("1, 2 +, 3");
    ASSERT_EQ(withBadItem.size(), 3u);
    EXPECT_EQ(withBadItem[1].AsString(), "2 +");
    EXPECT_EQ(withBadItem[2].AsInt(), 3);
}

TEST_F(ExpressionTest, EmptyTextIsZeroAndBadTextIsItself) {
    EXPECT_EQ(EvalInt(""), 0);
    EXPECT_EQ(EvalInt("   "), 0);
    EXPECT_EQ(EvalString("Hello, world"), "Hello, world");
    EXPECT_EQ(EvalString("2 +"), "2 +");
    EXPECT_EQ(EvalString("(1 + 2"), "(1 + 2");
    EXPECT_EQ(EvalString("1 2"), "1 2");
    EXPECT_EQ(EvalString("'open"), "'open");
    EXPECT_EQ(EvalString("nosuch(1)"), "nosuch(1)");
    EXPECT_EQ(EvalString("pow(1)"), "pow(1)");
    EXPECT_EQ(EvalString("2x"), "2x");
    EXPECT_EQ(EvalString("a = 1"), "a = 1");
    EXPECT_EQ(EvalString("99999999999"), "99999999999");
    // Deep nesting is refused rather than overflowing the stack.
    std::string deep(10000, '(');
    EXPECT_EQ(EvalString(deep), deep);
    std::string negations(10000, '-');
    negations += "1";
    EXPECT_EQ(EvalString(negations), negations);
    std::string pluses(10000, '+');
    pluses += "1";
    EXPECT_EQ(EvalString(pluses), pluses);
    // Long operator chains need no recursion to parse, but they build one tree level per
    // operator: a chain too tall to evaluate and free safely is refused the same way, while a
    // long but reasonable one still evaluates.
    std::string sum = "1";
    for (int i = 0; i < 500; ++i) {
        sum += "+1";
    }
    EXPECT_EQ(Eval(sum).AsInt(), 501);
    std::string chain = "1";
    for (int i = 0; i < 200000; ++i) {
        chain += "+1";
    }
    EXPECT_EQ(EvalString(chain), chain);
    std::string members = "a";
    for (int i = 0; i < 5000; ++i) {
        members += ".b";
    }
    EXPECT_EQ(Eval(members).GetTag(), ExprValue::kString);
}

TEST_F(ExpressionTest, EachTextIsParsedOnceAndSharedAcrossThreads) {
    ExprCache::Overflow overflow;
    const ParsedExpr* first = ExprCache::Get("a * 2 + b", &overflow);
    const ParsedExpr* second = ExprCache::Get(std::string("a * 2 + b"), &overflow);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(overflow.parses.empty());
    EXPECT_NE(ExprCache::Get("a * 2 + b ", &overflow), first);

    // A text too large for the cache's byte budget is still evaluated, but not kept.
    const size_t before = ExprCache::GetSize();
    std::string huge = "1";
    huge.reserve(40u << 20);
    while (huge.size() < (33u << 20)) {
        huge += "+1";
    }
    ExprCache::Overflow hugeOverflow;
    EXPECT_NE(ExprCache::Get(huge, &hugeOverflow), nullptr);
    EXPECT_EQ(hugeOverflow.parses.size(), 1u);
    EXPECT_EQ(ExprCache::GetSize(), before);

    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            VariableTable vars;
            for (int i = 0; i < 200; ++i) {
                vars.Set("n", ExprValue::FromInt(i));
                std::string text = "n * " + std::to_string(i % 7) + " + " + std::to_string(t);
                if (ExpressionEvaluator(&vars).Evaluate(text).AsInt() != i * (i % 7) + t) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}
