// p7_sheet: draws one contact sheet per set, so the pictures can be judged by eye.
//   p7_sheet <sources folder> <output folder>   writes <output>/<set id>.png per set
// Each panel shows the puzzle's number in the set file, the bare solution and the shaded
// picture; a red frame marks a puzzle line logic alone cannot solve.

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/ContactSheet.h"
#include "tools/PuzzleSource.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <sources folder> <output folder>\n", argv[0]);
        return 2;
    }
    std::vector<p7tools::SetSource> sets;
    std::string error;
    if (!p7tools::LoadSetSources(argv[1], &sets, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[2], ec);
    for (const p7tools::SetSource& set : sets) {
        const std::string path = std::string(argv[2]) + "/" + set.id + ".png";
        if (!p7tools::WriteTextFileAtomic(path,
                                          p7tools::EncodePng(p7tools::RenderContactSheet(set)))) {
            std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
        for (size_t i = 0; i < set.puzzles.size(); ++i) {
            std::printf("  %2zu %-14s %s\n", i + 1, set.puzzles[i].id.c_str(),
                        set.puzzles[i].title.c_str());
        }
    }
    return 0;
}
