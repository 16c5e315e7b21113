#pragma once
// Shared pieces of the tests that play sound (audio, app, scripts): a scratch folder that is the
// working folder while a test runs, builders of small sound files, and the music fixtures.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "audio/MixTrackInterface.h"
#include "audio/Mixer.h"
#include "core/util/FileUtil.h"
#include "support/TempFolder.h"

namespace audiotest {

inline void PutLe16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void PutLe32(std::string* out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}
inline void PutBe32(std::string* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

// One RIFF chunk: id, size (as given, so tests can lie), body.
inline std::string Chunk(const std::string& id, const std::string& body, int64_t size = -1) {
    std::string out = id;
    PutLe32(&out, static_cast<uint32_t>(size < 0 ? body.size() : size));
    return out + body;
}

inline std::string FmtBody(int tag, int channels, int rate, int bits) {
    std::string b;
    PutLe16(&b, tag);
    PutLe16(&b, channels);
    PutLe32(&b, rate);
    PutLe32(&b, rate * channels * bits / 8);
    PutLe16(&b, channels * bits / 8);
    PutLe16(&b, bits);
    return b;
}

inline std::string Riff(const std::string& chunks) {
    std::string out = "RIFF";
    PutLe32(&out, static_cast<uint32_t>(4 + chunks.size()));
    return out + "WAVE" + chunks;
}

inline std::string Samples16(const std::vector<int16_t>& samples) {
    std::string b;
    for (int16_t s : samples) {
        PutLe16(&b, static_cast<uint16_t>(s));
    }
    return b;
}

// A plain 16-bit PCM WAVE file of the samples.
inline std::string Wave16(int channels, int rate, const std::vector<int16_t>& samples) {
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, 16)) + Chunk("data", Samples16(samples)));
}

inline std::string Au(uint32_t encoding, uint32_t rate, uint32_t channels, const std::string& data,
                      uint32_t sizeField = 0xFFFFFFFE) {
    std::string out = ".snd";
    PutBe32(&out, 24);
    PutBe32(&out, sizeField == 0xFFFFFFFE ? static_cast<uint32_t>(data.size()) : sizeField);
    PutBe32(&out, encoding);
    PutBe32(&out, rate);
    PutBe32(&out, channels);
    return out + data;
}

// Frames of MPEG-1 layer III, 44100 Hz mono at 128 kbit/s, with empty side info: silence.
inline std::string SilentMp3(int frames) {
    std::string out;
    for (int i = 0; i < frames; ++i) {
        std::string frame(417, '\0');
        frame[0] = static_cast<char>(0xFF);
        frame[1] = static_cast<char>(0xFB);
        frame[2] = static_cast<char>(0x90);
        frame[3] = static_cast<char>(0xC0);
        out += frame;
    }
    return out;
}

inline void WriteFile(const std::string& path, const std::string& data) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path().empty()
                                            ? std::filesystem::path(".")
                                            : std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << data;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Found in the source tree, so the tests don't depend on the folder they run in.
inline std::string FixturePath(const std::string& name) {
    return (std::filesystem::path(P7_SOURCE_DIR) / "tests" / "audio" / "fixtures" / name).string();
}

// Runs each test in a fresh folder that is also the per-user data folder's parent.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        mTemp = std::make_unique<TempFolder>();
        mFolder = mTemp->Path().substr(0, mTemp->Path().size() - 1);
        mOldCwd = std::filesystem::current_path();
        std::filesystem::current_path(mFolder);
        SetAppDataFolder(mFolder + "/userdata/");
    }
    void TearDown() override {
        std::filesystem::current_path(mOldCwd);
        mTemp.reset();
    }
    std::unique_ptr<TempFolder> mTemp;
    std::string mFolder;  // without the trailing slash
    std::filesystem::path mOldCwd;
};

// Music tracks over a 44100 Hz mixer in a scratch folder that holds "ramp.wav" (frame i holds
// i * 10, rampFrames long) and "dc.wav" (441 frames of 10000), both mono 16-bit.
class MusicMixerTest : public ScratchFolderTest {
protected:
    // The fixture's set-up, called from SetUp in place of ScratchFolderTest::SetUp.
    void SetUpMusic(int rampFrames) {
        ScratchFolderTest::SetUp();
        mMixer = std::make_shared<Mixer>(44100);
        mTracks = std::make_unique<MixTrackInterface>(mMixer);
        std::vector<int16_t> ramp(static_cast<size_t>(rampFrames));
        for (int i = 0; i < rampFrames; ++i) {
            ramp[static_cast<size_t>(i)] = static_cast<int16_t>(i * 10);
        }
        WriteFile("ramp.wav", Wave16(1, 44100, ramp));
        WriteFile("dc.wav", Wave16(1, 44100, std::vector<int16_t>(441, 10000)));
    }
    // The next frames of the mix, stereo interleaved.
    std::vector<int16_t> Pull(int frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mMixer->Mix(out.data(), frames);
        return out;
    }

    std::shared_ptr<Mixer> mMixer;
    std::unique_ptr<MixTrackInterface> mTracks;
};

}  // namespace audiotest
