// XML reading throughput of the Parser base on a generated property file of a few megabytes:
// once with a reader that only counts elements (the cost of the read loop and of the element
// records), once with a reader that also fetches integer attributes (the path of the data
// readers).

#include <benchmark/benchmark.h>

#include <string>

#include "core/files/Parser.h"

namespace {

// About 4 MB shaped like the puzzle catalogue: nested elements with a few attributes and text.
const std::string& GeneratedFile() {
    static const std::string text = [] {
        std::string xml = "<?xml version=\"1.0\"?>\n<catalogue>\n";
        int puzzle = 0;
        while (xml.size() < 4 * 1024 * 1024) {
            xml += "  <set name=\"set" + std::to_string(puzzle) + "\">\n";
            for (int i = 0; i < 20; ++i, ++puzzle) {
                xml += "    <puzzle name=\"p" + std::to_string(puzzle) + "\" difficulty=\"" +
                       std::to_string(puzzle % 5) + "\" steps=\"" + std::to_string(puzzle % 97) +
                       "\" tested=\"true\">\n";
                xml += "      <grid>0110100110 1001011001 1111000011 0000111100</grid>\n";
                xml += "      <picture>AAABACAD0xAEAF AGAH0xAIAJAK</picture>\n";
                xml += "    </puzzle>\n";
            }
            xml += "  </set>\n";
        }
        xml += "</catalogue>\n";
        return xml;
    }();
    return text;
}

class CountingParser : public Parser {
public:
    long mElements = 0;
    long mTextBytes = 0;

protected:
    void HandleElementStart(const XMLElement&) override { ++mElements; }
    void HandleElementText(const XMLElement& element) override {
        mTextBytes += static_cast<long>(element.mText.size());
    }
};

class AttributeParser : public Parser {
public:
    long mSum = 0;

protected:
    void HandleElementStart(const XMLElement& element) override {
        if (element.mName == "puzzle") {
            mSum += GetAttributeInt("difficulty") + GetAttributeInt("steps") +
                    (GetAttributeBool("tested") ? 1 : 0);
        }
    }
};

template <typename Reader>
void BM_ParseGeneratedFile(benchmark::State& state) {
    const std::string& text = GeneratedFile();
    for (auto _ : state) {
        Reader reader;
        if (!reader.ParseText(text, "generated.xml")) {
            state.SkipWithError(reader.GetError().c_str());
            break;
        }
        benchmark::DoNotOptimize(reader);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["file_MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}

BENCHMARK_TEMPLATE(BM_ParseGeneratedFile, CountingParser)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_ParseGeneratedFile, AttributeParser)->Unit(benchmark::kMillisecond);

}  // namespace
