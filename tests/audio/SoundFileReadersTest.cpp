#include "audio/SoundFileReaders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "support/AudioTestUtil.h"

using namespace audiotest;

namespace {

SoundReadResult Parse(const std::string& data, PcmData* pcm, std::string* error = nullptr) {
    std::string ignored;
    return ParseWaveData(data, "test.wav", pcm, error ? error : &ignored);
}

}  // namespace

TEST(WaveReader, ReadsPcmAndSkipsChunksBeforeFmt) {
    const std::string file =
        Riff(Chunk("LIST", std::string(6, 'x')) + Chunk("fmt ", FmtBody(1, 2, 44100, 16)) +
             Chunk("data", Samples16({1, -2, 300, -400})));
    PcmData pcm;
    ASSERT_EQ(Parse(file, &pcm), SoundReadResult::kOk);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.sampleRate, 44100);
    EXPECT_EQ(pcm.bitsPerSample, 16);
    SoundSamples samples = MakeSoundSamples(pcm);
    EXPECT_EQ(samples.samples, (std::vector<int16_t>{1, -2, 300, -400}));
}

TEST(WaveReader, DefaultsWithoutFmtAndRejectsBadFormats) {
    PcmData pcm;
    ASSERT_EQ(Parse(Riff(Chunk("data", Samples16({5, 6}))), &pcm), SoundReadResult::kOk);
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.sampleRate, 22050);
    EXPECT_EQ(pcm.bitsPerSample, 16);

    std::string error;
    EXPECT_EQ(
        Parse(Riff(Chunk("fmt ", FmtBody(3, 1, 44100, 32)) + Chunk("data", "abcd")), &pcm, &error),
        SoundReadResult::kBad);
    EXPECT_NE(error.find("test.wav"), std::string::npos);
    EXPECT_NE(error.find("format tag 3"), std::string::npos);
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 6, 44100, 16)) + Chunk("data", "abcd")), &pcm),
              SoundReadResult::kBad);
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 1, 0, 16)) + Chunk("data", "abcd")), &pcm),
              SoundReadResult::kBad);
    EXPECT_EQ(Parse("RIFX....WAVE", &pcm), SoundReadResult::kBad);
}

TEST(WaveReader, OddChunkSizesWithAndWithoutPadByte) {
    PcmData pcm;
    const std::string body = Chunk("fmt ", FmtBody(1, 1, 8000, 8)) + Chunk("data", "\x80\x81");
    // No pad byte: the next chunk follows at once.
    EXPECT_EQ(Parse(Riff(Chunk("junk", "abc") + body), &pcm), SoundReadResult::kOk);
    EXPECT_EQ(pcm.sampleRate, 8000);
    // The standard pad byte after an odd chunk is skipped too.
    EXPECT_EQ(Parse(Riff(Chunk("junk", "abc") + std::string(1, '\0') + body), &pcm),
              SoundReadResult::kOk);
    EXPECT_EQ(pcm.sampleRate, 8000);
    EXPECT_EQ(pcm.bytes, (std::vector<uint8_t>{0x80, 0x81}));
}

TEST(WaveReader, EarlyEndsAndOversizedChunksAreRejected) {
    PcmData pcm;
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16))), &pcm), SoundReadResult::kBad);
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16)).substr(0, 15)), &pcm),
              SoundReadResult::kBad);
    // A file that ends inside its data is cut off: what is there plays.
    EXPECT_EQ(Parse(Riff(Chunk("data", "abcde", 1000)), &pcm), SoundReadResult::kCutOff);
    EXPECT_EQ(pcm.bytes.size(), 4u);
    EXPECT_EQ(Parse(Riff(Chunk("junk", "ab", 0x7FFFFFF0)), &pcm), SoundReadResult::kBad);
    // A partial last frame is dropped, not played as noise.
    ASSERT_EQ(Parse(Riff(Chunk("data", "abc")), &pcm), SoundReadResult::kOk);
    EXPECT_EQ(pcm.bytes.size(), 2u);
}

TEST(WaveReader, XorChunkUnscramblesTheData) {
    PcmData pcm;
    const std::string file =
        Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8)) + Chunk("xor ", std::string(1, '\x5A')) +
             std::string(1, '\0') + Chunk("data", std::string("\x5A\xDA\xA5", 3)));
    ASSERT_EQ(Parse(file, &pcm), SoundReadResult::kOk);
    EXPECT_EQ(pcm.bytes, (std::vector<uint8_t>{0x00, 0x80, 0xFF}));
}

class WaveDepTest : public ScratchFolderTest {};

TEST_F(WaveDepTest, DepChunkChecksTheSourceTime) {
    WriteFile("source.ogg", "x");
    struct utimbuf times = {1000000, 1000000};
    ASSERT_EQ(utime("source.ogg", &times), 0);
    PcmData pcm;
    pcm.channels = 1;
    pcm.sampleRate = 11025;
    pcm.bitsPerSample = 8;
    pcm.bytes = {1, 2, 3};  // odd: the writer pads, the reader must still find "data"
    const std::string fresh = BuildWaveData(pcm, "source.ogg", 1000000);
    EXPECT_EQ(fresh.size() % 2, 0u);
    PcmData read;
    ASSERT_EQ(Parse(fresh, &read), SoundReadResult::kOk);
    EXPECT_EQ(read.bytes, pcm.bytes);
    EXPECT_EQ(read.sampleRate, 11025);

    EXPECT_EQ(Parse(BuildWaveData(pcm, "source.ogg", 999999), &read), SoundReadResult::kStale);
    // A source that is gone counts as time 0.
    EXPECT_EQ(Parse(BuildWaveData(pcm, "gone.ogg", 0), &read), SoundReadResult::kOk);
    EXPECT_EQ(Parse(BuildWaveData(pcm, "gone.ogg", 5), &read), SoundReadResult::kStale);

    // A name length beyond the chunk is refused, not read past.
    std::string dep;
    PutLe16(&dep, 200);
    dep += "ab";
    PutLe32(&dep, 0);
    PutLe32(&dep, 0);
    EXPECT_EQ(Parse(Riff(Chunk("dep ", dep) + Chunk("data", "ab")), &read), SoundReadResult::kBad);
}

