// Image decode throughput of the PNG, JPEG, TGA and GIF readers on a 512x512 picture.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

namespace {

std::vector<uint32_t> Picture(int w, int h) {
    std::vector<uint32_t> p(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t r = uint32_t(128 + 127 * std::sin(float(x) * 0.05f));
            uint32_t g = uint32_t(128 + 127 * std::cos(float(y) * 0.03f));
            p[size_t(y * w + x)] = 0xFF000000u | (r << 16) | (g << 8) | uint32_t((x ^ y) & 0xFF);
        }
    }
    return p;
}

// An uncompressed 32-bit TGA written by hand (we have no TGA writer).
std::string MakeTga(int w, int h, const std::vector<uint32_t>& pixels) {
    std::string t(18, '\0');
    t[2] = 2;
    t[12] = char(w & 0xFF);
    t[13] = char(w >> 8);
    t[14] = char(h & 0xFF);
    t[15] = char(h >> 8);
    t[16] = 32;
    t[17] = 0x28;
    t.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4);
    return t;
}

void Decode(benchmark::State& state, const std::string& name, const std::string& data) {
    for (auto _ : state) {
        DecodedImage image;
        std::string error;
        bool ok = DecodeImage(name, reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                              &image, &error);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 512 * 512 * 4);
    state.counters["megapixels_per_s"] = benchmark::Counter(
        double(state.iterations()) * 512 * 512 / 1e6, benchmark::Counter::kIsRate);
}

void BM_DecodePng(benchmark::State& state) {
    std::string data;
    EncodePng(512, 512, Picture(512, 512), &data);
    Decode(state, "a.png", data);
}
void BM_DecodeJpeg(benchmark::State& state) {
    std::string data;
    EncodeJpeg(512, 512, Picture(512, 512), 90, &data);
    Decode(state, "a.jpg", data);
}
void BM_DecodeTga(benchmark::State& state) {
    Decode(state, "a.tga", MakeTga(512, 512, Picture(512, 512)));
}

}  // namespace

BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTga)->Unit(benchmark::kMillisecond);
