// The mixer's cost: 32 sound-effect voices at assorted pitches and pans plus one music stream,
// mixed in the mixer's 1024-frame blocks. "core_fraction" is the share of one core that one
// second of output costs (0.01 = 1 %).

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "audio/Mixer.h"
#include "audio/MusicSources.h"
#include "audio/PcmData.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 1024;

std::vector<SoundSamples> MakeEffects() {
    std::vector<SoundSamples> effects(Mixer::kVoiceCount);
    for (int v = 0; v < Mixer::kVoiceCount; ++v) {
        SoundSamples& s = effects[v];
        s.channels = v % 2 + 1;
        s.sampleRate = v % 3 == 0 ? 22050 : 44100;
        s.samples.resize(static_cast<size_t>(s.sampleRate) * s.channels / 2);  // half a second
        for (size_t i = 0; i < s.samples.size(); ++i) {
            s.samples[i] = static_cast<int16_t>(8000 * std::sin(0.01 * (v + 1) * i));
        }
    }
    return effects;
}

std::string WaveImage(int seconds) {
    std::string out = "RIFF____WAVEfmt ";
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(kRate, 4);
    put(kRate * 4, 4);
    put(4, 2);
    put(16, 2);
    out += "data";
    const uint32_t frames = static_cast<uint32_t>(kRate * seconds);
    put(frames * 4, 4);
    for (uint32_t i = 0; i < frames * 2; ++i) {
        put(static_cast<uint16_t>(static_cast<int16_t>(6000 * std::sin(0.003 * i))), 2);
    }
    return out;
}

std::unique_ptr<MusicSource> MakeMusic(bool ogg) {
    std::string error;
    if (!ogg) {
        return CreateWaveMusicSource(WaveImage(2), "bench.wav", &error);
    }
    const auto path =
        std::filesystem::path(__FILE__).parent_path() / "../tests/audio/fixtures/tone.ogg";
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return CreateOggMusicSource(std::move(bytes), "tone.ogg", &error);
}

void BM_Mix32VoicesAndMusic(benchmark::State& state) {
    const bool ogg = state.range(0) != 0;
    Mixer mixer(kRate);
    std::vector<SoundSamples> effects = MakeEffects();
    for (int v = 0; v < Mixer::kVoiceCount; ++v) {
        // Pitches from a fifth down to a fifth up, so every voice really resamples.
        const double rate = effects[v].sampleRate * std::pow(2.0, ((v % 15) - 7) / 12.0);
        mixer.StartVoice(v, &effects[v], rate, true, 0.2f, 0.15f);
    }
    std::unique_ptr<MusicSource> music = MakeMusic(ogg);
    if (!music) {
        state.SkipWithError("music source could not be made");
        return;
    }
    const int slot = mixer.AttachStream(music.get());
    mixer.SetStreamGain(slot, 0.4f);
    mixer.SetStreamLoop(slot, true);
    mixer.PlayStream(slot);
    std::vector<int16_t> out(kBlock * 2);
    int64_t frames = 0;
    for (auto _ : state) {
        mixer.Mix(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        frames += kBlock;
    }
    mixer.DetachStream(slot);
    state.counters["core_fraction"] =
        benchmark::Counter(static_cast<double>(frames) / kRate,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_Mix32VoicesAndMusic)->Arg(0)->Arg(1)->ArgNames({"ogg"});
