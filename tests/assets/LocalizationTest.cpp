#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "graphics/assets/Localization.h"
#include "graphics/assets/LocalizedTexts.h"

namespace {

// A reader shaped like the game's: it claims "puzzle" texts through the current element.
class TestLocalization : public Localization {
public:
    std::vector<std::string> mPuzzles;

protected:
    void HandleElementText(const XMLElement& element) override {
        if (GetCurrentElement() == "puzzle") {
            mPuzzles.push_back(element.mText);
            ClearCurrentElement();
            return;
        }
        Localization::HandleElementText(element);
    }
};

class LocalizationTest : public ::testing::Test {
protected:
    void SetUp() override { LocalizedTexts::Clear(); }
    void TearDown() override { LocalizedTexts::Clear(); }
};

TEST_F(LocalizationTest, PairsAndElementTextsFillTheTable) {
    TestLocalization reader;
    ASSERT_TRUE(reader.ReadText(R"(<localization>
  <pair id="play" value="Play"/>
  <pair id="quit" title="Leave?" text="Really[br]leave?"/>
  <credits_time>Played %d hours[br]and %d minutes</credits_time>
  <set name="s"><puzzle>Cat</puzzle><puzzle>Dog</puzzle></set>
  <empty/>
  <after>x</after>
</localization>)",
                                "localization.xml"))
        << reader.GetError();
    EXPECT_EQ(LocalizedTexts::Lookup("play"), "Play");
    EXPECT_EQ(LocalizedTexts::Lookup("quit_title"), "Leave?");
    EXPECT_EQ(LocalizedTexts::Lookup("quit_text"), "Really\nleave?");
    EXPECT_FALSE(LocalizedTexts::Contains("quit"));  // no "value": no plain entry
    EXPECT_EQ(LocalizedTexts::Lookup("credits_time"), "Played %d hours\nand %d minutes");
    EXPECT_EQ(reader.mPuzzles, (std::vector<std::string>{"Cat", "Dog"}));
    // Whitespace after an element's end is never filed under that element.
    EXPECT_FALSE(LocalizedTexts::Contains("empty"));
    EXPECT_EQ(LocalizedTexts::Lookup("after"), "x");
}

TEST_F(LocalizationTest, AbsentLookupInsertsEmptyAndClearEmpties) {
    EXPECT_FALSE(LocalizedTexts::Contains("nope"));
    EXPECT_EQ(LocalizedTexts::Lookup("nope"), "");
    EXPECT_TRUE(LocalizedTexts::Contains("nope"));
    LocalizedTexts::Set("a", "b");
    EXPECT_EQ(LocalizedTexts::Size(), 2u);
    LocalizedTexts::Clear();
    EXPECT_EQ(LocalizedTexts::Size(), 0u);
    EXPECT_EQ(LocalizedTexts::ConvertLineBreaks("[br]a[br][br]b[br"), "\na\n\nb[br");
}

TEST_F(LocalizationTest, PairWithoutIdIsSkippedAndMalformedFileNamesLine) {
    TestLocalization reader;
    EXPECT_TRUE(reader.ReadText("<l><pair value=\"x\"/><pair id=\"k\" value=\"v\"/></l>",
                                "localization.xml"));
    EXPECT_EQ(LocalizedTexts::Lookup("k"), "v");
    // A file broken after some good entries files none of them: the table stays as it was.
    TestLocalization broken;
    EXPECT_FALSE(
        broken.ReadText("<l>\n<pair id=\"k\" value=\"changed\"/><pair id=\"a\" value=\"b\">\n</l>",
                        "localization.xml"));
    EXPECT_NE(broken.GetError().find(" on Line 3"), std::string::npos) << broken.GetError();
    EXPECT_NE(broken.GetError().find("localization.xml"), std::string::npos);
    EXPECT_EQ(LocalizedTexts::Lookup("k"), "v");
    EXPECT_FALSE(LocalizedTexts::Contains("a"));
}

TEST_F(LocalizationTest, LookupsAreSafeWhileALoaderFillsTheTable) {
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int i = 0; i < 2000; ++i) {
            LocalizedTexts::Set("id" + std::to_string(i), "text" + std::to_string(i));
        }
        done = true;
    });
    int seen = 0;
    while (!done) {
        seen += LocalizedTexts::Lookup("id10").empty() ? 0 : 1;
        LocalizedTexts::Lookup("missing" + std::to_string(seen % 7));
    }
    loader.join();
    EXPECT_EQ(LocalizedTexts::Lookup("id1999"), "text1999");
}

}  // namespace

TEST_F(LocalizationTest, TextBeforeAChildElementIsKept) {
    TestLocalization reader;
    ASSERT_TRUE(reader.ReadText(R"(<localization>
  <greeting>Hello<b/></greeting>
  <outer>Before<inner>Inside</inner></outer>
  <set name="s"><puzzle>Cat<i/></puzzle></set>
  <pair id="p" value="v"/>
</localization>)",
                                "localization.xml"))
        << reader.GetError();
    EXPECT_EQ(LocalizedTexts::Lookup("greeting"), "Hello");
    EXPECT_EQ(LocalizedTexts::Lookup("outer"), "Before");
    EXPECT_EQ(LocalizedTexts::Lookup("inner"), "Inside");
    EXPECT_EQ(reader.mPuzzles, (std::vector<std::string>{"Cat"}));
    EXPECT_FALSE(LocalizedTexts::Contains("b"));
    EXPECT_FALSE(LocalizedTexts::Contains("localization"));
    EXPECT_EQ(LocalizedTexts::Lookup("p"), "v");
}
