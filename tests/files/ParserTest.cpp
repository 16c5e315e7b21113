#include "core/files/Parser.h"
#include "core/files/XmlEscape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/WorkingFolder.h"

namespace {

// Records every handler call as one line, with the getters' answers where asked.
class RecordingParser : public Parser {
public:
    std::vector<std::string> mEvents;
    std::string mFailOn;     // element name whose start calls Fail
    std::string mThrowOn;    // element name whose start throws
    std::string mIncludeOn;  // element name whose start parses mIncludeFile
    std::string mIncludeFile;

    using Parser::Fail;
    using Parser::GetAttribute;

protected:
    void HandleElementStart(const XMLElement& element) override {
        std::string event = "start " + element.mName;
        if (HasAttribute("v")) {
            event += " v=" + GetAttribute("v") + " int=" + std::to_string(GetAttributeInt("v")) +
                     " bool=" + (GetAttributeBool("v") ? "1" : "0");
        }
        if (!element.mText.empty()) {
            event += " unexpected text";
        }
        mEvents.push_back(event);
        if (element.mName == mFailOn) {
            Fail("Bad element " + element.mName);
        }
        if (element.mName == mThrowOn) {
            throw std::runtime_error("reader broke");
        }
        if (element.mName == mIncludeOn) {
            const bool ok = ParseFile(mIncludeFile);
            mEvents.push_back(std::string("include ") + (ok ? "ok" : "failed"));
            mEvents.push_back("back in " + GetCurrentFile() + " attr=" + GetAttribute("v"));
        }
    }
    void HandleElementText(const XMLElement& element) override {
        mEvents.push_back("text " + element.mName + " [" + element.mText + "]");
    }
    void HandleElementEnd(const XMLElement& element) override {
        mEvents.push_back("end " + element.mName + " [" + element.mText + "]");
    }
};

class ParserTest : public WorkingFolderTest {};

}  // namespace

TEST_F(ParserTest, HandlersInDocumentOrderWithWholeTrimmedText) {
    Write("properties/order.xml",
          "<?xml version=\"1.0\"?>\n"
          "<root>\n"
          "  <grid size=\"15\">  0110 1001\n  1111 </grid>\n"
          "  <empty/>\n"
          "  <mixed>one<child/>two &amp; <![CDATA[<three>]]></mixed>\n"
          "</root>\n");
    RecordingParser parser;
    ASSERT_TRUE(parser.ParseFile("order.xml")) << parser.GetError();
    EXPECT_EQ(parser.GetError(), "");
    const std::vector<std::string> expected = {
        "start root",
        "start grid",
        "text grid [0110 1001\n  1111]",
        "end grid [0110 1001\n  1111]",
        "start empty",
        "end empty []",
        "start mixed",
        "start child",
        "end child []",
        "text mixed [onetwo & <three>]",
        "end mixed [onetwo & <three>]",
        "end root []",
    };
    EXPECT_EQ(parser.mEvents, expected);
}

TEST_F(ParserTest, AttributeGetters) {
    RecordingParser parser;
    ASSERT_TRUE(
        parser.ParseText("<r><a v=\"12\"/><b v=\"-7\"/><c v=\"true\"/><d v=\"1\"/>"
                         "<e v=\"\"/><f v=\"3+4*2\"/><g v=\"0x10\"/><h v=\"007\"/></r>",
                         "attrs.xml"))
        << parser.GetError();
    const std::vector<std::string> expected = {
        "start r",  "start a v=12 int=12 bool=0",
        "end a []", "start b v=-7 int=-7 bool=0",
        "end b []", "start c v=true int=1 bool=1",
        "end c []", "start d v=1 int=1 bool=1",
        "end d []", "start e v= int=0 bool=0",
        "end e []", "start f v=3+4*2 int=11 bool=0",
        "end f []", "start g v=0x10 int=16 bool=0",
        "end g []", "start h v=007 int=7 bool=0",
        "end h []", "end r []",
    };
    EXPECT_EQ(parser.mEvents, expected);
    // Outside the handlers the getters answer as for an absent attribute.
    EXPECT_EQ(parser.GetAttribute("v"), "");
}

