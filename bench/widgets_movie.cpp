// What a movie costs the main thread: one second of the credits' movie ("lantern", 200 x 150 at
// 12 frames a second) as the widget runs it, 100 fixed updates with each new frame converted
// into the surface; and the same at four times the size on screen.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "graphics/ImageSurface.h"
#include "widgets/controls/SwfMoviePlayer.h"

namespace {

void OneSecondOfMovie(benchmark::State& state) {
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(std::string(P7_SOURCE_DIR) + "/content");
    const int scale = int(state.range(0));
    SwfMoviePlayer player;
    player.SetLoop(true);
    if (!player.Load("flash/lantern.swf", 200 * scale, 150 * scale)) {
        state.SkipWithError("content/flash/lantern.swf did not load");
        return;
    }
    std::filesystem::current_path(old);
    ImageSurface surface;
    surface.Create(200 * scale, 150 * scale);
    for (auto _ : state) {
        for (int update = 0; update < 100; ++update) {
            if (player.Advance()) {
                player.PaintInto(&surface);
            }
        }
    }
}
BENCHMARK(OneSecondOfMovie)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
