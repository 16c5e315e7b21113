#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "audio/MixSoundManager.h"
#include "audio/MixTrackInterface.h"
#include "audio/MusicSources.h"
#include "audio/SoundFileReaders.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;

namespace {

// A one-pattern, four-channel "M.K." module whose first row plays a square-wave sample.
std::string TinyModule() {
    std::string mod(20, '\0');
    mod.replace(0, 4, "test");
    const int sampleBytes = 512;
    for (int s = 0; s < 31; ++s) {
        std::string header(30, '\0');
        if (s == 0) {
            header[22] = static_cast<char>((sampleBytes / 2) >> 8);
            header[23] = static_cast<char>((sampleBytes / 2) & 0xFF);
            header[25] = 64;  // volume
            header[29] = 1;   // repeat length 1 word: no loop
        }
        mod += header;
    }
    mod.push_back(1);               // song length
    mod.push_back(127);             // restart
    mod += std::string(128, '\0');  // order table: pattern 0
    mod += "M.K.";
    std::string pattern(64 * 4 * 4, '\0');
    // Row 0, channel 0: sample 1, period 428, no effect.
    pattern[0] = static_cast<char>(0x01);
    pattern[1] = static_cast<char>(0xAC);
    pattern[2] = static_cast<char>(0x10);
    mod += pattern;
    for (int i = 0; i < sampleBytes; ++i) {
        mod.push_back(static_cast<char>((i / 8) % 2 ? 100 : -100));
    }
    return mod;
}

class MusicTrackTest : public MusicMixerTest {
protected:
    void SetUp() override {
        SetUpMusic(1000);
        ASSERT_TRUE(mTracks->LoadTrack(1, "dc.wav", "music"));
        ASSERT_TRUE(mTracks->LoadTrack(2, "ramp.wav", "music"));
    }
    static int Peak(const std::vector<int16_t>& out) {
        int peak = 0;
        for (int16_t s : out) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        return peak;
    }
    void Updates(int n) {
        for (int i = 0; i < n; ++i) {
            mTracks->Update();
        }
    }
};

}  // namespace

TEST_F(MusicTrackTest, ChannelVolumeAndFixedMusicGain) {
    mTracks->PlayTrack(1, 0, true);
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    EXPECT_EQ(Peak(Pull(100)), 0);  // the channel has no volume yet
    EXPECT_EQ(mTracks->GetChannelVolume("music"), 0.0);
    mTracks->SetChannelVolume("music", 1.0);
    EXPECT_EQ(mTracks->GetChannelVolume("music"), 1.0);
    EXPECT_EQ(Peak(Pull(100)), 4000);  // 10000 x the music gain 0.4
    mTracks->SetMasterVolume(0.5);
    EXPECT_EQ(Peak(Pull(100)), 2000);
    EXPECT_EQ(mTracks->GetTrackChannel(1), "music");
    EXPECT_EQ(mTracks->GetTrackChannel(9), "");
}

TEST_F(MusicTrackTest, ANaNVolumeSilencesOnlyItsOwnTrack) {
    // Volumes come from script expressions; a NaN must not turn the rest of the mix into noise.
    mTracks->SetChannelVolume("music", 1.0);
    mTracks->SetChannelVolume("other", std::nan(""));
    ASSERT_TRUE(mTracks->LoadTrack(3, "ramp.wav", "other"));
    mTracks->PlayTrack(1, 0, true);
    mTracks->PlayTrack(3, 0, true);
    EXPECT_EQ(Peak(Pull(100)), 4000);
    mTracks->SetMasterVolume(std::nan(""));
    EXPECT_EQ(Peak(Pull(100)), 0);
    mTracks->SetMasterVolume(1.0);
    mMixer->SetMasterGain(std::nan(""));
    EXPECT_EQ(Peak(Pull(100)), 0);
}

