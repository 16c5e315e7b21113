// Every source may include only headers of its own layer or of layers below it, so the libraries
// link in one direction. The order, bottom to top:
//   core < rules, platform, graphics, audio < game data, tools < widgets < app < menus
//   < board < screens < the executable
// Layers that share a rank are neighbours that must not include each other.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Layer {
    const char* name;
    int rank;
    std::vector<const char*> prefixes;  // paths from the source root
};

const std::vector<Layer>& Layers() {
    static const std::vector<Layer> layers = {
        {"core", 0, {"core/"}},
        {"rules", 1, {"rules/"}},
        {"platform", 1, {"platform/"}},
        {"graphics", 1, {"graphics/"}},
        {"audio", 1, {"audio/"}},
        {"data", 2, {"game/data/"}},
        {"tools", 2, {"tools/"}},
        {"widgets", 3, {"widgets/"}},
        {"app", 4, {"app/"}},
        {"menus", 5, {"menus/"}},
        {"board", 6, {"game/board/"}},
        {"screens", 7, {"game/screens/"}},
        {"main", 8, {"game/main.cpp", "game/SanitizerDefaults.cpp"}},
    };
    return layers;
}

const Layer* LayerOf(const std::string& path) {
    for (const Layer& layer : Layers()) {
        for (const char* prefix : layer.prefixes) {
            if (path.rfind(prefix, 0) == 0) {
                return &layer;
            }
        }
    }
    return nullptr;
}

// True when a file of layer `from` may include a header of layer `to`.
bool MayInclude(const Layer& from, const Layer& to) {
    return &from == &to || to.rank < from.rank;
}

// The header of a line `#include "..."`, or empty for any other line.
std::string QuotedInclude(const std::string& line) {
    size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line[i] != '#') {
        return {};
    }
    i = line.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || line.compare(i, 7, "include") != 0) {
        return {};
    }
    const size_t open = line.find('"', i + 7);
    const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos || line.find_first_not_of(" \t", i + 7) != open) {
        return {};
    }
    return line.substr(open + 1, close - open - 1);
}

struct Violation {
    std::string file;
    int line;
    std::string header;
};

std::vector<Violation> CheckTree(const fs::path& root) {
    std::vector<Violation> found;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::directory_entry& entry = *it;
        const std::string leaf = entry.path().filename().string();
        if (entry.is_directory() && (leaf == "build" || leaf.rfind('.', 0) == 0)) {
            it.disable_recursion_pending();  // build output and version control
            continue;
        }
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") {
            continue;
        }
        const std::string rel = fs::relative(entry.path(), root).generic_string();
        const Layer* from = LayerOf(rel);
        if (from == nullptr) {
            continue;  // tests, benchmarks, build output
        }
        std::ifstream in(entry.path());
        std::string text;
        int lineNo = 0;
        while (std::getline(in, text)) {
            ++lineNo;
            const std::string header = QuotedInclude(text);
            if (header.empty()) {
                continue;
            }
            const Layer* to = LayerOf(header);
            if (to != nullptr && !MayInclude(*from, *to)) {
                found.push_back({rel, lineNo, header});
            }
        }
    }
    return found;
}

}  // namespace

TEST(Layering, NoSourceIncludesALayerAboveItsOwn) {
    const std::vector<Violation> found = CheckTree(P7_SOURCE_DIR);
    for (const Violation& v : found) {
        ADD_FAILURE() << v.file << ":" << v.line << " includes \"" << v.header
                      << "\", which is not below its layer";
    }
}

TEST(Layering, TheCheckFindsAnUpwardInclude) {
    const fs::path root = fs::temp_directory_path() / "p7_layering_probe";
    fs::remove_all(root);
    fs::create_directories(root / "widgets");
    fs::create_directories(root / "graphics");
    std::ofstream(root / "widgets/Ok.cpp") << "#include \"graphics/Image.h\"\n";
    std::ofstream(root / "graphics/Bad.cpp") << "// a comment\n#include \"widgets/Widget.h\"\n";
    std::ofstream(root / "graphics/Neighbour.h") << "#include \"audio/Mixer.h\"\n";
    const std::vector<Violation> found = CheckTree(root);
    fs::remove_all(root);
    ASSERT_EQ(found.size(), 2u);
    for (const Violation& v : found) {
        EXPECT_TRUE(v.file == "graphics/Bad.cpp" || v.file == "graphics/Neighbour.h") << v.file;
    }
}