TEST(MuLaw, StandardExpansionAtEverySegmentEdge) {
    // Codes are stored inverted: 0xFF and 0x7F are the two zeros, 0x80 and 0x00 the extremes.
    EXPECT_EQ(MuLawToLinear(0xFF), 0);
    EXPECT_EQ(MuLawToLinear(0x7F), 0);
    EXPECT_EQ(MuLawToLinear(0x80), 32124);
    EXPECT_EQ(MuLawToLinear(0x00), -32124);
    EXPECT_EQ(MuLawToLinear(0x81), 31100);
    const int16_t segmentStarts[8] = {0, 132, 396, 924, 1980, 4092, 8316, 16764};
    const int16_t segmentEnds[8] = {120, 372, 876, 1884, 3900, 7932, 15996, 32124};
    for (int seg = 0; seg < 8; ++seg) {
        const uint8_t first = static_cast<uint8_t>(0xFF - seg * 16);  // mantissa 0
        const uint8_t last = static_cast<uint8_t>(0xF0 - seg * 16);   // mantissa 15
        EXPECT_EQ(MuLawToLinear(first), segmentStarts[seg]) << "segment " << seg;
        EXPECT_EQ(MuLawToLinear(last), segmentEnds[seg]) << "segment " << seg;
        EXPECT_EQ(MuLawToLinear(first & 0x7F), -segmentStarts[seg]) << "segment " << seg;
        EXPECT_EQ(MuLawToLinear(last & 0x7F), -segmentEnds[seg]) << "segment " << seg;
    }
    // Monotonic across the whole positive half, the 0x80 neighbourhood included.
    for (int code = 0x81; code <= 0xFF; ++code) {
        EXPECT_LT(MuLawToLinear(static_cast<uint8_t>(code)),
                  MuLawToLinear(static_cast<uint8_t>(code - 1)));
    }
}

class AuReaderTest : public ScratchFolderTest {};

TEST_F(AuReaderTest, MuLawAndLinearAndRejections) {
    WriteFile("mu.au", Au(1, 8000, 1, std::string("\xFF\x80\x00", 3)));
    PcmData pcm;
    std::string error;
    ASSERT_EQ(ReadAuFile("mu.au", &pcm, &error), SoundReadResult::kOk) << error;
    EXPECT_EQ(pcm.bitsPerSample, 16);
    EXPECT_EQ(pcm.sampleRate, 8000);
    EXPECT_EQ(MakeSoundSamples(pcm).samples, (std::vector<int16_t>{0, 32124, -32124}));

    // Sun's 8-bit linear is signed; it plays as unsigned 8-bit PCM.
    WriteFile("lin.au", Au(2, 11025, 2, std::string("\x00\x7F\x80\xFF", 4)));
    ASSERT_EQ(ReadAuFile("lin.au", &pcm, &error), SoundReadResult::kOk) << error;
    EXPECT_EQ(pcm.bytes, (std::vector<uint8_t>{0x80, 0xFF, 0x00, 0x7F}));
    EXPECT_EQ(pcm.channels, 2);

    // "Size unknown" reads to the end.
    WriteFile("open.au", Au(1, 8000, 1, "abcd", 0xFFFFFFFF));
    ASSERT_EQ(ReadAuFile("open.au", &pcm, &error), SoundReadResult::kOk);
    EXPECT_EQ(pcm.bytes.size(), 8u);

    WriteFile("enc3.au", Au(3, 8000, 1, "abcd"));
    EXPECT_EQ(ReadAuFile("enc3.au", &pcm, &error), SoundReadResult::kBad);
    WriteFile("long.au", Au(1, 8000, 1, "abcd", 100));
    EXPECT_EQ(ReadAuFile("long.au", &pcm, &error), SoundReadResult::kCutOff);
    EXPECT_EQ(pcm.bytes.size(), 8u);
    WriteFile("magic.au", "nope" + std::string(30, '\0'));
    EXPECT_EQ(ReadAuFile("magic.au", &pcm, &error), SoundReadResult::kBad);
    EXPECT_EQ(ReadAuFile("missing.au", &pcm, &error), SoundReadResult::kMissing);
}

TEST(OggReader, DecodesTheFixtureAndRejectsGarbage) {
    PcmData pcm;
    std::string error;
    ASSERT_EQ(ReadOggFile(FixturePath("tone.ogg"), &pcm, &error), SoundReadResult::kOk) << error;
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.sampleRate, 22050);
    EXPECT_EQ(pcm.bitsPerSample, 16);
    EXPECT_EQ(pcm.bytes.size(), 2205u * 2);
    SoundSamples samples = MakeSoundSamples(pcm);
    int peak = 0;
    for (int16_t s : samples.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(peak, 10000);  // a full-scale tone, not silence

    EXPECT_EQ(ReadOggFile(FixturePath("missing.ogg"), &pcm, &error), SoundReadResult::kMissing);
    EXPECT_EQ(ReadOggFile(FixturePath("../SoundFileReadersTest.cpp"), &pcm, &error),
              SoundReadResult::kBad);
}