TEST_F(MusicTrackTest, FadeInReachesTheCeilingAfter100Updates) {
    mTracks->SetChannelVolume("music", 1.0);
    mTracks->StopTrack(1);
    mTracks->PlayTrackFadeIn(1, 0, 0.01, true);
    Updates(99);
    EXPECT_LT(mTracks->GetTrackLevel(1), 1.0);
    Updates(1);
    EXPECT_EQ(mTracks->GetTrackLevel(1), 1.0);
    Updates(5);
    EXPECT_EQ(mTracks->GetTrackLevel(1), 1.0);
    mTracks->SetTrackMaxVolume(1, 0.5);
    EXPECT_EQ(mTracks->GetTrackLevel(1), 0.5);
    EXPECT_EQ(Peak(Pull(100)), 2000);
}

TEST_F(MusicTrackTest, FadeOutStopsWhenSilent) {
    mTracks->SetChannelVolume("music", 1.0);
    mTracks->PlayTrack(1, 0, true);
    mTracks->FadeOutChannel("music", true, 0.25);
    Updates(4);
    EXPECT_EQ(mTracks->GetTrackLevel(1), 0.0);
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));  // landing exactly on 0 stops one update later
    Updates(1);
    EXPECT_FALSE(mTracks->IsTrackPlaying(1));

    // Without stop-when-silent the track plays on at level 0.
    mTracks->PlayTrack(1, 0, true);
    mTracks->FadeOutTrack(1, false, 0.5);
    Updates(5);
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    EXPECT_EQ(Peak(Pull(100)), 0);
}

TEST_F(MusicTrackTest, ByteOffsetsLoopsAndEnds) {
    mTracks->SetChannelVolume("music", 1.0);
    mTracks->SetTrackAmplify(2, 100);       // streams ignore amplification
    mTracks->PlayTrack(2, 2 * 500, false);  // 2 bytes per mono 16-bit frame
    std::vector<int16_t> out = Pull(1);
    EXPECT_EQ(out[0], 2000);  // frame 500 of the ramp (5000) x 0.4
    Pull(600);
    EXPECT_FALSE(mTracks->IsTrackPlaying(2));  // played to its end

    mTracks->PlayTrack(1, 0, true);
    Pull(2000);
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    EXPECT_EQ(Peak(Pull(100)), 4000);
}

TEST_F(MusicTrackTest, PauseAndResumeByChannel) {
    mTracks->SetChannelVolume("music", 1.0);
    ASSERT_TRUE(mTracks->LoadTrack(3, "dc.wav", "ambience"));
    mTracks->SetChannelVolume("ambience", 1.0);
    mTracks->PlayTrack(1, 0, true);
    mTracks->PlayTrack(3, 0, true);
    mTracks->PauseChannel("music");
    EXPECT_FALSE(mTracks->IsTrackPlaying(1));
    EXPECT_TRUE(mTracks->IsTrackPlaying(3));
    mTracks->ResumeChannel("music");
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    mTracks->PauseAllTracks();
    EXPECT_FALSE(mTracks->IsTrackPlaying(3));
    EXPECT_EQ(Peak(Pull(100)), 0);
    mTracks->ResumeAllTracks();
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    EXPECT_TRUE(mTracks->IsTrackPlaying(3));
    mTracks->StopAllTracks();
    EXPECT_FALSE(mTracks->IsTrackPlaying(1));
    mTracks->UnloadTrack(3);
    EXPECT_EQ(mTracks->GetTrackChannel(3), "");
    mTracks->PlayTrack(3, 0, true);  // not loaded: nothing happens
    EXPECT_FALSE(mTracks->IsTrackPlaying(3));
}

