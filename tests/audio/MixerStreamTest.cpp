// A music stream decoded ahead in large steps plays every frame of its source exactly once, in
// order, to the end, whatever the size of the pieces its decoder hands out and of the blocks the
// device asks for, and then stops.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/Mixer.h"
#include "audio/MusicSource.h"

namespace {

constexpr int kRate = 44100;

// Frame i holds i on the left and -i on the right; Decode hands out at most piece frames a call.
class CountingSource : public MusicSource {
public:
    CountingSource(int frames, int piece) : mFrames(frames), mPiece(piece) {}
    int GetRate() const override { return kRate; }
    int Decode(int16_t* stereo, int maxFrames, bool) override {
        const int n = std::min({maxFrames, mPiece, mFrames - mNext});
        for (int i = 0; i < n; ++i) {
            stereo[2 * i] = static_cast<int16_t>(mNext + i);
            stereo[2 * i + 1] = static_cast<int16_t>(-(mNext + i));
        }
        mNext += n;
        ++mCalls;
        return n;
    }
    bool Seek(int64_t position) override {
        mNext = static_cast<int>(position);
        return true;
    }
    int BytesPerFrame() const override { return 4; }
    int Calls() const { return mCalls; }

private:
    int mFrames;
    int mPiece;
    int mNext = 0;
    int mCalls = 0;
};

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

}  // namespace
