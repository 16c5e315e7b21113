// The application's sound services as the screens use them (effect helpers, mute and un-mute,
// music named without an extension, sound fades stepped before the widget tree) and its menu
// list (register, collect, kill the collected ones).

#include "app/AppAudio.h"
#include "app/AppAudioControl.h"
#include "app/GameApp.h"
#include "audio/SoundManager.h"
#include "audio/SoundPlayer.h"
#include "audio/TrackInterface.h"
#include "graphics/assets/AssetManager.h"
#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "support/AudioTestUtil.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

// Records the sound player's tick that each fixed update of the tree sees.
class TickWatcher : public Widget {
public:
    explicit TickWatcher(GameApp* app) : mApp(app) {}
    void Update() override { ticks.push_back(mApp->GetSoundPlayer()->GetTick()); }
    std::vector<int> ticks;

private:
    GameApp* mApp;
};

// The volumes the application hands to the audio layer.
class RecordingAudio : public AppAudioControl {
public:
    void ApplySfxVolume(double volume) override { sfx = volume; }
    void ApplyChannelVolume(const std::string& channel, double volume) override {
        channels[channel] = volume;
    }
    void PlaySample(int soundId) override { samples.push_back(soundId); }
    double sfx = -1.0;
    std::map<std::string, double> channels;
    std::vector<int> samples;
};

// A menu as far as the list cares: it leaves the list when it is deleted.
class ListedMenu : public Widget {
public:
    ListedMenu(GameApp* app, int* deleted) : mApp(app), mDeleted(deleted) {
        mApp->RegisterMenu(this);
    }
    ~ListedMenu() override {
        mApp->UnregisterMenu(this);
        ++*mDeleted;
    }

private:
    GameApp* mApp;
    int* mDeleted;
};

class AppSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetPlatform(std::make_unique<NullPlatform>());
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        ASSERT_NE(app.GetAudio(), nullptr);
    }
    void TearDown() override {
        app.SetAudioControl(app.GetAudio());
        AssetManager::Get().Clear();
    }
    // One fixed update and its float update, as the main loop runs them.
    void Step() {
        clock.Advance(10);
        app.MainLoopStep();
    }

    TempUserFolder folder;
    ManualClock clock;
    GameApp app{"Test", "v1.2", 1024, 768};
};

}  // namespace

TEST_F(AppSoundTest, SoundFadesStepBeforeTheWidgetTree) {
    auto* watcher = new TickWatcher(&app);
    app.GetWidgetManager()->AddWidget(watcher);
    app.BeginRun();
    Step();
    Step();
    ASSERT_GE(watcher->ticks.size(), 2u);
    // The sound player has already counted the update the tree is in.
    EXPECT_EQ(watcher->ticks[0], 1);
    EXPECT_EQ(watcher->ticks[1], 2);
    app.Quit();
    app.MainLoopStep();
    app.Shutdown();
}

TEST_F(AppSoundTest, EffectHelpersPlayByIdAndNameAndStopLoops) {
    const std::string beep = folder.path + "/beep";
    audiotest::WriteFile(beep + ".wav",
                         audiotest::Wave16(1, 44100, std::vector<int16_t>(4410, 9000)));
    SoundManager* sounds = app.GetSoundManager();
    ASSERT_TRUE(sounds->LoadSound(5, beep));
    AssetManager::Get().SetSound("Beep", 5);

    app.SetSfxVolume(1.0);
    app.PlaySoundEffectByName("Beep");
    EXPECT_NE(sounds->FindPlayingInstance(5), nullptr);
    sounds->StopAllSounds();
    app.PlaySoundEffectByName("NoSuchSound");  // ignored
    EXPECT_EQ(sounds->FindPlayingInstance(5), nullptr);

    // Held back within its repeat gap, then played again once the gap has passed.
    app.PlaySoundEffect(5, 3, 1.0);
    sounds->StopAllSounds();
    app.PlaySoundEffect(5, 3, 1.0);
    EXPECT_EQ(sounds->FindPlayingInstance(5), nullptr);
    for (int i = 0; i < 4; ++i) {
        app.GetSoundPlayer()->Update();
    }
    app.PlaySoundEffect(5, 3, 1.0);
    EXPECT_NE(sounds->FindPlayingInstance(5), nullptr);

    ASSERT_NE(app.GetSoundPlayer()->PlayLooping(5, 0.0f), nullptr);
    ASSERT_NE(app.GetSoundPlayer()->PlayLooping(5, 0.0f), nullptr);
    EXPECT_EQ(app.GetSoundPlayer()->FindLoop(5)->count, 2);
    app.StopAllSounds();
    EXPECT_EQ(app.GetSoundPlayer()->FindLoop(5), nullptr);
}

