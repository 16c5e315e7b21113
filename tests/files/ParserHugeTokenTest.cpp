// One huge token (an attribute value or a name of megabytes) must cost the reader time in
// proportion to its size with every expat release. Releases before "reparse deferral" scan an
// unfinished token again from its start each time more text is handed over, so the reader's
// feeding decides the cost. The two feeding calls are wrapped here to count that cost: every
// call rescans everything fed so far, since the token starts the document.

#include <dlfcn.h>
#include <expat.h>

#include <gtest/gtest.h>

#include <string>

#include "core/files/Parser.h"
#include "support/WorkingFolder.h"

namespace {

unsigned long long gFed = 0;      // bytes handed to expat since the count was reset
unsigned long long gScanned = 0;  // what an expat without deferral would scan for them

void Count(int length) {
    gFed += static_cast<unsigned long long>(length);
    gScanned += gFed;
}

template <typename F>
F Real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

class ValueReader : public Parser {
public:
    size_t mValueBytes = 0;

protected:
    void HandleElementStart(const XMLElement& /*element*/) override {
        mValueBytes = GetAttribute("v").size();
    }
};

class ParserHugeTokenTest : public WorkingFolderTest {};

}  // namespace

extern "C" XML_Status XML_ParseBuffer(XML_Parser parser, int length, int isFinal) {
    static const auto real = Real<XML_Status (*)(XML_Parser, int, int)>("XML_ParseBuffer");
    Count(length);
    return real(parser, length, isFinal);
}

extern "C" XML_Status XML_Parse(XML_Parser parser, const char* text, int length, int isFinal) {
    static const auto real = Real<XML_Status (*)(XML_Parser, const char*, int, int)>("XML_Parse");
    Count(length);
    return real(parser, text, length, isFinal);
}

TEST_F(ParserHugeTokenTest, AHugeValueIsScannedALinearNumberOfTimes) {
    const size_t valueBytes = size_t{24} << 20;
    const std::string text = "<a v=\"" + std::string(valueBytes, 'x') + "\"/>";
    Write("properties/huge.xml", text);
    for (const bool fromFile : {true, false}) {
        SCOPED_TRACE(fromFile ? "from a file" : "from text");
        gFed = 0;
        gScanned = 0;
        ValueReader reader;
        ASSERT_TRUE(fromFile ? reader.ParseFile("huge.xml") : reader.ParseText(text, "huge.xml"))
            << reader.GetError();
        EXPECT_EQ(reader.mValueBytes, valueBytes);
        EXPECT_EQ(gFed, text.size());
        // Fed in pieces of one size, about size * size / (2 * piece): a thousand times more.
        EXPECT_LE(gScanned, 4 * text.size());
    }
}
