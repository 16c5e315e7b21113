#include <gtest/gtest.h>

#include "ScriptHarness.h"
#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/expr/VariableTable.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/Widget.h"
#include "widgets/script/AnimationCommand.h"
#include "widgets/script/ScriptParams.h"
#include "widgets/script/ScriptStrings.h"

namespace {

class ScriptParamsTest : public ::testing::Test {
protected:
    ScriptParamsTest() : mEvaluator(&mVars), mParams(&mCommand, &mEvaluator) {}

    VariableTable mVars;
    AnimationCommand mCommand;
    ExpressionEvaluator mEvaluator;
    ScriptParams mParams;
};

TEST_F(ScriptParamsTest, TypedReadsAndDefaults) {
    mCommand.mParams = {{"count", "2 + 3"}, {"speed", "1.5"}, {"on", "true"},
                        {"label", "'hi'"},  {"x", ""},        {"name", "alpha"}};
    EXPECT_TRUE(mParams.Has("count"));
    EXPECT_FALSE(mParams.Has("missing"));
    EXPECT_EQ(mParams.GetInt("count"), 5);
    EXPECT_EQ(mParams.GetIntOr("missing", -1), -1);
    EXPECT_FLOAT_EQ(mParams.GetFloat("speed"), 1.5f);
    EXPECT_TRUE(mParams.GetBool("on"));
    EXPECT_TRUE(mParams.GetBoolOr("missing", true));
    EXPECT_EQ(mParams.GetString("label"), "hi");
    EXPECT_EQ(mParams.FindText("name"), "alpha");
    EXPECT_EQ(mParams.FindText("missing"), "");
    // Absent: the default; present but empty: the value of the empty text.
    EXPECT_FLOAT_EQ(mParams.GetFloatOr("y", 5.0f), 5.0f);
    EXPECT_FLOAT_EQ(mParams.GetFloatOr("x", 5.0f), 0.0f);
    // No command at all reads as every parameter absent.
    ScriptParams none(nullptr, &mEvaluator);
    EXPECT_FALSE(none.Has("count"));
    EXPECT_EQ(none.GetIntOr("count", 9), 9);
}

TEST_F(ScriptParamsTest, EveryReadEvaluatesAfresh) {
    mCommand.mParams = {{"value", "n * 2"}};
    mVars.Set("n", ExprValue::FromInt(1));
    EXPECT_EQ(mParams.GetInt("value"), 2);
    mVars.Set("n", ExprValue::FromInt(7));
    EXPECT_EQ(mParams.GetInt("value"), 14);
}

TEST_F(ScriptParamsTest, ConditionsAndNotGiven) {
    mVars.Set("ready", ExprValue::FromBool(false));
    EXPECT_TRUE(mParams.EvalCondition("", true));
    EXPECT_FALSE(mParams.EvalCondition("", false));
    EXPECT_FALSE(mParams.EvalCondition("ready", true));
    EXPECT_TRUE(mParams.EvalCondition("!ready", false));
    mCommand.mParams = {{"x", "268435456.0"}};
    EXPECT_TRUE(IsNotGiven(mParams.GetFloat("x")));
    EXPECT_FALSE(IsNotGiven(268435455.0f - 64.0f));
}

TEST_F(ScriptParamsTest, ObjectsByReferenceOrByVariableName) {
    Widget widget;
    LiveObjectRegistry::RegisterWidget(&widget, nullptr);
    mVars.Set("self", ExprValue::FromObject(&widget));
    mVars.Set("button_7", ExprValue::FromObject(&widget));
    mCommand.mParams = {{"id", "self"}, {"other", "'button_' + 7"}, {"bad", "'nobody'"}};
    EXPECT_EQ(mParams.GetObject("id"), &widget);
    EXPECT_EQ(mParams.GetObject("other"), &widget);
    EXPECT_EQ(mParams.GetObject("bad"), nullptr);
    EXPECT_EQ(mParams.GetObject("missing"), nullptr);
    LiveObjectRegistry::UnregisterWidget(&widget);
    EXPECT_EQ(mParams.GetObject("id"), nullptr);  // gone: reads as none
}

TEST_F(ScriptParamsTest, ListsArePaddedWithTheirLastValue) {
    mCommand.mParams = {{"property", "x, y ,scale_x"},
                        {"value", "5"},
                        {"end", "1, k + 1"},
                        {"offset", ""},
                        {"start", "'2.5', true"}};
    mVars.Set("k", ExprValue::FromInt(3));
    const std::vector<std::string> names = mParams.GetNameList("property");
    ASSERT_EQ(names, (std::vector<std::string>{"x", "y", "scale_x"}));

    std::vector<float> values = mParams.GetRealList("value");
    PadWithLast(&values, names.size());
    EXPECT_EQ(values, (std::vector<float>{5, 5, 5}));
    std::vector<float> ends = mParams.GetRealList("end");
    PadWithLast(&ends, names.size());
    EXPECT_EQ(ends, (std::vector<float>{1, 4, 4}));
    // Values go through their text: a quoted number reads as that number, a bool as 0.
    EXPECT_EQ(mParams.GetRealList("start"), (std::vector<float>{2.5f, 0.0f}));

    // Empty or absent lists stay empty, so the caller keeps the current values.
    std::vector<float> offsets = mParams.GetRealList("offset");
    PadWithLast(&offsets, names.size());
    EXPECT_TRUE(offsets.empty());
    EXPECT_TRUE(mParams.GetRealList("missing").empty());
    EXPECT_FLOAT_EQ(PaddedValue(offsets, 2, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(PaddedValue(ends, 7, 0.0f), 4.0f);
    // A longer list is cut.
    std::vector<float> longer{1, 2, 3, 4};
    PadWithLast(&longer, 2);
    EXPECT_EQ(longer, (std::vector<float>{1, 2}));
}

class StubFont : public Font {
public:
    int StringWidth(std::string_view text) const override { return int(text.size()); }
    int CharWidth(unsigned char) const override { return 1; }
    int GetHeight() const override { return 1; }
    float GetAscent() const override { return 1.0f; }
    int GetLineSpacing() const override { return 1; }
    void DrawString(Graphics&, float, float, std::string_view, const Color&) override {}
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<StubFont>(); }
};

// Records what the widget's readers answer for the command "probe".
class ReaderProbe : public RecordingWidget {
public:
    CommandAnswer HandleCommand(const AnimationCommand& command) override {
        if (command.mCommand != "probe") {
            return RecordingWidget::HandleCommand(command);
        }
        fonts.push_back(GetParamTableEntry("font"));
        objects.push_back(GetParamObject("target"));
        return CommandAnswer::kHandled;
    }
    std::vector<Font*> fonts;
    std::vector<Widget*> objects;
};

class WidgetReaders : public ScriptTest {
protected:
    void TearDown() override {
        Fonts::Clear();
        ScriptTest::TearDown();
    }
};

TEST_F(WidgetReaders, FontsByEvaluatedNameAndObjects) {
    Fonts::Set("title", std::make_unique<StubFont>());
    Load(R"(<animation name="s">
        <define face="'title'"/>
        <probe font="face" target="self"/>
        <probe font="'title'" target="'self'"/>
        <probe font="'missing'"/>
        <probe/>
    </animation>)");
    auto* w = Make<ReaderProbe>(false);
    w->PlayAnimationRef("s");
    mManager->AddWidget(w);
    ASSERT_EQ(w->fonts.size(), 4u);
    EXPECT_EQ(w->fonts[0], Fonts::Find("title"));
    EXPECT_NE(w->fonts[0], nullptr);
    EXPECT_EQ(w->fonts[1], Fonts::Find("title"));
    EXPECT_EQ(w->fonts[2], nullptr);  // not in the table
    EXPECT_EQ(w->fonts[3], nullptr);  // absent: the empty name
    EXPECT_EQ(w->objects[0], w);
    EXPECT_EQ(w->objects[1], w);  // the text names the variable
    EXPECT_EQ(w->objects[2], nullptr);
}

TEST(ScriptStrings, ReplaceAllDoesNotRescanReplacements) {
    EXPECT_EQ(StringReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(StringReplaceAll("Hello [player]!", "[player]", "Ann"), "Hello Ann!");
    EXPECT_EQ(StringReplaceAll("abc", "", "x"), "abc");
    EXPECT_FLOAT_EQ(StringToFloat(" 2.5 "), 2.5f);
    EXPECT_FLOAT_EQ(StringToFloat("twelve"), 0.0f);
    EXPECT_TRUE(ValueEqualsText(ExprValue::FromString("go"), "go"));
    EXPECT_TRUE(ValueEqualsText(ExprValue::FromInt(3), "3"));
    EXPECT_FALSE(ValueEqualsText(ExprValue::FromString("go"), "stop"));
}

}  // namespace
