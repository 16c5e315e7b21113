#pragma once
// Decoded sound data: the PCM as a loader produced it (kept for the wave cache) and the 16-bit
// frames the mixer plays.

#include <cstddef>
#include <cstdint>
#include <vector>

// PCM as read from a file: interleaved little-endian samples of 8 (unsigned) or 16 (signed) bits.
struct PcmData {
    int channels = 1;
    int sampleRate = 22050;
    int bitsPerSample = 16;
    std::vector<uint8_t> bytes;

    // Bytes of one frame (all channels); 0 for a format no reader accepts.
    int BlockAlign() const { return channels * bitsPerSample / 8; }
};

// What the mixer reads: signed 16-bit interleaved frames of one or two channels. Immutable once
// handed to the mixer, so the audio thread reads it without a lock.
struct SoundSamples {
    int channels = 1;
    int sampleRate = 22050;
    std::vector<int16_t> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Converts 8- or 16-bit PCM of one or two channels to mixer samples; a partial last frame is
// dropped. Asserts on other formats (the readers reject them).
SoundSamples MakeSoundSamples(const PcmData& pcm);

// Copies count frames of channels-channel interleaved samples to stereo: mono goes to both sides,
// and of more channels the first two are taken. Music decoders feed the mixer through it.
void CopyFramesToStereo(const int16_t* frames, int channels, int count, int16_t* stereo);