TEST_F(AppSoundTest, MuteSilencesEffectsAndChannelsAndUnmuteRestoresThem) {
    RecordingAudio audio;
    app.SetAudioControl(&audio);
    app.SetSfxVolume(0.5);
    app.SetChannelVolume("music", 0.8);
    EXPECT_DOUBLE_EQ(audio.sfx, 0.5);
    EXPECT_DOUBLE_EQ(audio.channels["music"], 0.8);

    app.SetMuted(true);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(audio.sfx, 0.0);
    EXPECT_DOUBLE_EQ(audio.channels["music"], 0.0);
    // The stored settings stay; a change while muted is kept but not heard.
    EXPECT_DOUBLE_EQ(app.GetSfxVolume(), 0.5);
    app.SetChannelVolume("music", 0.6);
    EXPECT_DOUBLE_EQ(audio.channels["music"], 0.0);
    EXPECT_DOUBLE_EQ(app.GetChannelVolume("music"), 0.6);

    app.SetMuted(false);
    EXPECT_DOUBLE_EQ(audio.sfx, 0.5);
    EXPECT_DOUBLE_EQ(audio.channels["music"], 0.6);

    // The real music layer follows too.
    app.SetAudioControl(app.GetAudio());
    app.SetMuted(true);
    EXPECT_DOUBLE_EQ(app.GetMusic()->GetChannelVolume("music"), 0.0);
    app.SetMuted(false);
    EXPECT_DOUBLE_EQ(app.GetMusic()->GetChannelVolume("music"), 0.6);
}

TEST_F(AppSoundTest, MusicNamedWithoutAnExtensionIsTriedAsOggThenMp3) {
    std::filesystem::copy_file(audiotest::FixturePath("tone.ogg"), folder.path + "/theme.ogg");
    audiotest::WriteFile(folder.path + "/quiet.mp3", audiotest::SilentMp3(12));
    AppAudio* audio = app.GetAudio();

    const int theme = audio->LoadTrack(folder.path + "/theme");
    ASSERT_GE(theme, 0);
    EXPECT_EQ(audio->GetMusic()->GetTrackChannel(theme), "music");
    const int quiet = audio->LoadTrack(folder.path + "/quiet");
    ASSERT_GE(quiet, 0);
    EXPECT_NE(quiet, theme);
    EXPECT_EQ(audio->LoadTrack(folder.path + "/missing"), -1);
    // A name with its extension loads as it stands.
    EXPECT_GE(audio->LoadTrack(folder.path + "/theme.ogg"), 0);
}

TEST_F(AppSoundTest, MenuListRegistersCollectsAndKillsTheCollected) {
    int deleted = 0;
    auto* first = new ListedMenu(&app, &deleted);
    auto* second = new ListedMenu(&app, &deleted);
    app.RegisterMenu(first);  // once only
    EXPECT_EQ(app.GetMenus(), (std::vector<Widget*>{first, second}));
    app.AddDialog(first);
    app.AddDialog(second);
    EXPECT_EQ(app.GetDialogCount(), 2u);
    app.SetActiveMenu(second);
    EXPECT_EQ(app.GetActiveMenu(), second);

    app.CollectOpenMenus();
    // A menu opened after the collection is not closed with them.
    auto* later = new ListedMenu(&app, &deleted);
    app.AddDialog(later);
    app.KillCollectedMenus();
    EXPECT_FALSE(app.HasDialog(first));
    EXPECT_FALSE(app.HasDialog(second));
    EXPECT_TRUE(app.HasDialog(later));
    EXPECT_FALSE(app.GetWidgetManager()->HasChild(first));
    // Deleted outside the walks, at the next update.
    app.BeginRun();
    Step();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(app.GetMenus(), (std::vector<Widget*>{later}));
    EXPECT_EQ(app.GetActiveMenu(), nullptr);
    app.KillCollectedMenus();  // nothing left collected
    EXPECT_TRUE(app.HasDialog(later));
    app.KillDialogByPointer(later);
    Step();
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(app.GetMenus().empty());
    app.Quit();
    app.MainLoopStep();
    app.Shutdown();
}