TEST_F(MusicTrackTest, OggMp3AndModuleTracks) {
    mTracks->SetChannelVolume("music", 1.0);
    std::filesystem::copy_file(FixturePath("tone.ogg"), "tone.ogg");
    ASSERT_TRUE(mTracks->LoadTrack(10, "tone.ogg", "music"));
    mTracks->PlayTrack(10, 0, false);
    EXPECT_GT(Peak(Pull(2000)), 3000);

    // The extension decides, in either letter case.
    std::filesystem::copy_file(FixturePath("tone.ogg"), "TONE.OGG");
    ASSERT_TRUE(mTracks->LoadTrack(11, "TONE.OGG", "music"));
    mTracks->StopTrack(10);
    mTracks->PlayTrack(11, 0, false);
    EXPECT_GT(Peak(Pull(2000)), 3000);
    mTracks->StopTrack(11);
    WriteFile("QUIET.Mp3", SilentMp3(12));
    EXPECT_TRUE(mTracks->LoadTrack(16, "QUIET.Mp3", "music"));

    WriteFile("quiet.mp3", SilentMp3(12));
    ASSERT_TRUE(mTracks->LoadTrack(12, "quiet.mp3", "music"));
    mTracks->PlayTrack(12, 0, true);
    mTracks->StopTrack(10);
    EXPECT_EQ(Peak(Pull(4000)), 0);
    EXPECT_TRUE(mTracks->IsTrackPlaying(12));
    mTracks->StopTrack(12);

    WriteFile("tune.mod", TinyModule());
    ASSERT_TRUE(mTracks->LoadTrack(13, "tune.mod", "music"));
    mTracks->PlayTrack(13, 0, false);
    EXPECT_GT(Peak(Pull(4000)), 0);
    EXPECT_TRUE(mTracks->IsTrackPlaying(13));

    WriteFile("junk.mp3", std::string(100, 'x'));
    EXPECT_FALSE(mTracks->LoadTrack(14, "junk.mp3", "music"));
    EXPECT_FALSE(mTracks->LoadTrack(15, "absent.ogg", "music"));
    mTracks->UnloadAllTracks();
    EXPECT_FALSE(mTracks->IsTrackPlaying(13));
}

// An Ogg file cut off inside its headers can't be played at all: one line says so, not that it
// plays up to where it ends.
TEST_F(MusicTrackTest, AnOggCutOffInItsHeadersIsOneLineThatItCantBeRead) {
    WriteFile("short.ogg", ReadFile(FixturePath("tone.ogg")).substr(0, 200));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mTracks->LoadTrack(30, "short.ogg", "music"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("'short.ogg'"), std::string::npos) << log;
    EXPECT_EQ(log.find("plays only"), std::string::npos) << log;
}

TEST_F(MusicTrackTest, OnlyTheCurrentAndTheLastTrackHoldTheirFiles) {
    mTracks->SetChannelVolume("music", 1.0);
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg"}) {
        std::filesystem::copy_file(FixturePath("tone.ogg"), name);
    }
    ASSERT_TRUE(mTracks->LoadTrack(20, "a.ogg", "music"));
    ASSERT_TRUE(mTracks->LoadTrack(21, "b.ogg", "music"));
    ASSERT_TRUE(mTracks->LoadTrack(22, "c.ogg", "music"));
    EXPECT_EQ(mTracks->CountHeldTracks(), 0) << "loading only checks the files";
    // Played in turn, each stopped as the next starts; a played-out track goes back to its file.
    for (int round = 0; round < 2; ++round) {
        for (int id = 20; id <= 22; ++id) {
            mTracks->StopAllTracks();
            mTracks->PlayTrack(id, 0, false);
            Updates(1);
            EXPECT_GT(Peak(Pull(2000)), 3000) << "track " << id << ", round " << round;
            EXPECT_LE(mTracks->CountHeldTracks(), 2);
        }
    }
    // A file gone since loading: the track stays silent and the others play on.
    mTracks->StopAllTracks();
    Updates(1);
    std::filesystem::remove("a.ogg");
    mTracks->PlayTrack(20, 0, false);
    EXPECT_FALSE(mTracks->IsTrackPlaying(20));
    mTracks->PlayTrack(22, 0, false);
    EXPECT_GT(Peak(Pull(2000)), 3000);
}

