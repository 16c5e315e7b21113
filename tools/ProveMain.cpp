// p7_prove: checks that every source puzzle is solved by line logic alone, reports the sweeps
// each needs and the time for the whole catalogue, and can repair pictures that stall.
//   p7_prove <sources folder>                  prove and report
//   p7_prove --repair <set file> [max flips]   flip the fewest cells the greedy search finds
//   p7_prove --show <set file>                 print each puzzle with its clue runs

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/CatalogueXml.h"
#include "tools/Repair.h"

namespace {

int Prove(const std::string& folder) {
    std::vector<std::string> problems;
    std::string report;
    p7tools::GenerateContent(folder, &problems, &report);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    std::fputs(report.c_str(), stdout);
    return problems.empty() ? 0 : 1;
}

int RepairFile(const std::string& file, int maxFlips) {
    std::string text;
    p7tools::SetSource set;
    std::string error;
    if (!p7tools::ReadTextFile(file, &text) || !p7tools::ParseSetSource(file, text, &set, &error)) {
        std::fprintf(stderr, "%s\n",
                     error.empty() ? (file + ": cannot read").c_str() : error.c_str());
        return 1;
    }
    bool allSolved = true;
    for (p7tools::PuzzleSource& puzzle : set.puzzles) {
        std::vector<p7tools::CellFlip> flips = p7tools::RepairPicture(puzzle.rows, maxFlips);
        if (flips.empty()) {
            continue;
        }
        std::printf("%s: %zu flip(s):", puzzle.id.c_str(), flips.size());
        for (const p7tools::CellFlip& f : flips) {
            std::printf(" (%d,%d)->%s", f.a + 1, f.b + 1, f.nowSolid ? "solid" : "hole");
        }
        std::printf("\n");
        for (const std::string& row : puzzle.rows) {
            std::printf("    %s\n", row.c_str());
        }
        if (static_cast<int>(flips.size()) >= maxFlips) {
            allSolved = false;
            std::printf("    (flip limit reached; may still stall)\n");
        }
        p7tools::ReplacePuzzleRows(&text, puzzle.id, puzzle.rows);
    }
    if (!p7tools::WriteTextFileAtomic(file, text)) {
        std::fprintf(stderr, "%s: cannot write the file\n", file.c_str());
        return 1;
    }
    return allSolved ? 0 : 1;
}

int Show(const std::string& file) {
    std::string text;
    p7tools::SetSource set;
    std::string error;
    if (!p7tools::ReadTextFile(file, &text) || !p7tools::ParseSetSource(file, text, &set, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    for (const p7tools::PuzzleSource& puzzle : set.puzzles) {
        std::printf("%s (%s)\n", puzzle.id.c_str(), puzzle.title.c_str());
        for (const std::string& row : puzzle.rows) {
            std::string wide;
            for (char c : row) {
                wide += c == '.' ? "  " : "[]";
            }
            std::printf("  %s\n", wide.c_str());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--repair") == 0) {
        return RepairFile(argv[2], argc >= 4 ? std::atoi(argv[3]) : 12);
    }
    if (argc == 3 && std::strcmp(argv[1], "--show") == 0) {
        return Show(argv[2]);
    }
    if (argc == 2) {
        return Prove(argv[1]);
    }
    std::fprintf(stderr,
                 "usage: %s <sources folder> | --repair <set file> [max flips] | "
                 "--show <set file>\n",
                 argv[0]);
    return 2;
}