namespace {

class IdParser : public Parser {
public:
    std::vector<int> mIds;
    std::vector<int> mChecked;

protected:
    void HandleElementStart(const XMLElement&) override {
        mIds.push_back(GetAttributeId("music"));
        int value = -99;
        mChecked.push_back(GetAttributeIntChecked("n", &value) ? value : -99);
    }
};

int TestResolver(const std::string& name) {
    return name == "theme" ? 42 : -1;
}

}  // namespace

TEST_F(ParserTest, NamedIdsAndCheckedIntegers) {
    const std::string text =
        "<r><a music=\"theme\" n=\"5\"/><b music=\"other\" n=\"2*3\"/><c n=\"\"/></r>";
    IdParser without;
    Parser::SetNamedIdResolver(nullptr);
    ASSERT_TRUE(without.ParseText(text, "ids.xml"));
    EXPECT_EQ(without.mIds, (std::vector<int>{-1, -1, -1, -1}));

    IdParser with;
    Parser::SetNamedIdResolver(&TestResolver);
    ASSERT_TRUE(with.ParseText(text, "ids.xml"));
    Parser::SetNamedIdResolver(nullptr);
    EXPECT_EQ(with.mIds, (std::vector<int>{-1, 42, -1, -1}));
    EXPECT_EQ(with.mChecked, (std::vector<int>{-99, 5, 6, -99}));
}

TEST_F(ParserTest, MalformedAndTruncatedFilesFailWithLineAndFile) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"<a>\n<b>\n</a>\n", 3},               // mismatched tag
        {"<a>\n<b x=\"1\">text", 2},           // truncated inside an element
        {"<a>\n<b x=\"1", 2},                  // truncated inside a tag
        {"", 1},                               // empty file
        {"<a></a>\n<second/>", 2},             // two roots
        {"<a>\n\n&undefined;</a>", 3},         // unknown entity
        {"<a x=\"1\" x=\"2\"/>", 1},           // duplicate attribute
        {"\xEF\xBB\xBF<a>\n\xFF\xFE</a>", 2},  // not UTF-8
    };
    for (const Case& c : cases) {
        Write("properties/bad.xml", c.text);
        RecordingParser parser;
        EXPECT_FALSE(parser.ParseFile("bad.xml")) << c.text;
        const std::string where =
            " on Line " + std::to_string(c.line) + " in File 'properties/bad.xml'";
        EXPECT_NE(parser.GetError().find(where), std::string::npos)
            << c.text << " -> " << parser.GetError();
        EXPECT_FALSE(parser.WasFileMissing());
    }

    RecordingParser parser;
    EXPECT_FALSE(parser.ParseFile("absent.xml"));
    EXPECT_TRUE(parser.WasFileMissing());
    EXPECT_NE(parser.GetError().find(" in File 'properties/absent.xml'"), std::string::npos);
    EXPECT_FALSE(parser.ParseFileAtPath("properties"));
    EXPECT_TRUE(parser.WasFileMissing());

    // The same parser reads a good file afterwards, and the error is gone.
    Write("properties/good.xml", "<ok/>");
    EXPECT_TRUE(parser.ParseFile("good.xml"));
    EXPECT_EQ(parser.GetError(), "");
}

TEST_F(ParserTest, FailAndExceptionsStopTheParse) {
    RecordingParser failing;
    failing.mFailOn = "stop";
    EXPECT_FALSE(failing.ParseText("<r>\n<a/>\n\n<stop/>\n<after/><after/></r>", "fail.xml"));
    EXPECT_EQ(failing.GetError(), "Bad element stop on Line 4 in File 'fail.xml'");
    EXPECT_EQ(failing.mEvents.back(), "start stop") << "no handler runs after Fail";

    RecordingParser throwing;
    throwing.mThrowOn = "boom";
    EXPECT_FALSE(throwing.ParseText("<r>\n<boom/><after/></r>", "throw.xml"));
    EXPECT_EQ(throwing.GetError(),
              "Error while reading: reader broke on Line 2 in File 'throw.xml'");
    EXPECT_EQ(throwing.mEvents.back(), "start boom");

    // Fail outside a parse names the file last read.
    RecordingParser after;
    ASSERT_TRUE(after.ParseText("<r/>", "after.xml"));
    after.Fail("Missing section");
    EXPECT_EQ(after.GetError(), "Missing section on Line 0 in File 'after.xml'");
}