// A stereo stream decodes straight into the mixer's frames; its sides must stay apart and in
// order (the fixture is a tone on the left over silence on the right).
TEST(OggMusicSourceTest, StereoKeepsItsSides) {
    std::string error;
    std::unique_ptr<MusicSource> source =
        CreateOggMusicSource(ReadFile(FixturePath("left.ogg")), "left.ogg", &error);
    ASSERT_NE(source, nullptr) << error;
    EXPECT_EQ(source->BytesPerFrame(), 4);
    std::vector<int16_t> frames(2 * 4096);
    int total = 0;
    int left = 0;
    int right = 0;
    for (int got; (got = source->Decode(frames.data(), 4096, false)) > 0; total += got) {
        for (int i = 0; i < got; ++i) {
            left = std::max(left, std::abs(static_cast<int>(frames[2 * i])));
            right = std::max(right, std::abs(static_cast<int>(frames[2 * i + 1])));
        }
    }
    EXPECT_GT(total, 5000);  // a quarter second at 22050 Hz
    EXPECT_GT(left, 10000);
    EXPECT_LT(right, 200);
}

// A cut-off Ogg file still decodes (shorter), so the end of its stream is what tells it apart.
TEST(OggMusicSourceTest, ACutOffFileIsToldApart) {
    const std::string whole = ReadFile(FixturePath("left.ogg"));
    EXPECT_TRUE(IsOggStreamComplete(whole));
    for (size_t cut : {whole.size() - 1, whole.size() / 2, size_t{30}, size_t{0}}) {
        EXPECT_FALSE(IsOggStreamComplete(whole.substr(0, cut))) << cut;
    }
}

// The frames are followed to the end: one that runs past it, or a header cut short, is a cut-off
// file; ID3 tags before and after the frames are allowed.
TEST(Mp3MusicSourceTest, ACutOffFileIsToldApart) {
    const std::string frames = SilentMp3(6);
    std::string id3 = "ID3";
    id3 += std::string("\x04\x00\x00\x00\x00\x00\x05", 7) + "abcde";
    const std::string trailer = "TAG" + std::string(125, ' ');
    const struct {
        std::string bytes;
        bool whole;
    } cases[] = {
        {frames, true},
        {id3 + frames + trailer, true},
        {frames.substr(0, 5 * 417), true},  // ends between frames: nothing tells
        {frames.substr(0, frames.size() - 1), false},
        {frames.substr(0, 5 * 417 + 2), false},
        {id3 + frames.substr(0, 200), false},
        {id3.substr(0, 12), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(IsMp3StreamComplete(cases[i].bytes), cases[i].whole) << i;
    }
}

TEST_F(MusicTrackTest, ACutOffMp3PlaysWithOneLogLine) {
    mTracks->SetChannelVolume("music", 1.0);
    const std::string frames = SilentMp3(12);
    WriteFile("cut.mp3", frames.substr(0, frames.size() - 100));
    testing::internal::CaptureStderr();
    ASSERT_TRUE(mTracks->LoadTrack(30, "cut.mp3", "music"));
    mTracks->PlayTrack(30, 0, false);
    Pull(1000);
    mTracks->StopTrack(30);
    mTracks->PlayTrack(30, 0, false);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(mTracks->IsTrackPlaying(30));
    const std::string line = "Music file 'cut.mp3' is cut off";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
}

TEST(BareTrackInterface, AcceptsEverythingAndPlaysNothing) {
    auto silent = CreateSoundManager(false);
    std::unique_ptr<TrackInterface> tracks = CreateMusicInterface(*silent);
    EXPECT_EQ(dynamic_cast<MixTrackInterface*>(tracks.get()), nullptr);
    EXPECT_FALSE(tracks->LoadTrack(1, "music/theme.ogg", "music"));
    tracks->PlayTrack(1, 0, true);
    tracks->PlayTrackFadeIn(1, -1, 0.1, true);
    tracks->SetChannelVolume("music", 1.0);
    tracks->Update();
    EXPECT_FALSE(tracks->IsTrackPlaying(1));
    EXPECT_EQ(tracks->GetChannelVolume("music"), 0.0);
    EXPECT_EQ(tracks->GetTrackChannel(1), "");
}
