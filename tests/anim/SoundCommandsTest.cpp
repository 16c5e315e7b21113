// The sound and music commands against the mixer with a silent output: which sound plays, which
// tracks fade, and the waits on a sound or a track.

#include "ScriptWidgetsHarness.h"

namespace {

class SoundCommands : public ScriptWidgetsTest {
protected:
    void SetUp() override {
        ScriptWidgetsTest::SetUp();
        Write("dc.wav", audiotest::Wave16(1, 44100, std::vector<int16_t>(44100, 10000)));
        Write("other.wav", audiotest::Wave16(1, 44100, std::vector<int16_t>(44100, 5000)));
        ASSERT_TRUE(mHost.sounds->LoadSound(1, "dc"));
        ASSERT_TRUE(mHost.sounds->LoadSound(2, "other"));
        AssetManager::Get().SetSound("beep", 1);
        AssetManager::Get().SetSound("boop", 2);
        ASSERT_TRUE(mHost.music->LoadTrack(10, "dc.wav", "music"));
        ASSERT_TRUE(mHost.music->LoadTrack(11, "other.wav", "music"));
        ASSERT_TRUE(mHost.music->LoadTrack(12, "other.wav", "ambience"));
        mHost.music->SetChannelVolume("music", 1.0);
        mHost.music->SetChannelVolume("ambience", 1.0);
        AssetManager::Get().SetNamedId("theme", 10);
        AssetManager::Get().SetNamedId("battle", 11);
        AssetManager::Get().SetNamedId("wind", 12);
        AnimationWidget::SetPlayingQueries(
            [this](int id) { return mHost.sounds->FindPlayingInstance(id) != nullptr; },
            [this](int id) { return mHost.music->IsTrackPlaying(id); });
    }
    void TearDown() override {
        AnimationWidget::SetPlayingQueries(nullptr, nullptr);
        ScriptWidgetsTest::TearDown();
    }
    bool Playing(int id) { return mHost.sounds->FindPlayingInstance(id) != nullptr; }
    void MusicUpdates(int n) {
        for (int i = 0; i < n; ++i) {
            mHost.music->Update();
        }
    }
};

TEST_F(SoundCommands, OneShotsPlayAndStop) {
    Load(R"(<animation name="a"><sound name="'beep'" volume="0.5"/><sound name="'nothing'"/>
            </animation>
            <animation name="b"><sound name="'boop'"/><stop-sound name="'beep'"/></animation>
            <animation name="c"><stop-sounds/></animation>)");
    auto* host = Host("a");
    EXPECT_TRUE(Playing(1));
    EXPECT_FALSE(Playing(2));
    host->PlayAnimationRef("b");
    EXPECT_FALSE(Playing(1));
    EXPECT_TRUE(Playing(2));
    host->PlayAnimationRef("c");
    EXPECT_FALSE(Playing(2));
}

TEST_F(SoundCommands, TracksFadeInAndTheChannelMakesRoom) {
    Load(R"(<animation name="a"><play-track name="'theme'" fade="0.25"/></animation>
            <animation name="b"><play-track name="'battle'" fade="0.5"/></animation)"
         R"(>
            <animation name="c"><play-track name="'battle'" fade="0.5" sole="false"/></animation>)");
    auto* host = Host("a");
    EXPECT_TRUE(mHost.music->IsTrackPlaying(10));
    MusicUpdates(2);
    EXPECT_DOUBLE_EQ(mHost.music->GetTrackLevel(10), 0.5);
    MusicUpdates(2);
    EXPECT_DOUBLE_EQ(mHost.music->GetTrackLevel(10), 1.0);
    // A second track of the channel: the first fades out and stops.
    host->PlayAnimationRef("b");
    MusicUpdates(3);
    EXPECT_DOUBLE_EQ(mHost.music->GetTrackLevel(11), 1.0);
    EXPECT_FALSE(mHost.music->IsTrackPlaying(10));
    // Played again while it plays: it goes on at full level.
    host->PlayAnimationRef("c");
    EXPECT_TRUE(mHost.music->IsTrackPlaying(11));
    EXPECT_DOUBLE_EQ(mHost.music->GetTrackLevel(11), 1.0);
}

TEST_F(SoundCommands, StoppingPausingAndResumingByChannel) {
    Load(R"(<animation name="a">
              <play-track name="'theme'" fade="0"/>
              <play-track name="'wind'" fade="0"/>
            </animation>
            <animation name="pause"><pause-tracks context="'music'"/></animation>
            <animation name="resume"><resume-tracks/></animation>
            <animation name="stopone"><stop-tracks context="'ambience'" fade="0"/></animation>
            <animation name="stopall"><stop-tracks fade="0.5"/></animation>)");
    auto* host = Host("a");
    // A fade of 0 takes the whole way in one update.
    MusicUpdates(1);
    EXPECT_DOUBLE_EQ(mHost.music->GetTrackLevel(10), 1.0);
    host->PlayAnimationRef("pause");
    EXPECT_FALSE(mHost.music->IsTrackPlaying(10));
    EXPECT_TRUE(mHost.music->IsTrackPlaying(12));
    host->PlayAnimationRef("resume");
    EXPECT_TRUE(mHost.music->IsTrackPlaying(10));
    host->PlayAnimationRef("stopone");
    MusicUpdates(2);
    EXPECT_FALSE(mHost.music->IsTrackPlaying(12));
    EXPECT_TRUE(mHost.music->IsTrackPlaying(10));
    host->PlayAnimationRef("stopall");
    MusicUpdates(3);
    EXPECT_FALSE(mHost.music->IsTrackPlaying(10));
}

TEST_F(SoundCommands, WaitsOnATrackAndOnASound) {
    Load(R"(<animation name="a">
              <play-track name="'theme'" fade="0"/>
              <wait-for track="'theme'"/>
              <mark v="'track over'"/>
              <sound name="'beep'"/>
              <wait-for sound="'beep'"/>
              <mark v="'sound over'"/>
            </animation>
            <animation name="stop"><stop-track name="'theme'" fade="0"/></animation>)");
    auto* host = Host("a");
    MusicUpdates(1);
    Run(3);
    EXPECT_EQ(host->Trace(), "");
    EXPECT_TRUE(mHost.music->IsTrackPlaying(10));
    // Another widget's script stops the track; the wait ends at the next update.
    auto* stopper = Host("stop");
    (void)stopper;
    MusicUpdates(2);
    EXPECT_FALSE(mHost.music->IsTrackPlaying(10));
    Run();
    EXPECT_EQ(host->Trace(), "track over ");
    Run(2);
    EXPECT_EQ(host->Trace(), "track over ");
    mHost.sounds->StopSound(1);
    Run();
    EXPECT_EQ(host->Trace(), "track over sound over ");
}

}  // namespace
