#include "audio/PcmData.h"

#include <cassert>

SoundSamples MakeSoundSamples(const PcmData& pcm) {
    assert((pcm.channels == 1 || pcm.channels == 2) && "readers accept mono and stereo only");
    assert((pcm.bitsPerSample == 8 || pcm.bitsPerSample == 16) && "readers accept 8 and 16 bits");
    SoundSamples out;
    out.channels = pcm.channels;
    out.sampleRate = pcm.sampleRate;
    const size_t frames = pcm.bytes.size() / pcm.BlockAlign();
    const size_t count = frames * pcm.channels;
    out.samples.resize(count);
    if (pcm.bitsPerSample == 8) {
        for (size_t i = 0; i < count; ++i) {
            out.samples[i] = static_cast<int16_t>((pcm.bytes[i] - 128) * 256);
        }
    } else {
        for (size_t i = 0; i < count; ++i) {
            const uint16_t lo = pcm.bytes[2 * i];
            const uint16_t hi = pcm.bytes[2 * i + 1];
            out.samples[i] = static_cast<int16_t>(lo | (hi << 8));
        }
    }
    return out;
}

void CopyFramesToStereo(const int16_t* frames, int channels, int count, int16_t* stereo) {
    const int right = channels > 1 ? 1 : 0;
    for (int i = 0; i < count; ++i) {
        const int16_t* f = frames + static_cast<size_t>(i) * channels;
        stereo[2 * i] = f[0];
        stereo[2 * i + 1] = f[right];
    }
}
