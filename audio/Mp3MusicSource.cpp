#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/MemoryFile.h"
#include "audio/MusicSources.h"
#include "audio/PcmData.h"
#include "audio/SoundFileReaders.h"
#include "core/util/StringUtil.h"

namespace {

// Music from an MPEG audio file in memory, decoded to 16-bit as the mixer pulls it.
class Mp3MusicSource : public MusicSource {
public:
    explicit Mp3MusicSource(std::string bytes) : mFile(std::move(bytes)) {}
    ~Mp3MusicSource() override {
        if (mHandle) {
            mpg123_close(mHandle);
            mpg123_delete(mHandle);
        }
    }

    bool Open(std::string* why) {
        int err = MPG123_OK;
        mHandle = mpg123_new(nullptr, &err);
        if (!mHandle) {
            *why = "the decoder could not start";
            return false;
        }
        mpg123_param(mHandle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_replace_reader_handle(mHandle, Read, SeekTo, nullptr) != MPG123_OK ||
            mpg123_open_handle(mHandle, this) != MPG123_OK ||
            mpg123_getformat(mHandle, &rate, &channels, &encoding) != MPG123_OK) {
            *why = "not an MPEG audio stream";
            return false;
        }
        // Fix the output to 16-bit at the stream's own rate and channels for its whole length.
        mpg123_format_none(mHandle);
        if (mpg123_format(mHandle, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK) {
            *why = "unsupported format";
            return false;
        }
        mRate = static_cast<int>(rate);
        mChannels = channels;
        // A full scan of the frame headers gives the exact length instead of an estimate.
        if (mpg123_scan(mHandle) != MPG123_OK) {
            *why = "not an MPEG audio stream";
            return false;
        }
        const off_t length = mpg123_length(mHandle);
        mLength = length < 0 ? 0 : static_cast<int64_t>(length);
        mScratch.resize(static_cast<size_t>(kScratchFrames) * mChannels);
        return true;
    }

    int GetRate() const override { return mRate; }
    int BytesPerFrame() const override { return mChannels * 2; }

    int Decode(int16_t* stereo, int maxFrames, bool) override {
        const int want = std::min(maxFrames, kScratchFrames);
        // Stereo is already the mixer's layout: decode it in place rather than copy it over.
        int16_t* dest = mChannels == 2 ? stereo : mScratch.data();
        size_t bytes = 0;
        int result = MPG123_OK;
        for (int tries = 0; tries < 4; ++tries) {
            result = mpg123_read(mHandle, reinterpret_cast<unsigned char*>(dest),
                                 static_cast<size_t>(want) * mChannels * 2, &bytes);
            if (result != MPG123_NEW_FORMAT || bytes > 0) {
                break;
            }
        }
        if (result != MPG123_OK && result != MPG123_DONE && result != MPG123_NEW_FORMAT) {
            return 0;
        }
        const int frames = static_cast<int>(bytes / (static_cast<size_t>(mChannels) * 2));
        if (mChannels != 2) {
            CopyFramesToStereo(dest, mChannels, frames, stereo);
        }
        return frames;
    }

    // The decoder itself clamps a seek past the end to the end and reports success; the music
    // source contract refuses it, so the position is checked against the scanned length.
    bool Seek(int64_t position) override {
        if (position < 0 || position > mLength) {
            return false;
        }
        return mpg123_seek(mHandle, static_cast<off_t>(position), SEEK_SET) >= 0;
    }

    int64_t GetLength() const override { return mLength > 0 ? mLength : -1; }
    int64_t Tell() const override {
        const off_t next = mpg123_tell(mHandle);
        return next < 0 ? -1 : static_cast<int64_t>(next);
    }

private:
    static constexpr int kScratchFrames = 4096;

    static mpg123_ssize_t Read(void* self, void* buffer, size_t count) {
        return static_cast<mpg123_ssize_t>(
            static_cast<Mp3MusicSource*>(self)->mFile.Read(buffer, count));
    }
    static off_t SeekTo(void* self, off_t offset, int whence) {
        return static_cast<off_t>(static_cast<Mp3MusicSource*>(self)->mFile.Seek(offset, whence));
    }

    MemoryFile mFile;
    mpg123_handle* mHandle = nullptr;
    int mRate = 44100;
    int mChannels = 2;
    int64_t mLength = 0;  // frames
    std::vector<int16_t> mScratch;
};

// The length in bytes of the MPEG audio frame whose 4-byte header starts at p; 0 when p holds
// no valid header, or a free-format one whose length the header does not give.
size_t Mp3FrameLength(const unsigned char* p) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) {
        return 0;
    }
    const int version = (p[1] >> 3) & 3;  // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    const int layer = (p[1] >> 1) & 3;    // 1 layer III, 2 layer II, 3 layer I
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return 0;
    }
    static constexpr int kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // 1, layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // 1, layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // 1, layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // 2, layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // 2, II and III
    };
    static constexpr int kRates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? 3 - layer : (layer == 3 ? 3 : 4);
    const int bitrate = kBitrates[table][bitrateIndex] * 1000;
    const int rate = kRates[rateIndex] >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
    const int padding = (p[2] >> 1) & 1;
    if (layer == 3) {
        return static_cast<size_t>((12 * bitrate / rate + padding) * 4);
    }
    const int perSample = layer == 1 && !mpeg1 ? 72 : 144;
    return static_cast<size_t>(perSample * bitrate / rate + padding);
}

}  // namespace

bool IsMp3StreamComplete(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t pos = 0;
    if (size >= 10 && bytes.substr(0, 3) == "ID3") {
        // An ID3v2 tag: its size in four 7-bit bytes, then a footer of 10 when flagged.
        const size_t tag =
            (size_t{data[6]} << 21) | (size_t{data[7]} << 14) | (size_t{data[8]} << 7) | data[9];
        pos = 10 + tag + ((data[5] & 0x10) != 0 ? 10 : 0);
        if (pos > size) {
            return false;
        }
    }
    while (pos < size) {
        if (size - pos == 128 && bytes.substr(pos, 3) == "TAG") {
            return true;  // the ID3v1 tag that ends a file
        }
        if (size - pos < 4) {
            return data[pos] != 0xFF;  // the start of a header the file cuts off
        }
        const size_t length = Mp3FrameLength(data + pos);
        if (length == 0) {
            return true;  // not frames this can follow
        }
        if (length > size - pos) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::unique_ptr<MusicSource> CreateMp3MusicSource(std::string bytes, const std::string& name,
                                                  std::string* error) {
    if (!IsMp3StreamComplete(bytes)) {
        LogCutOffFile("Music file", name);
    }
    auto source = std::make_unique<Mp3MusicSource>(std::move(bytes));
    std::string why;
    if (!source->Open(&why)) {
        *error = StrFormat("Music file '%s': %s", name.c_str(), why.c_str());
        return nullptr;
    }
    return source;
}
