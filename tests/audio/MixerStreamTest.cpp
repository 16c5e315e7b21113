// A music stream decoded ahead in large steps plays every frame of its source exactly once, in
// order, to the end, whatever the size of the pieces its decoder hands out and of the blocks the
// device asks for, and then stops. A stream played silent is not decoded, yet keeps its time.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/Mixer.h"
#include "audio/MusicSource.h"
#include "audio/MusicSources.h"
#include "support/AudioTestUtil.h"

namespace {

constexpr int kRate = 44100;

// Frame i holds i on the left and -i on the right; Decode hands out at most piece frames a call.
class CountingSource : public MusicSource {
public:
    CountingSource(int frames, int piece, int rate = kRate)
        : mFrames(frames), mPiece(piece), mRate(rate) {}
    int GetRate() const override { return mRate; }
    int64_t GetLength() const override { return mFrames; }
    int64_t Tell() const override { return mNext; }
    int Decode(int16_t* stereo, int maxFrames, bool) override {
        const int n = std::min({maxFrames, mPiece, mFrames - mNext});
        for (int i = 0; i < n; ++i) {
            stereo[2 * i] = static_cast<int16_t>(mNext + i);
            stereo[2 * i + 1] = static_cast<int16_t>(-(mNext + i));
        }
        mNext += n;
        mDecoded += n;
        ++mCalls;
        return n;
    }
    bool Seek(int64_t position) override {
        mNext = static_cast<int>(position);
        return true;
    }
    int BytesPerFrame() const override { return 4; }
    int Calls() const { return mCalls; }
    int64_t Decoded() const { return mDecoded; }

private:
    int mFrames;
    int mPiece;
    int mRate;
    int mNext = 0;
    int mCalls = 0;
    int64_t mDecoded = 0;
};

std::vector<int16_t> Pull(Mixer& mixer, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    mixer.Mix(out.data(), frames);
    return out;
}

TEST(MixerStreamTest, EveryFrameOnceInOrderThenTheStreamStops) {
    struct Case {
        int frames;
        int piece;
        int block;
    };
    const Case cases[] = {{20000, 1, 2048},      {20000, 300, 2048}, {20000, 5000, 1024},
                          {20000, 100000, 2048}, {3000, 700, 4096},  {9000, 4096, 333}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames in pieces of " << c.piece
                                        << ", blocks of " << c.block);
        Mixer mixer(kRate);
        CountingSource source(c.frames, c.piece);
        const int slot = mixer.AttachStream(&source);
        ASSERT_GE(slot, 0);
        mixer.PlayStream(slot);
        std::vector<int16_t> out;
        std::vector<int16_t> block(static_cast<size_t>(c.block) * 2);
        for (int pulled = 0; pulled < c.frames + 2 * c.block; pulled += c.block) {
            mixer.Mix(block.data(), c.block);
            out.insert(out.end(), block.begin(), block.end());
        }
        // The mixer interpolates between a frame and the next, so the last frame of the source
        // has no partner to end on; every frame before it comes out as it went in.
        for (int i = 0; i + 1 < c.frames; ++i) {
            ASSERT_EQ(out[2 * size_t(i)], i) << "frame " << i;
            ASSERT_EQ(out[2 * size_t(i) + 1], -i) << "frame " << i;
        }
        EXPECT_EQ(out[2 * size_t(c.frames + c.block)], 0) << "the stream played on";
        EXPECT_TRUE(mixer.IsSilent());
        mixer.DetachStream(slot);
    }
}

// Decoding ahead: a source that hands out what is asked for is called once per several device
// blocks, not once per block.
TEST(MixerStreamTest, ARefillDecodesSeveralBlocksAhead) {
    Mixer mixer(kRate);
    CountingSource source(kRate * 10, 1 << 20);
    const int slot = mixer.AttachStream(&source);
    mixer.PlayStream(slot);
    std::vector<int16_t> block(2048 * 2);
    for (int i = 0; i < 40; ++i) {
        mixer.Mix(block.data(), 2048);
    }
    EXPECT_LE(source.Calls(), 40 / 2);
    mixer.DetachStream(slot);
}

