// Named constants read from "constants.xml" with included files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"

namespace fs = std::filesystem;

namespace {

class ConstantsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        ClearConstants();
        mDir =
            fs::temp_directory_path() /
            ("p7_constants_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mDir);
        fs::create_directories(mDir);
    }
    void TearDown() override {
        ClearConstants();
        fs::remove_all(mDir);
    }

    std::string Write(const std::string& name, const std::string& text) {
        fs::path path = mDir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path.string();
    }

    fs::path mDir;
};

}  // namespace

TEST_F(ConstantsTest, LoadsConstantsAndIncludedFilesInOrder) {
    std::string main = Write("constants.xml", R"(<?xml version="1.0"?>
<constants>
  <constant name="logging" value="0"/>
  <constant name="tile" value="32"/>
  <include file="sub/grid.xml"/>
  <constant name="board_width" value="columns * tile"/>
  <constant name="title" value="'Pelnora 7'"/>
  <constant name="hint-reward" value="3"/>
</constants>
)");
    Write("sub/grid.xml", R"(<constants>
  <constant name="columns" value="tile / 2"/>
  <constant name="tile" value="40"/>
  <include file="speed.xml"/>
</constants>
)");
    Write("sub/speed.xml", R"(<constants><constant name="speed" value="1.5 * 2"/></constants>)");

    std::string error;
    ASSERT_TRUE(LoadConstantsFromPath(main, &error)) << error;
    EXPECT_EQ(GetConstantValue("logging").AsInt(), 0);
    EXPECT_EQ(GetConstantValue("columns").AsInt(), 16);  // uses the tile defined before it
    EXPECT_EQ(GetConstantValue("tile").AsInt(), 40);     // the later definition wins
    EXPECT_EQ(GetConstantValue("board_width").AsInt(), 640);
    EXPECT_FLOAT_EQ(GetConstantValue("speed").AsReal(), 3.0f);
    EXPECT_EQ(GetConstantValue("title").AsString(), "Pelnora 7");
    EXPECT_EQ(ExpressionEvaluator(nullptr).Evaluate("hint-reward + 1").AsInt(), 4);
    EXPECT_EQ(ExpressionEvaluator(nullptr).Evaluate("tile * 2").AsInt(), 80);
}

TEST_F(ConstantsTest, IncludeCycleIsReportedAndNothingIsLoaded) {
    SetConstant("kept", ExprValue::FromInt(5));
    std::string main = Write("constants.xml", R"(<constants>
  <constant name="a" value="1"/>
  <include file="b.xml"/>
</constants>
)");
    Write("b.xml", R"(<constants>
  <constant name="b" value="2"/>

  <include file="./constants.xml"/>
</constants>
)");
    std::string error;
    EXPECT_FALSE(LoadConstantsFromPath(main, &error));
    EXPECT_NE(error.find("Include cycle"), std::string::npos) << error;
    EXPECT_NE(error.find(" on Line 4"), std::string::npos) << error;
    EXPECT_NE(error.find("b.xml'"), std::string::npos) << error;
    EXPECT_FALSE(HasConstant("a"));
    EXPECT_FALSE(HasConstant("b"));
    EXPECT_EQ(GetConstantValue("kept").AsInt(), 5);
}

TEST_F(ConstantsTest, BadFilesAreReportedWithFileAndLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"<constants>\n<constant name=\"x\" value=\"1\">\n</constants>\n", " on Line 3"},
        {"<constants>\n  <constant value=\"1\"/>\n</constants>\n", "needs a 'name' on Line 2"},
        {"<constants>\n  <constant name=\"x\"/>\n</constants>\n", "needs a 'value' on Line 2"},
        {"<constants>\n\n  <const name=\"x\" value=\"1\"/>\n</constants>\n",
         "Unknown element 'const' (expected 'constant' or 'include') on Line 3"},
        {"<settings/>\n", "Expected the element 'constants'"},
        {"<constants>\n  <include file=\"missing.xml\"/>\n</constants>\n", "missing.xml"},
        {"<constants>\n  <constant name=\"x\" value=\"1\"/>\n", " in File '"},  // truncated
    };
    for (const Case& c : cases) {
        std::string path = Write("constants.xml", c.text);
        std::string error;
        EXPECT_FALSE(LoadConstantsFromPath(path, &error)) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.text << " -> " << error;
        EXPECT_FALSE(HasConstant("x"));
    }
    std::string error;
    EXPECT_FALSE(LoadConstantsFromPath((mDir / "absent.xml").string(), &error));
    EXPECT_NE(error.find("absent.xml"), std::string::npos) << error;
}

TEST_F(ConstantsTest, AbsentNamesAreEnteredOnlyOnTheMainThread) {
    EXPECT_FALSE(HasConstant("unknown_a"));
    ExprValue fromWorker;
    std::thread worker([&] { fromWorker = GetConstantValue("unknown_a"); });
    worker.join();
    EXPECT_EQ(fromWorker.GetTag(), ExprValue::kReal);
    EXPECT_FLOAT_EQ(fromWorker.AsReal(), 0.0f);
    EXPECT_FALSE(HasConstant("unknown_a"));

    ExprValue fromMain = GetConstantValue("unknown_a");
    EXPECT_EQ(fromMain.GetTag(), ExprValue::kReal);
    EXPECT_TRUE(HasConstant("unknown_a"));

    // Evaluating an unknown name never enters it: it stays a bare word.
    EXPECT_EQ(ExpressionEvaluator(nullptr).Evaluate("unknown_b").AsString(), "unknown_b");
    EXPECT_FALSE(HasConstant("unknown_b"));
}

TEST_F(ConstantsTest, ShippedConstantsFileLoads) {
    // The source tree from the environment, else from this file's own path.
    const char* fromEnv = std::getenv("P7_SOURCE_DIR");
    fs::path source = fromEnv != nullptr
                          ? fs::path(fromEnv)
                          : fs::path(__FILE__).parent_path().parent_path().parent_path();
    std::string error;
    ASSERT_TRUE(
        LoadConstantsFromPath((source / "content/properties/constants.xml").string(), &error))
        << error;
    EXPECT_TRUE(HasConstant("logging"));
    EXPECT_EQ(GetConstantValue("logging").AsInt(), 0);
}
