// p7_synth: renders one sound description (.sfx) or score (.score) into a 16-bit WAVE file.
//   p7_synth <input.sfx|input.score> <output.wav>
//       prints "<output> <seconds> s"; a score's WAVE holds exactly one loop
// content-src/audio/render.sh runs it over every source.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/synth/Score.h"
#include "tools/synth/SoundScript.h"
#include "tools/synth/WaveFile.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool ReadFile(const std::string& path, std::string* out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    *out = text.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <input.sfx|input.score> <output.wav>\n", argv[0]);
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    std::string text;
    if (!ReadFile(input, &text)) {
        std::fprintf(stderr, "%s: cannot read the file\n", input.c_str());
        return 1;
    }
    std::string error;
    std::string bytes;
    double seconds = 0.0;
    if (EndsWith(input, ".score")) {
        p7synth::Score score;
        if (!p7synth::ParseScore(input, text, &score, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        const std::vector<float> loop = p7synth::RenderScore(score);
        bytes = p7synth::EncodeWave(loop, 2, score.rate);
        seconds = score.LoopSeconds();
    } else if (EndsWith(input, ".sfx")) {
        p7synth::SoundScript sound;
        if (!p7synth::ParseSoundScript(input, text, &sound, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        const std::vector<float> samples = p7synth::RenderSoundScript(sound);
        const int channels = sound.stereo ? 2 : 1;
        bytes = p7synth::EncodeWave(samples, channels, sound.rate);
        seconds = static_cast<double>(samples.size()) / channels / sound.rate;
    } else {
        std::fprintf(stderr, "%s: expected a .sfx or .score file\n", input.c_str());
        return 2;
    }
    if (!p7synth::WriteFileAtomic(output, bytes)) {
        std::fprintf(stderr, "%s: cannot write the file\n", output.c_str());
        return 1;
    }
    std::printf("%s %.2f s\n", output.c_str(), seconds);
    return 0;
}
