#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/MemoryFile.h"
#include "audio/MusicSources.h"
#include "audio/PcmData.h"
#include "audio/SoundFileReaders.h"
#include "core/util/StringUtil.h"

namespace {

// Music from an Ogg Vorbis file in memory, decoded as the mixer pulls it.
class OggMusicSource : public MusicSource {
public:
    explicit OggMusicSource(std::string bytes) : mFile(std::move(bytes)) {
        std::memset(&mVorbis, 0, sizeof(mVorbis));
    }
    ~OggMusicSource() override {
        if (mOpen) {
            ov_clear(&mVorbis);
        }
    }

    bool Open(std::string* why) {
        const ov_callbacks callbacks = {Read, SeekTo, Close, Tell};
        if (ov_open_callbacks(this, &mVorbis, nullptr, 0, callbacks) != 0) {
            *why = "not an Ogg Vorbis stream";
            return false;
        }
        mOpen = true;
        const vorbis_info* info = ov_info(&mVorbis, -1);
        if (!info || info->channels < 1 || info->rate < 100 || info->rate > 384000) {
            *why = "unsupported channel count or rate";
            return false;
        }
        mChannels = info->channels;
        mRate = static_cast<int>(info->rate);
        mScratch.resize(static_cast<size_t>(kScratchFrames) * mChannels);
        const ogg_int64_t length = ov_pcm_total(&mVorbis, -1);
        mLength = length < 0 ? -1 : static_cast<int64_t>(length);
        return true;
    }

    int GetRate() const override { return mRate; }
    int BytesPerFrame() const override { return mChannels * 2; }

    int Decode(int16_t* stereo, int maxFrames, bool) override {
        int done = 0;
        int holes = 0;
        while (done < maxFrames) {
            const int want = std::min(maxFrames - done, kScratchFrames);
            // Stereo is already the mixer's layout: decode it in place rather than copy it over.
            int16_t* dest = mChannels == 2 ? stereo + 2 * done : mScratch.data();
            int bitstream = 0;
            const long got =
                ov_read(&mVorbis, reinterpret_cast<char*>(dest), want * mChannels * 2, &bitstream);
            if (got == OV_HOLE && ++holes < 8) {
                continue;  // a gap in the data: skip it rather than end the music
            }
            if (got <= 0) {
                break;
            }
            const int frames = static_cast<int>(got / (mChannels * 2));
            if (mChannels != 2) {
                CopyFramesToStereo(dest, mChannels, frames, stereo + 2 * done);
            }
            done += frames;
            if (done > 0) {
                break;  // one packet per call keeps the decode time per block even
            }
        }
        return done;
    }

    bool Seek(int64_t position) override { return ov_pcm_seek(&mVorbis, position) == 0; }

    int64_t GetLength() const override { return mLength; }
    int64_t Tell() const override {
        // The decoder's count is not const in its interface, though reading it changes nothing.
        return mLength < 0
                   ? -1
                   : static_cast<int64_t>(ov_pcm_tell(const_cast<OggVorbis_File*>(&mVorbis)));
    }

private:
    static constexpr int kScratchFrames = 4096;

    static size_t Read(void* ptr, size_t size, size_t count, void* self) {
        MemoryFile& file = static_cast<OggMusicSource*>(self)->mFile;
        if (size == 0) {
            return 0;
        }
        // Whole items only, as fread answers.
        return file.Read(ptr, std::min(count, file.Remaining() / size) * size) / size;
    }
    static int SeekTo(void* self, ogg_int64_t offset, int whence) {
        return static_cast<OggMusicSource*>(self)->mFile.Seek(offset, whence) < 0 ? -1 : 0;
    }
    static int Close(void*) { return 0; }
    static long Tell(void* self) {
        return static_cast<long>(static_cast<OggMusicSource*>(self)->mFile.Tell());
    }

    MemoryFile mFile;
    OggVorbis_File mVorbis;
    bool mOpen = false;
    int mChannels = 2;
    int mRate = 44100;
    int64_t mLength = -1;  // frames; -1 when the stream does not say
    std::vector<int16_t> mScratch;
};

}  // namespace

std::unique_ptr<MusicSource> CreateOggMusicSource(std::string bytes, const std::string& name,
                                                  std::string* error) {
    const bool complete = IsOggStreamComplete(bytes);
    const bool oggStart = bytes.compare(0, 4, "OggS") == 0;
    auto source = std::make_unique<OggMusicSource>(std::move(bytes));
    std::string why;
    if (!source->Open(&why)) {
        // A file that ends before its sound begins is cut off, not of another kind.
        *error = complete || !oggStart
                     ? StrFormat("Music file '%s': %s", name.c_str(), why.c_str())
                     : StrFormat(
                           "Music file '%s' is cut off before its sound begins and "
                           "can't be played",
                           name.c_str());
        return nullptr;
    }
    if (!complete) {
        LogCutOffFile("Music file", name);
    }
    return source;
}
