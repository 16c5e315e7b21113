#include <algorithm>

#include "audio/MusicSources.h"
#include "audio/PcmData.h"
#include "audio/SoundFileReaders.h"

namespace {

// Music from a WAVE file: decoded whole when loaded, then copied out frame by frame.
class WaveMusicSource : public MusicSource {
public:
    explicit WaveMusicSource(SoundSamples samples) : mSamples(std::move(samples)) {}

    int GetRate() const override { return mSamples.sampleRate; }
    int BytesPerFrame() const override { return mSamples.channels * 2; }

    int Decode(int16_t* stereo, int maxFrames, bool) override {
        const size_t total = mSamples.Frames();
        const int count = static_cast<int>(std::min<size_t>(maxFrames, total - mNext));
        CopyFramesToStereo(mSamples.samples.data() + mNext * mSamples.channels, mSamples.channels,
                           count, stereo);
        mNext += static_cast<size_t>(count);
        return count;
    }

    bool Seek(int64_t position) override {
        if (position < 0 || static_cast<size_t>(position) > mSamples.Frames()) {
            return false;
        }
        mNext = static_cast<size_t>(position);
        return true;
    }

    int64_t GetLength() const override { return static_cast<int64_t>(mSamples.Frames()); }
    int64_t Tell() const override { return static_cast<int64_t>(mNext); }

private:
    SoundSamples mSamples;
    size_t mNext = 0;
};

}  // namespace

std::unique_ptr<MusicSource> CreateWaveMusicSource(std::string bytes, const std::string& name,
                                                   std::string* error) {
    PcmData pcm;
    const SoundReadResult read = ParseWaveData(bytes, name, &pcm, error);
    if (read == SoundReadResult::kCutOff) {
        LogCutOffFile("Music file", name);
    } else if (read != SoundReadResult::kOk) {
        if (error->empty()) {
            *error = "Music file '" + name + "': its \"dep \" source has changed";
        }
        return nullptr;
    }
    return std::make_unique<WaveMusicSource>(MakeSoundSamples(pcm));
}
