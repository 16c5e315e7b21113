// Music tracks as the scripts drive them: a track asked to play while it plays goes on from
// where it is, one track pauses and resumes in place, a track's own volume, a track replaced
// while it plays, and every stream source refusing a seek past its end.

#include <gtest/gtest.h>

#include "audio/MixSoundManager.h"
#include "audio/MixTrackInterface.h"
#include "audio/Mixer.h"
#include "audio/MusicSources.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;

namespace {

class TrackPlaybackTest : public MusicMixerTest {
protected:
    void SetUp() override {
        // A ramp: frame i holds i * 10, so every frame tells where the stream stands.
        SetUpMusic(2000);
        ASSERT_TRUE(mTracks->LoadTrack(1, "ramp.wav", "music"));
        mTracks->SetChannelVolume("music", 1.0);
    }
    // The left sample of the next frame, after skipping the frames before it.
    int NextFrame() { return Pull(1)[0]; }
    void Skip(int frames) { Pull(frames); }
    // The ramp's value at frame i through the fixed music gain.
    static int Ramp(int i) { return static_cast<int>(i * 10 * MixTrackInterface::kMusicGain); }
};

}  // namespace

TEST_F(TrackPlaybackTest, PlayingAPlayingTrackAgainGoesOnFromItsPosition) {
    mTracks->PlayTrack(1, 0, false);
    Skip(300);
    // What "play-track" asks of a track that already plays: offset -1, with a fade-in.
    ASSERT_TRUE(mTracks->IsTrackPlaying(1));
    mTracks->PlayTrackFadeIn(1, -1, 0.004, false);
    EXPECT_EQ(NextFrame(), Ramp(300));
    // A track that does not play starts from the beginning (offset 0).
    mTracks->StopTrack(1);
    mTracks->PlayTrackFadeIn(1, 0, 1.0, false);
    mTracks->Update();
    EXPECT_EQ(NextFrame(), Ramp(0));
}

TEST_F(TrackPlaybackTest, OneTrackPausesAndResumesInPlace) {
    ASSERT_TRUE(mTracks->LoadTrack(2, "dc.wav", "music"));
    mTracks->PlayTrack(1, 0, false);
    mTracks->PlayTrack(2, 0, true);
    Skip(100);
    mTracks->PauseTrack(1);
    EXPECT_FALSE(mTracks->IsTrackPlaying(1));
    EXPECT_TRUE(mTracks->IsTrackPlaying(2));
    // Only the other track is heard while it is paused.
    EXPECT_EQ(NextFrame(), 4000);
    Skip(50);
    mTracks->StopTrack(2);
    mTracks->ResumeTrack(1);
    EXPECT_TRUE(mTracks->IsTrackPlaying(1));
    EXPECT_EQ(NextFrame(), Ramp(100));
}

TEST_F(TrackPlaybackTest, ATracksOwnVolumeScalesOnlyThatTrack) {
    ASSERT_TRUE(mTracks->LoadTrack(2, "dc.wav", "music"));
    mTracks->PlayTrack(2, 0, true);
    mTracks->SetTrackVolume(2, 0.5);
    EXPECT_DOUBLE_EQ(mTracks->GetTrackLevel(2), 0.5);
    EXPECT_EQ(NextFrame(), 2000);
    EXPECT_DOUBLE_EQ(mTracks->GetTrackLevel(1), 0.0);  // the other track is untouched
    mTracks->SetTrackVolume(2, 1.0);
    EXPECT_EQ(NextFrame(), 4000);
    // The ceiling caps the level from then on.
    mTracks->SetTrackMaxVolume(2, 0.25);
    EXPECT_EQ(NextFrame(), 1000);
}

TEST_F(TrackPlaybackTest, LoadingOverAPlayingTrackReplacesIt) {
    mTracks->PlayTrack(1, 0, true);
    Skip(10);
    ASSERT_TRUE(mTracks->LoadTrack(1, "dc.wav", "music"));
    // The old stream is gone; the new one waits to be played under the same id.
    EXPECT_FALSE(mTracks->IsTrackPlaying(1));
    EXPECT_EQ(NextFrame(), 0);
    mTracks->PlayTrack(1, 0, true);
    EXPECT_EQ(NextFrame(), 4000);
    EXPECT_EQ(mTracks->GetTrackChannel(1), "music");
}

TEST(MusicSourceSeek, EveryStreamRefusesASeekPastItsEnd) {
    std::string error;
    std::unique_ptr<MusicSource> mp3 = CreateMp3MusicSource(SilentMp3(12), "quiet.mp3", &error);
    ASSERT_NE(mp3, nullptr) << error;
    std::vector<int16_t> buffer(4096 * 2);
    int64_t length = 0;
    for (int n = 0; (n = mp3->Decode(buffer.data(), 4096, false)) > 0;) {
        length += n;
    }
    ASSERT_GT(length, 0);
    EXPECT_TRUE(mp3->Seek(0));
    EXPECT_TRUE(mp3->Seek(length / 2));
    EXPECT_FALSE(mp3->Seek(length + 1152)) << "a frame past the end";
    EXPECT_FALSE(mp3->Seek(int64_t(1) << 40));
    EXPECT_FALSE(mp3->Seek(-1));
    // A refused seek leaves the source usable.
    EXPECT_TRUE(mp3->Seek(0));
    EXPECT_GT(mp3->Decode(buffer.data(), 4096, false), 0);

    std::unique_ptr<MusicSource> wave =
        CreateWaveMusicSource(Wave16(1, 44100, std::vector<int16_t>(100, 5)), "w.wav", &error);
    ASSERT_NE(wave, nullptr) << error;
    EXPECT_TRUE(wave->Seek(100));
    EXPECT_FALSE(wave->Seek(101));

    std::unique_ptr<MusicSource> ogg =
        CreateOggMusicSource(ReadFile(FixturePath("tone.ogg")), "tone.ogg", &error);
    ASSERT_NE(ogg, nullptr) << error;
    EXPECT_FALSE(ogg->Seek(int64_t(1) << 40));
}

TEST(SoundIdCounts, OnlyLoadedSoundsCount) {
    // A silent manager hands out ids by name but decodes nothing: no id holds a sound.
    auto silent = CreateSoundManager(false);
    const int named = silent->LoadSoundByName("a_sound");
    ASSERT_GE(named, 0);
    EXPECT_EQ(silent->GetNumSounds(), 0);
    // The named id is still taken: it is not offered as free.
    EXPECT_NE(silent->GetFreeSoundId(), named);
    EXPECT_EQ(silent->GetFreeSoundId(), 0);
}
