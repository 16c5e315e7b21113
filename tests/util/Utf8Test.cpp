// Stepping through UTF-8 text one character at a time, with stray bytes as characters of their
// own.

#include <gtest/gtest.h>

#include "core/util/Utf8.h"

TEST(Utf8Test, DecodesWellFormedSequences) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀
    size_t pos = 0;
    uint32_t c = 0;
    EXPECT_TRUE(Utf8Next(text, &pos, &c));
    EXPECT_EQ(c, 0x61u);
    EXPECT_TRUE(Utf8Next(text, &pos, &c));
    EXPECT_EQ(c, 0xE9u);
    EXPECT_EQ(pos, 3u);
    EXPECT_TRUE(Utf8Next(text, &pos, &c));
    EXPECT_EQ(c, 0x20ACu);
    EXPECT_TRUE(Utf8Next(text, &pos, &c));
    EXPECT_EQ(c, 0x1F600u);
    EXPECT_EQ(pos, text.size());
    EXPECT_EQ(Utf8Length(text), 4u);
    EXPECT_EQ(Utf8OffsetOf(text, 2), 3u);
    EXPECT_EQ(Utf8OffsetOf(text, 9), text.size());
    EXPECT_EQ(Utf8Encode(0xE9), "\xC3\xA9");
    EXPECT_EQ(Utf8Encode(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8Encode(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8Encode(0xD800), "");
}

TEST(Utf8Test, StrayAndMalformedBytesStandAlone) {
    // Windows-1252 text: each byte one character, handed back as its value.
    const std::string old = "Jos\xE9!";
    EXPECT_EQ(Utf8Length(old), 5u);
    size_t pos = 3;
    uint32_t c = 0;
    EXPECT_FALSE(Utf8Next(old, &pos, &c));
    EXPECT_EQ(c, 0xE9u);
    EXPECT_EQ(pos, 4u);
    // Overlong forms, surrogates, a truncated end and a lone continuation byte.
    for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\x80"}) {
        pos = 0;
        EXPECT_FALSE(Utf8Next(bad, &pos, &c)) << bad.size();
        EXPECT_EQ(pos, 1u);
    }
}

TEST(Utf8Test, BoundariesNeverSplitACharacter) {
    const std::string text =
        "x\xC3\xA9\xE2\x82\xAC"
        "y";
    EXPECT_EQ(Utf8NextBoundary(text, 0), 1u);
    EXPECT_EQ(Utf8NextBoundary(text, 1), 3u);
    EXPECT_EQ(Utf8NextBoundary(text, 3), 6u);
    EXPECT_EQ(Utf8NextBoundary(text, 7), 7u);
    EXPECT_EQ(Utf8PrevBoundary(text, 7), 6u);
    EXPECT_EQ(Utf8PrevBoundary(text, 6), 3u);
    EXPECT_EQ(Utf8PrevBoundary(text, 3), 1u);
    EXPECT_EQ(Utf8PrevBoundary(text, 0), 0u);
    // Continuation bytes without their lead step back one byte at a time.
    const std::string stray = "a\x80\x80";
    EXPECT_EQ(Utf8PrevBoundary(stray, 3), 2u);
    EXPECT_EQ(Utf8PrevBoundary(stray, 2), 1u);
}