TEST_F(ParserTest, IncludedFileParsedFromAHandler) {
    Write("properties/main.xml", "<main>\n<include v=\"outer\"/>\n<tail/>\n</main>");
    Write("properties/inner.xml", "<inner>\n<leaf v=\"5\"/>\n</inner>");
    RecordingParser parser;
    parser.mIncludeOn = "include";
    parser.mIncludeFile = "inner.xml";
    ASSERT_TRUE(parser.ParseFile("main.xml")) << parser.GetError();
    const std::vector<std::string> expected = {
        "start main",     "start include v=outer int=0 bool=0",
        "start inner",    "start leaf v=5 int=5 bool=0",
        "end leaf []",    "end inner []",
        "include ok",     "back in properties/main.xml attr=outer",
        "end include []", "start tail",
        "end tail []",    "end main []",
    };
    EXPECT_EQ(parser.mEvents, expected);

    // A broken included file: the include reports it, the outer file goes on.
    Write("properties/inner.xml", "<inner>\n<leaf>");
    RecordingParser broken;
    broken.mIncludeOn = "include";
    broken.mIncludeFile = "inner.xml";
    EXPECT_TRUE(broken.ParseFile("main.xml"));
    EXPECT_NE(std::find(broken.mEvents.begin(), broken.mEvents.end(), "include failed"),
              broken.mEvents.end());
    EXPECT_EQ(broken.mEvents.back(), "end main []");
}

TEST_F(ParserTest, LargeFileReadInPieces) {
    std::string text = "<list>\n";
    for (int i = 0; i < 20000; ++i) {
        text += "  <item v=\"" + std::to_string(i) + "\">text " + std::to_string(i) + "</item>\n";
    }
    text += "</list>\n";
    Write("properties/large.xml", text);
    RecordingParser parser;
    ASSERT_TRUE(parser.ParseFile("large.xml")) << parser.GetError();
    ASSERT_EQ(parser.mEvents.size(), 2u + 3u * 20000u);
    EXPECT_EQ(parser.mEvents[3 * 12345 + 1], "start item v=12345 int=12345 bool=0");
    EXPECT_EQ(parser.mEvents[3 * 12345 + 2], "text item [text 12345]");

    // The text entry cuts big texts into pieces as well, and an element split across pieces
    // still arrives whole.
    RecordingParser fromText;
    ASSERT_TRUE(fromText.ParseText(text, "large.xml"));
    EXPECT_EQ(fromText.mEvents, parser.mEvents);
}

// What our writers escape must come back through the reader as it was written (the player's
// text), or as the documented '?' for what XML cannot hold at all.
TEST_F(ParserTest, EscapedTextReadsBack) {
    const std::string typed = "Anne & \"Bo\" <3 it's\tgood\r\nnext\x01 caf\xC3\xA9 \xFF";
    const std::string doc = "<p v=\"" + EscapeXmlAttribute(typed) + "\">" +
                            EscapeXmlMarkup("a < b & c > d, it's") + "</p>";
    RecordingParser parser;
    ASSERT_TRUE(parser.ParseText(doc, "escape.xml")) << parser.GetError();
    ASSERT_EQ(parser.mEvents.size(), 3u);
    EXPECT_EQ(parser.mEvents[0],
              "start p v=Anne & \"Bo\" <3 it's\tgood\r\nnext? caf\xC3\xA9 ? int=0 bool=0");
    EXPECT_EQ(parser.mEvents[1], "text p [a < b & c > d, it's]");
    // The markup form changes nothing but the four markup characters (stored files rely on it).
    EXPECT_EQ(EscapeXmlMarkup("it's \xE9t\xE9 \"x\""), "it's \xE9t\xE9 &quot;x&quot;");
}
