// p7_gencontent: turns the readable puzzle sources into the game's XML files.
//   p7_gencontent <sources folder> <output folder>          write the files
//   p7_gencontent --check <sources folder> <output folder>  exit 1 when a file differs

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/CatalogueXml.h"

int main(int argc, char** argv) {
    bool check = false;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "--check") == 0) {
        check = true;
        ++arg;
    }
    if (argc - arg != 2) {
        std::fprintf(stderr, "usage: %s [--check] <sources folder> <output folder>\n", argv[0]);
        return 2;
    }
    const std::string sources = argv[arg];
    const std::string output = argv[arg + 1];
    std::vector<std::string> problems;
    std::string report;
    auto files = p7tools::GenerateContent(sources, &problems, &report);
    if (!problems.empty()) {
        for (const std::string& problem : problems) {
            std::fprintf(stderr, "%s\n", problem.c_str());
        }
        std::fprintf(stderr, "%zu problem(s); nothing written\n", problems.size());
        return 1;
    }
    std::fputs(report.c_str(), stdout);
    int differing = 0;
    for (const auto& [name, text] : files) {
        const std::string path = output + "/" + name;
        if (check) {
            std::string current;
            if (!p7tools::ReadTextFile(path, &current) || current != text) {
                std::fprintf(stderr, "%s differs from what the sources generate\n", path.c_str());
                ++differing;
            }
            continue;
        }
        if (!p7tools::WriteTextFileAtomic(path, text)) {
            std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
            return 1;
        }
    }
    if (differing > 0) {
        std::fprintf(stderr,
                     "regenerate with: cmake --build <build folder> --target regen_content\n");
        return 1;
    }
    return 0;
}
