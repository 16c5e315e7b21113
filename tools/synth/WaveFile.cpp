#include "tools/synth/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace p7synth {

namespace {

void PutLe(std::string* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

int16_t ToPcm16(float sample) {
    const double scaled = std::round(static_cast<double>(sample) * 32767.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

std::string EncodeWave(const std::vector<float>& samples, int channels, int rate) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    PutLe(&out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLe(&out, 16, 4);
    PutLe(&out, 1, 2);
    PutLe(&out, static_cast<uint32_t>(channels), 2);
    PutLe(&out, static_cast<uint32_t>(rate), 4);
    PutLe(&out, static_cast<uint32_t>(rate * channels * 2), 4);
    PutLe(&out, static_cast<uint32_t>(channels * 2), 2);
    PutLe(&out, 16, 2);
    out += "data";
    PutLe(&out, dataBytes, 4);
    out.reserve(out.size() + dataBytes);
    for (float sample : samples) {
        PutLe(&out, static_cast<uint16_t>(ToPcm16(sample)), 2);
    }
    return out;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace p7synth
