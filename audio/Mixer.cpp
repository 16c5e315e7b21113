#include "audio/Mixer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "audio/MusicSource.h"

namespace {

constexpr int kBlockFrames = 1024;
// A stream decodes ahead into its buffer in large steps: each refill goes on until at least
// kRefillFrames are ready, so a device callback seldom has to call the decoder at all.
constexpr int kStreamBufferFrames = 8192;
constexpr int kRefillFrames = kStreamBufferFrames / 2;

bool ValidVoice(int slot) {
    return slot >= 0 && slot < Mixer::kVoiceCount;
}
bool ValidStream(int slot) {
    return slot >= 0 && slot < Mixer::kStreamCount;
}

}  // namespace

Mixer::Mixer(int outputRate) : mOutputRate(outputRate > 0 ? outputRate : 44100) {
    mAccumulator.resize(kBlockFrames * 2);
    for (Stream& stream : mStreams) {
        stream.buffer.resize(kStreamBufferFrames * 2);
    }
}

void Mixer::SetMasterGain(double gain) {
    std::lock_guard lock(mMutex);
    // A NaN would pass the clamp and turn the whole mix into noise.
    mMasterGain = std::isnan(gain) ? 0.0 : std::clamp(gain, 0.0, 1.0);
}

double Mixer::GetMasterGain() const {
    std::lock_guard lock(mMutex);
    return mMasterGain;
}

void Mixer::StartVoice(int slot, const SoundSamples* data, double rateHz, bool loop, float leftGain,
                       float rightGain) {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return;
    }
    {
        std::lock_guard lock(mMutex);
        Voice& v = mVoices[slot];
        v.data = data;
        v.position = 0.0;
        v.rate = rateHz;
        v.loop = loop;
        v.left = leftGain;
        v.right = rightGain;
        v.playing = data != nullptr;
    }
    if (data != nullptr && mStartListener) {
        mStartListener();
    }
}

void Mixer::StopVoice(int slot) {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mVoices[slot].playing = false;
    mVoices[slot].position = 0.0;
}

void Mixer::DetachVoice(int slot) {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mVoices[slot] = Voice();
}

void Mixer::SetVoiceGains(int slot, float leftGain, float rightGain) {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mVoices[slot].left = std::isnan(leftGain) ? 0.0f : leftGain;
    mVoices[slot].right = std::isnan(rightGain) ? 0.0f : rightGain;
}

void Mixer::SetVoiceRate(int slot, double rateHz) {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mVoices[slot].rate = rateHz;
}

bool Mixer::IsVoicePlaying(int slot) const {
    if (!ValidVoice(slot)) {
        assert(!"voice slot out of range");
        return false;
    }
    std::lock_guard lock(mMutex);
    return mVoices[slot].playing;
}

int Mixer::AttachStream(MusicSource* source) {
    assert(source && "attach a source");
    std::lock_guard lock(mMutex);
    for (int slot = 0; slot < kStreamCount; ++slot) {
        Stream& s = mStreams[slot];
        if (!s.source) {
            s.source = source;
            s.frames = 0;
            s.position = 0.0;
            s.pendingSeek = -1;
            s.gain = 1.0f;
            s.loop = false;
            s.state = StreamState::kStopped;
            s.quiet = false;
            return slot;
        }
    }
    return -1;
}

void Mixer::DetachStream(int slot) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    MusicSource* source = nullptr;
    int64_t quietAt = -1;
    {
        std::lock_guard lock(mMutex);
        Stream& stream = mStreams[slot];
        if (stream.source && stream.quiet) {
            source = stream.source;
            quietAt = static_cast<int64_t>(stream.quietPosition);
        }
        stream.source = nullptr;
        stream.state = StreamState::kStopped;
        stream.quiet = false;
    }
    // A source passed over in silence stands where it was when it went quiet; it is ours again
    // now, so it is moved to where its time has come (a seek, outside the lock).
    if (source) {
        source->Seek(quietAt);
    }
}

void Mixer::SetStreamGain(int slot, float gain) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    // One NaN stream would poison every sum it joins, effects included: play it silent instead.
    mStreams[slot].gain = std::isnan(gain) ? 0.0f : gain;
}

void Mixer::SetStreamLoop(int slot, bool loop) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mStreams[slot].loop = loop;
}

