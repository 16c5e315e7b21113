#include "core/util/StringUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StringUtil, BasicFunctions) {
    EXPECT_EQ(StrFormat("%d-%s-%.2f", 7, "x", 1.5), "7-x-1.50");
    EXPECT_EQ(StrFormat("%s", std::string(5000, 'a').c_str()).size(), 5000u);
    EXPECT_EQ(StrFormat("%s", ""), "");
    EXPECT_EQ(MakeString(nullptr), "");
    EXPECT_EQ(MakeString("abc"), "abc");
    EXPECT_EQ(StringToLower("MiXed_Case 12\xC3\x84"), "mixed_case 12\xC3\x84");
}

TEST(StringUtil, StringToFloatChecked) {
    float value = -1.0f;
    EXPECT_TRUE(StringToFloatChecked("1.5", &value));
    EXPECT_FLOAT_EQ(value, 1.5f);
    EXPECT_TRUE(StringToFloatChecked("-2", &value));
    EXPECT_FLOAT_EQ(value, -2.0f);
    EXPECT_TRUE(StringToFloatChecked("+.25", &value));
    EXPECT_FLOAT_EQ(value, 0.25f);
    EXPECT_TRUE(StringToFloatChecked(" 3e2 ", &value));
    EXPECT_FLOAT_EQ(value, 300.0f);

    value = 42.0f;
    for (const char* bad : {"", " ", "abc", "1.5x", "--1", "+-1", "inf", "nan", "-inf", "1e999",
                            "0x10", ".", "-", "1 2"}) {
        EXPECT_FALSE(StringToFloatChecked(bad, &value)) << bad;
    }
    EXPECT_FLOAT_EQ(value, 42.0f) << "a failed parse leaves the output alone";
}

TEST(CheckedFormat, FormatsMatchingArguments) {
    bool ok = false;
    EXPECT_EQ(CheckedFormat("Puzzle %d of %d", {3, 10}, &ok), "Puzzle 3 of 10");
    EXPECT_TRUE(ok);
    EXPECT_EQ(CheckedFormat("%s scored %5.1f%%", {std::string("Ann"), 97.26}, &ok),
              "Ann scored  97.3%");
    EXPECT_TRUE(ok);
    EXPECT_EQ(CheckedFormat("[%-4d|%04x|%+d|%c]", {7, 255, 3, 65}, &ok), "[7   |00ff|+3|A]");
    EXPECT_TRUE(ok);
    // Length modifiers are accepted and the argument's own width is used.
    EXPECT_EQ(CheckedFormat("%ld %lld %hd %lf", {1, 2LL, 3, 0.5}, &ok), "1 2 3 0.500000");
    EXPECT_TRUE(ok);
    EXPECT_EQ(CheckedFormat("%*d|%.*f", {5, 42, 2, 3.14159}, &ok), "   42|3.14");
    EXPECT_TRUE(ok);
    EXPECT_EQ(CheckedFormat("no conversions", {}, &ok), "no conversions");
    EXPECT_TRUE(ok);
    // A string argument that is a view into a longer text is cut at the view's end.
    const std::string longer = "name=value";
    EXPECT_EQ(CheckedFormat("<%s>", {std::string_view(longer).substr(0, 4)}, &ok), "<name>");
    EXPECT_TRUE(ok);
}

TEST(CheckedFormat, ReportsMismatchesInsteadOfFormatting) {
    struct Case {
        const char* format;
        std::vector<FormatArg> args;
        const char* reasonPart;
    };
    const std::vector<Case> cases = {
        {"%s", {5}, "needs a string"},
        {"%d", {"text"}, "needs an integer"},
        {"%f", {5}, "needs a real"},
        {"%d %d", {1}, "has no argument"},
        {"%d", {1, 2}, "2 argument(s) given, 1 used"},
        {"%n", {1}, "not allowed"},
        {"%p", {1}, "not allowed"},
        {"%1$d", {1}, "positional"},
        {"100%", {}, "cut off"},
        {"%99999d", {1}, "above 1000"},
        {"%.5000f", {1.0}, "above 1000"},
        {"%*d", {100000, 1}, "above 1000"},
        {"%*d", {"x", 1}, "needs an integer"},
        {"%q", {}, "cut off"},
        {"%y", {1}, "not allowed"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_FALSE(CheckedFormat(&out, c.format, c.args)) << c.format;
        EXPECT_NE(out.find(c.reasonPart), std::string::npos) << c.format << " -> " << out;
        EXPECT_NE(out.find(std::string("\"") + c.format + "\""), std::string::npos)
            << "the error quotes the format: " << out;
    }
    bool ok = true;
    const std::string text = CheckedFormat("%s and %s", {"one"}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(text.rfind("Bad format text", 0), 0u) << text;
}
