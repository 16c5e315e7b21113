#pragma once
// Shared pieces of the audio tests: a scratch folder that is the working folder while a test runs,
// and builders of small sound files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

// Found beside this header, so the tests don't depend on the environment they run in.
inline std::string FixturePath(const std::string& name) {
    return (std::filesystem::path(__FILE__).parent_path() / "fixtures" / name).string();
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

}  // namespace audiotest