// Volume 0: the stream is not decoded at all, yet its time goes on. Once it is heard again it
// plays what a stream heard all along plays at that moment (one step of rounding allowed, as the
// position is summed per block instead of per frame), across the loop's seam; a stream that
// does not loop stops in the block where the one heard all along stops.
TEST(MixerStreamTest, AStreamAtVolumeZeroDecodesNothingAndKeepsItsTime) {
    struct Case {
        const char* name;
        int frames;
        int rate;
        bool loop;
        int heardBefore;  // blocks of 2,048 frames heard before the volume goes to 0
        int quietBlocks;  // blocks at volume 0
        bool ends;        // while at volume 0
    };
    const Case cases[] = {
        {"same rate, heard first", 20000, kRate, false, 3, 4, false},
        {"32 kHz, from the start", 20000, 32000, false, 0, 5, false},
        {"32 kHz, across the loop's seam", 12000, 32000, true, 2, 7, false},
        {"48 kHz, many passes of the loop", 5000, 48000, true, 1, 40, false},
        {"past the end of a stream that does not loop", 12000, 32000, false, 1, 10, true},
    };
    constexpr int kBlock = 2048;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mixer heard(kRate);
        Mixer quiet(kRate);
        CountingSource heardSource(c.frames, 1 << 20, c.rate);
        CountingSource quietSource(c.frames, 1 << 20, c.rate);
        const int heardSlot = heard.AttachStream(&heardSource);
        const int quietSlot = quiet.AttachStream(&quietSource);
        for (auto [mixer, slot] : {std::pair{&heard, heardSlot}, std::pair{&quiet, quietSlot}}) {
            mixer->SetStreamLoop(slot, c.loop);
            mixer->PlayStream(slot);
        }
        for (int i = 0; i < c.heardBefore; ++i) {
            ASSERT_EQ(Pull(heard, kBlock), Pull(quiet, kBlock));
        }
        quiet.SetStreamGain(quietSlot, 0.0f);
        const int64_t decodedBefore = quietSource.Decoded();
        bool ended = false;
        for (int i = 0; i < c.quietBlocks; ++i) {
            Pull(heard, kBlock);
            const std::vector<int16_t> silent = Pull(quiet, kBlock);
            ASSERT_TRUE(
                std::all_of(silent.begin(), silent.end(), [](int16_t v) { return v == 0; }));
            ASSERT_EQ(quiet.GetStreamState(quietSlot), heard.GetStreamState(heardSlot))
                << "block " << i << " at volume 0";
            ended = heard.GetStreamState(heardSlot) == Mixer::StreamState::kStopped;
        }
        EXPECT_EQ(quietSource.Decoded(), decodedBefore) << "decoded at volume 0";
        EXPECT_EQ(ended, c.ends);
        quiet.SetStreamGain(quietSlot, 1.0f);
        for (int i = 0; i < 3 && !ended; ++i) {
            const std::vector<int16_t> a = Pull(heard, kBlock);
            const std::vector<int16_t> b = Pull(quiet, kBlock);
            for (size_t k = 0; k < a.size(); ++k) {
                ASSERT_NEAR(a[k], b[k], 1) << "sample " << k << " of block " << i << " heard again";
            }
        }
    }
}

// The decoders themselves tell their length and position right: an Ogg and a WAVE track passed
// over at volume 0 through the music interface come back where a track heard all along stands.
TEST(MixerStreamTest, OggAndWaveTracksComeBackInTimeAfterVolumeZero) {
    std::vector<int16_t> ramp(30000);
    for (size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<int16_t>((i * 7) % 20000);
    }
    const std::string wave = audiotest::Wave16(1, 32000, ramp);
    const std::string ogg = audiotest::ReadFile(audiotest::FixturePath("tone.ogg"));
    for (const bool isOgg : {false, true}) {
        SCOPED_TRACE(isOgg ? "ogg" : "wave");
        std::string error;
        auto open = [&] {
            return isOgg ? CreateOggMusicSource(ogg, "tone.ogg", &error)
                         : CreateWaveMusicSource(wave, "ramp.wav", &error);
        };
        std::unique_ptr<MusicSource> heardSource = open();
        std::unique_ptr<MusicSource> quietSource = open();
        ASSERT_TRUE(heardSource && quietSource) << error;
        ASSERT_GT(quietSource->GetLength(), 0);
        Mixer heard(kRate);
        Mixer quiet(kRate);
        const int heardSlot = heard.AttachStream(heardSource.get());
        const int quietSlot = quiet.AttachStream(quietSource.get());
        heard.SetStreamLoop(heardSlot, true);
        quiet.SetStreamLoop(quietSlot, true);
        heard.PlayStream(heardSlot);
        quiet.PlayStream(quietSlot);
        Pull(heard, 3000);
        Pull(quiet, 3000);
        quiet.SetStreamGain(quietSlot, 0.0f);
        Pull(heard, 2048 * 9);
        Pull(quiet, 2048 * 9);
        quiet.SetStreamGain(quietSlot, 1.0f);
        const std::vector<int16_t> a = Pull(heard, 4096);
        const std::vector<int16_t> b = Pull(quiet, 4096);
        for (size_t k = 0; k < a.size(); ++k) {
            ASSERT_NEAR(a[k], b[k], 1) << "sample " << k;
        }
        EXPECT_TRUE(std::any_of(a.begin(), a.end(), [](int16_t v) { return v != 0; }));
    }
}

}  // namespace
