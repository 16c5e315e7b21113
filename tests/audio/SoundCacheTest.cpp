#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>

#include "audio/SoundFileLoader.h"
#include "audio/SoundFileReaders.h"
#include "core/util/FileUtil.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;
namespace fs = std::filesystem;

class SoundCacheTest : public ScratchFolderTest {
protected:
    std::string CachePath(const std::string& name) {
        return mFolder + "/userdata/cached/" + name + ".wav";
    }
    void SetTime(const std::string& path, time_t t) {
        struct utimbuf times = {t, t};
        ASSERT_EQ(utime(path.c_str(), &times), 0);
    }
};

TEST_F(SoundCacheTest, RelativeNamesOnly) {
    EXPECT_TRUE(IsRelativeCacheName("sounds/click"));
    EXPECT_TRUE(IsRelativeCacheName("sounds\\click"));
    EXPECT_FALSE(IsRelativeCacheName("ab"));
    EXPECT_FALSE(IsRelativeCacheName("/abs/click"));
    EXPECT_FALSE(IsRelativeCacheName("\\abs\\click"));
    EXPECT_FALSE(IsRelativeCacheName("c:sounds"));
    EXPECT_FALSE(IsRelativeCacheName("sounds/../../escape"));
    EXPECT_EQ(GetSoundCachePath("sounds\\click"), CachePath("sounds/click"));
    EXPECT_EQ(GetSoundCachePath("/abs/click"), "");
}

TEST_F(SoundCacheTest, OggIsDecodedOnceThenServedFromTheCache) {
    fs::create_directories("sfx");
    fs::copy_file(FixturePath("tone.ogg"), "sfx/tone.ogg");
    SetTime("sfx/tone.ogg", 1500000000);
    PcmData first;
    SoundSource source = SoundSource::kNone;
    ASSERT_TRUE(LoadSoundFile("sfx/tone", &first, &source));
    EXPECT_EQ(source, SoundSource::kOgg);
    ASSERT_TRUE(fs::exists(CachePath("sfx/tone")));

    // The cache entry names its source and time, so it is checked on the next load.
    const std::string cached = ReadFile(CachePath("sfx/tone"));
    EXPECT_NE(cached.find("dep "), std::string::npos);
    EXPECT_NE(cached.find("sfx/tone.ogg"), std::string::npos);

    PcmData second;
    ASSERT_TRUE(LoadSoundFile("sfx/tone", &second, &source));
    EXPECT_EQ(source, SoundSource::kCache);
    EXPECT_EQ(second.bytes, first.bytes);
    EXPECT_EQ(second.sampleRate, 22050);
}

