// Costs of the game data that a player can feel: reading the puzzle catalogue at start-up, and
// saving the profiles, which happens after every solved puzzle and on every puzzle-list refresh.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/util/FileUtil.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleStats.h"

namespace {

std::string ShippedCatalogue() {
    const char* source = std::getenv("P7_SOURCE_DIR");
    std::ifstream in(std::string(source != nullptr ? source : ".") +
                     "/content/properties/puzzles_pelnora7.xml");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void LoadCatalogueOrSkip(benchmark::State& state, const std::string& text) {
    PuzzleStats reader;
    if (text.empty() || !reader.LoadText(text, "puzzles_pelnora7.xml")) {
        state.SkipWithError("set P7_SOURCE_DIR to the source tree with content/");
    }
}

void BM_ReadCatalogue(benchmark::State& state) {
    const std::string text = ShippedCatalogue();
    LoadCatalogueOrSkip(state, text);
    for (auto _ : state) {
        PuzzleStats reader;
        benchmark::DoNotOptimize(reader.LoadText(text, "puzzles_pelnora7.xml"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMillisecond);

void BM_BuildProfilesText(benchmark::State& state) {
    LoadCatalogueOrSkip(state, ShippedCatalogue());
    std::vector<ProfileRecord> profiles(kProfileSlots);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildProfilesXml(profiles, 0));
    }
}
BENCHMARK(BM_BuildProfilesText)->Unit(benchmark::kMicrosecond);

// The whole save: text, backup link and the synced atomic write.
void BM_SaveProfiles(benchmark::State& state) {
    LoadCatalogueOrSkip(state, ShippedCatalogue());
    std::string folder = (std::filesystem::temp_directory_path() / "p7benchXXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    SetAppDataFolder(folder);
    LoadProfiles();
    for (int i = 0; i < kProfileSlots; ++i) {
        AddProfile("player" + std::to_string(i));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(SaveProfiles());
    }
    ClearProfiles();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveProfiles)->Unit(benchmark::kMillisecond);

}  // namespace