void Mixer::PlayStream(int slot) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    {
        std::lock_guard lock(mMutex);
        if (!mStreams[slot].source) {
            return;
        }
        mStreams[slot].state = StreamState::kPlaying;
    }
    if (mStartListener) {
        mStartListener();
    }
}

bool Mixer::IsSilent() const {
    std::lock_guard lock(mMutex);
    for (const Voice& voice : mVoices) {
        if (voice.playing) {
            return false;
        }
    }
    for (const Stream& stream : mStreams) {
        if (stream.source && stream.state == StreamState::kPlaying) {
            return false;
        }
    }
    return true;
}

void Mixer::PauseStream(int slot) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    if (mStreams[slot].state == StreamState::kPlaying) {
        mStreams[slot].state = StreamState::kPaused;
    }
}

void Mixer::StopStream(int slot) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mStreams[slot].state = StreamState::kStopped;
}

void Mixer::SeekStream(int slot, int64_t position) {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return;
    }
    std::lock_guard lock(mMutex);
    mStreams[slot].pendingSeek = std::max<int64_t>(position, 0);
}

Mixer::StreamState Mixer::GetStreamState(int slot) const {
    if (!ValidStream(slot)) {
        assert(!"stream slot out of range");
        return StreamState::kStopped;
    }
    std::lock_guard lock(mMutex);
    return mStreams[slot].state;
}

void Mixer::Mix(int16_t* out, int frames) {
    std::lock_guard lock(mMutex);
    while (frames > 0) {
        const int block = std::min(frames, kBlockFrames);
        float* acc = mAccumulator.data();
        // Most blocks at rest hold nothing to hear (no effect, music silent or none): those are
        // written as silence without the sums and the conversion.
        bool audible = false;
        const auto startSums = [&] {
            if (!audible) {
                std::fill(acc, acc + block * 2, 0.0f);
                audible = true;
            }
        };
        for (Voice& voice : mVoices) {
            if (voice.playing) {
                startSums();
                MixVoice(voice, acc, block);
            }
        }
        for (Stream& stream : mStreams) {
            if (stream.source && stream.state == StreamState::kPlaying) {
                const bool silent = stream.gain == 0.0f || mMasterGain == 0.0;
                if (!silent || !PassQuietly(stream, block)) {
                    startSums();
                    MixStream(stream, acc, block);
                }
            }
        }
        if (!audible) {
            std::fill(out, out + block * 2, int16_t{0});
        } else {
            const float master = static_cast<float>(mMasterGain);
            for (int i = 0; i < block * 2; ++i) {
                const float v = std::clamp(acc[i] * master, -32768.0f, 32767.0f);
                out[i] = static_cast<int16_t>(std::lrint(v));
            }
        }
        out += block * 2;
        frames -= block;
    }
}

void Mixer::MixVoice(Voice& voice, float* acc, int frames) {
    const SoundSamples& data = *voice.data;
    const size_t count = data.Frames();
    const int channels = data.channels;
    const int16_t* s = data.samples.data();
    const double step = voice.rate / mOutputRate;
    double pos = voice.position;
    if (count == 0) {
        voice.playing = false;
        return;
    }
    for (int i = 0; i < frames; ++i) {
        if (pos >= static_cast<double>(count)) {
            if (!voice.loop) {
                voice.playing = false;
                voice.position = 0.0;
                return;
            }
            pos = std::fmod(pos, static_cast<double>(count));
        }
        const size_t i0 = static_cast<size_t>(pos);
        const float frac = static_cast<float>(pos - static_cast<double>(i0));
        const size_t i1 = i0 + 1 < count ? i0 + 1 : 0;
        // Past the last frame a one-shot fades towards silence, a loop towards its first frame.
        const bool haveNext = i0 + 1 < count || voice.loop;
        const float l0 = s[i0 * channels];
        const float r0 = s[i0 * channels + channels - 1];
        const float l1 = haveNext ? s[i1 * channels] : 0.0f;
        const float r1 = haveNext ? s[i1 * channels + channels - 1] : 0.0f;
        acc[2 * i] += (l0 + (l1 - l0) * frac) * voice.left;
        acc[2 * i + 1] += (r0 + (r1 - r0) * frac) * voice.right;
        pos += step;
    }
    voice.position = pos;
}

