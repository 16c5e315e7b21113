#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 16-bit PCM RIFF WAVE files, the form the game's sound reader and oggenc both take.

namespace p7synth {

// The bytes of a WAVE file holding interleaved `samples` (-1..1, clipped) with `channels`
// channels at `rate` Hz.
std::string EncodeWave(const std::vector<float>& samples, int channels, int rate);

// Converts one sample to 16 bits, rounding and clipping.
int16_t ToPcm16(float sample);

// Writes the bytes through a temporary file and a rename; false when the file can't be written.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);

}  // namespace p7synth