TEST_F(SoundCacheTest, ChangedSourceIsDecodedAgainAndRewritten) {
    WriteFile("beep.au", Au(1, 8000, 1, std::string(16, '\x80')));
    SetTime("beep.au", 1000);
    PcmData pcm;
    SoundSource source = SoundSource::kNone;
    ASSERT_TRUE(LoadSoundFile("beep", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);
    ASSERT_TRUE(LoadSoundFile("beep", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kCache);

    WriteFile("beep.au", Au(1, 8000, 1, std::string(8, '\xFF')));
    SetTime("beep.au", 2000);
    ASSERT_TRUE(LoadSoundFile("beep", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);
    EXPECT_EQ(pcm.bytes.size(), 16u);
    ASSERT_TRUE(LoadSoundFile("beep", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kCache);
    EXPECT_EQ(pcm.bytes.size(), 16u);
}

TEST_F(SoundCacheTest, OldAndBrokenCacheFiles) {
    // An entry without "dep " (written before sources were recorded) still loads.
    WriteFile(CachePath("old"), Wave16(1, 8000, {7, 8, 9}));
    PcmData pcm;
    SoundSource source = SoundSource::kNone;
    ASSERT_TRUE(LoadSoundFile("old", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kCache);

    // A truncated entry is never served: the source is decoded and the entry replaced whole.
    WriteFile("cut.au", Au(1, 8000, 1, std::string(10, '\x10')));
    const std::string whole = Wave16(1, 8000, std::vector<int16_t>(10, 1));
    WriteFile(CachePath("cut"), whole.substr(0, whole.size() - 6));
    ASSERT_TRUE(LoadSoundFile("cut", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);
    ASSERT_TRUE(LoadSoundFile("cut", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kCache);
    EXPECT_EQ(pcm.bytes.size(), 20u);
}

// The cache holds nothing larger than kMaxCachedPcmBytes: a larger file there, even a well-formed
// wave (here a sparse one that would take its size in memory), is refused before it is read, and
// the sound comes from its source, whose entry replaces it.
TEST_F(SoundCacheTest, ACacheFileLargerThanTheGameWritesIsNotRead) {
    WriteFile("huge.au", Au(1, 8000, 1, std::string(10, '\x10')));
    std::string header = Wave16(1, 8000, {});
    const uint32_t dataBytes = static_cast<uint32_t>(kMaxCacheFileBytes);
    for (int i = 0; i < 4; ++i) {
        header[header.size() - 4 + i] = static_cast<char>((dataBytes >> (8 * i)) & 0xFF);
        header[4 + i] = static_cast<char>(((dataBytes + header.size() - 8) >> (8 * i)) & 0xFF);
    }
    WriteFile(CachePath("huge"), header);
    ASSERT_EQ(truncate(CachePath("huge").c_str(), static_cast<off_t>(header.size() + dataBytes)),
              0);
    PcmData pcm;
    SoundSource source = SoundSource::kNone;
    ASSERT_TRUE(LoadSoundFile("huge", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);
    EXPECT_EQ(pcm.bytes.size(), 20u);
    EXPECT_LT(fs::file_size(CachePath("huge")), 4096u);
    ASSERT_TRUE(LoadSoundFile("huge", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kCache);
}

TEST_F(SoundCacheTest, WaveAndAbsoluteNamesAreNeverCached) {
    WriteFile("plain.wav", Wave16(1, 8000, {1, 2}));
    PcmData pcm;
    SoundSource source = SoundSource::kNone;
    ASSERT_TRUE(LoadSoundFile("plain", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kWave);
    EXPECT_FALSE(fs::exists(CachePath("plain")));

    WriteFile("abs.au", Au(1, 8000, 1, "abcd"));
    ASSERT_TRUE(LoadSoundFile(mFolder + "/abs", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);
    ASSERT_TRUE(LoadSoundFile(mFolder + "/abs", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kAu);  // decoded again: nothing was cached

    EXPECT_FALSE(LoadSoundFile("nothing", &pcm, &source));
    EXPECT_EQ(source, SoundSource::kNone);
}

// A sound file that ends early plays what it has, each load, with one log line naming it for the
// whole run; it is not cached, so the line comes back next run until the file is mended.
TEST_F(SoundCacheTest, CutOffSoundFilesPlayWhatTheyHaveAndAreNamedOnce) {
    const std::string ogg = ReadFile(FixturePath("tone.ogg"));
    const std::string wave = Wave16(1, 8000, std::vector<int16_t>(100, 5));
    const struct {
        const char* name;
        std::string file;
        SoundSource source;
        bool sounds;  // the fixture's Ogg stream has one page of sound, the one cut off
    } cases[] = {
        {"cutwave.wav", wave.substr(0, wave.size() - 51), SoundSource::kWave, true},
        {"cutau.au", Au(1, 8000, 1, std::string(40, '\x10'), 400), SoundSource::kAu, true},
        {"cutogg.ogg", ogg.substr(0, ogg.size() - 200), SoundSource::kOgg, false},
    };
    for (const auto& c : cases) {
        const std::string file = c.name;
        WriteFile(file, c.file);
        const std::string name = file.substr(0, file.find('.'));
        testing::internal::CaptureStderr();
        for (int load = 0; load < 2; ++load) {
            PcmData pcm;
            SoundSource source = SoundSource::kNone;
            ASSERT_TRUE(LoadSoundFile(name, &pcm, &source)) << file;
            EXPECT_EQ(source, c.source) << file;
            EXPECT_EQ(pcm.bytes.empty(), !c.sounds) << file;
        }
        const std::string log = testing::internal::GetCapturedStderr();
        const std::string line = "Sound file '" + file + "' is cut off";
        EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find(line), log.rfind(line)) << "one line for the run\n" << log;
        EXPECT_FALSE(fs::exists(CachePath(name))) << file;
    }
}

// A FIFO or a link to an endless device in a cache entry's place is not read (it would block or
// grow without end): the sound is decoded from its source.
TEST_F(SoundCacheTest, StrangeCacheEntriesAreDecodedFromTheirSource) {
    const struct {
        const char* name;
        bool (*make)(const std::string& path);
    } cases[] = {
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; }},
        {"zero", [](const std::string& p) { return ::symlink("/dev/zero", p.c_str()) == 0; }},
    };
    fs::create_directories(mFolder + "/userdata/cached");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(std::string(c.name) + ".au", Au(1, 8000, 1, "abcd"));
        ASSERT_TRUE(c.make(CachePath(c.name)));
        PcmData pcm;
        SoundSource source = SoundSource::kNone;
        ASSERT_TRUE(LoadSoundFile(c.name, &pcm, &source));
        EXPECT_EQ(source, SoundSource::kAu);
        EXPECT_EQ(pcm.bytes.size(), 8u);
    }
}

// A "cached" folder that is a link would put the cache's folders and files wherever it points:
// the cache is then not used, and nothing is written outside the per-user folder.
TEST_F(SoundCacheTest, ACacheFolderLinkIsNeverWrittenThrough) {
    fs::create_directories(mFolder + "/outside");
    fs::create_directories(mFolder + "/userdata");
    ASSERT_EQ(::symlink((mFolder + "/outside").c_str(), (mFolder + "/userdata/cached").c_str()), 0);
    fs::create_directories("sfx");
    WriteFile("sfx/beep.au", Au(1, 8000, 1, "abcd"));
    testing::internal::CaptureStderr();
    for (int load = 0; load < 2; ++load) {
        PcmData pcm;
        SoundSource source = SoundSource::kNone;
        ASSERT_TRUE(LoadSoundFile("sfx/beep", &pcm, &source));
        EXPECT_EQ(source, SoundSource::kAu);
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::is_empty(mFolder + "/outside"));
    EXPECT_NE(log.find("is a link"), std::string::npos) << log;
    EXPECT_EQ(log.find("is a link"), log.rfind("is a link")) << "one line: " << log;
}