bool Mixer::Refill(Stream& stream) {
    // Keep the frame under the read position, so interpolation runs across the block boundary;
    // frames the position has already stepped over are decoded and dropped.
    const size_t keep = static_cast<size_t>(stream.position);
    size_t skip = 0;
    if (keep < static_cast<size_t>(stream.frames)) {
        std::memmove(stream.buffer.data(), stream.buffer.data() + keep * 2, 2 * sizeof(int16_t));
        stream.frames = 1;
    } else {
        skip = keep - static_cast<size_t>(stream.frames);
        stream.frames = 0;
    }
    stream.position -= static_cast<double>(keep);
    bool rewound = false;
    while (true) {
        const int room = kStreamBufferFrames - stream.frames;
        int16_t* dest = stream.buffer.data() + stream.frames * 2;
        int got = stream.source->Decode(dest, room, stream.loop);
        if (got <= 0) {
            if (!stream.loop || rewound || !stream.source->Seek(0)) {
                // The end: what was decoded before it still plays.
                return skip == 0 && stream.position + 1.0 < stream.frames;
            }
            rewound = true;  // one rewind per refill, so an empty source can't spin
            continue;
        }
        rewound = false;
        if (skip > 0) {
            const int dropped = static_cast<int>(std::min<size_t>(skip, static_cast<size_t>(got)));
            std::memmove(dest, dest + dropped * 2, static_cast<size_t>(got - dropped) * 4);
            got -= dropped;
            skip -= static_cast<size_t>(dropped);
        }
        stream.frames += got;
        if (skip == 0 && stream.position + 1.0 < stream.frames && stream.frames >= kRefillFrames) {
            return true;
        }
        if (stream.frames >= kStreamBufferFrames) {
            return true;  // cannot happen with a sane step; the next refill carries on
        }
    }
}

void Mixer::SeekStream(Stream& stream, int64_t frame) {
    stream.source->Seek(frame);
    stream.pendingSeek = -1;
    stream.frames = 0;
    stream.position = 0.0;
    stream.quiet = false;
}

bool Mixer::PassQuietly(Stream& stream, int frames) {
    if (stream.pendingSeek >= 0) {
        SeekStream(stream, stream.pendingSeek);
    }
    const int64_t length = stream.source->GetLength();
    if (!stream.quiet) {
        const int64_t next = stream.source->Tell();
        if (length < 0 || next < 0) {
            return false;
        }
        // The frames decoded ahead are not played yet: the read position stands before the
        // decoder's by their count, or in the pass before when a loop has rewound the decoder.
        double at = static_cast<double>(next) - stream.frames + stream.position;
        if (at < 0.0) {
            at += static_cast<double>(length);
        }
        stream.quiet = true;
        stream.quietPosition = std::max(at, 0.0);
    }
    const double step = static_cast<double>(stream.source->GetRate()) / mOutputRate;
    stream.quietPosition += step * frames;
    const double end = static_cast<double>(length);
    if (stream.loop && length > 0) {
        if (stream.quietPosition >= end) {
            stream.quietPosition = std::fmod(stream.quietPosition, end);
        }
    } else if (stream.quietPosition + 1.0 >= end) {
        // The end, where a played stream ends (its last frame has no partner to run to):
        // stopped, its decoder at the end.
        SeekStream(stream, length);
        stream.state = StreamState::kStopped;
    }
    return true;
}

void Mixer::MixStream(Stream& stream, float* acc, int frames) {
    if (stream.pendingSeek >= 0) {
        SeekStream(stream, stream.pendingSeek);
    } else if (stream.quiet) {
        // Heard again: from where its time has come, the fraction kept for the interpolation.
        const double whole = std::floor(stream.quietPosition);
        SeekStream(stream, static_cast<int64_t>(whole));
        stream.position = stream.quietPosition - whole;
    }
    const double step = static_cast<double>(stream.source->GetRate()) / mOutputRate;
    const float gain = stream.gain;
    for (int i = 0; i < frames; ++i) {
        while (stream.position + 1.0 >= stream.frames) {
            if (!Refill(stream)) {
                stream.state = StreamState::kStopped;
                stream.frames = 0;
                stream.position = 0.0;
                return;
            }
        }
        const size_t i0 = static_cast<size_t>(stream.position);
        const float frac = static_cast<float>(stream.position - static_cast<double>(i0));
        const int16_t* f = stream.buffer.data() + i0 * 2;
        acc[2 * i] += (f[0] + (f[2] - f[0]) * frac) * gain;
        acc[2 * i + 1] += (f[1] + (f[3] - f[1]) * frac) * gain;
        stream.position += step;
    }
}
