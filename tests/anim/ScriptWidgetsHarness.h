#pragma once
// The script harness with a widget host: deletions queued by removed widgets are carried out on
// each tick (as the application does), the audio services are the real sound player, sound
// manager and music over the mixer with a silent output, and a fixed-width font "label" (8 pixels
// a character, 16 high, ascent 12) is in the font table. Widgets that scripts create are freed
// with the tree at tear-down.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ScriptHarness.h"
#include "audio/MixSoundManager.h"
#include "audio/MixTrackInterface.h"
#include "audio/Mixer.h"
#include "audio/NullAudioOutput.h"
#include "audio/SoundPlayer.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "support/AudioTestUtil.h"
#include "support/HarnessFont.h"
#include "widgets/WidgetHost.h"

class TestWidgetHost : public WidgetHost {
public:
    TestWidgetHost()
        : mixer(std::make_shared<Mixer>(44100)),
          sounds(std::make_unique<MixSoundManager>(mixer, std::make_unique<NullAudioOutput>())),
          player(sounds.get(), [] { return 1.0; }),
          music(std::make_unique<MixTrackInterface>(mixer)) {}

    void SetCursor(int number) override { cursor = number; }
    int GetCursor() const override { return cursor; }
    void QueueWidgetDeletion(Widget* widget) override {
        if (std::find(queue.begin(), queue.end(), widget) == queue.end()) {
            queue.push_back(widget);
        }
    }
    void PlaySample(int soundId) override { samples.push_back(soundId); }
    void PlaySoundEffect(int soundId, int minTicks, double volume) override {
        effects.push_back(soundId);
        player.PlaySound(soundId, minTicks, volume);
    }
    std::string GetClipboard() override { return std::string(); }
    void CopyToClipboard(const std::string& text) override { (void)text; }
    int GetDesignWidth() const override { return 1024; }
    int GetDesignHeight() const override { return 768; }
    bool UpdatesSuspended() const override { return false; }
    bool ShowErrorOrLog(const std::string& caption, const std::string& text) override {
        (void)caption, (void)text;
        return false;
    }
    CommandAnswer HandleScriptCommand(const AnimationCommand& command,
                                      AnimationWidget* widget) override {
        (void)command, (void)widget;
        return CommandAnswer::kNotHandled;
    }
    SoundPlayer* GetSoundPlayer() override { return &player; }
    SoundManager* GetSoundManager() override { return sounds.get(); }
    TrackInterface* GetMusic() override { return music.get(); }
    std::string GetPlayerName() const override { return playerName; }

    // Deletes the queued widgets (a widget queued while this runs is deleted too), unless one was
    // put back into a tree meanwhile.
    void DrainDeletions() {
        while (!queue.empty()) {
            std::vector<Widget*> batch;
            batch.swap(queue);
            for (Widget* widget : batch) {
                if (widget->GetParent() == nullptr) {
                    delete widget;
                }
            }
        }
    }

    int cursor = 0;
    std::vector<Widget*> queue;
    std::vector<int> samples;
    std::vector<int> effects;
    std::string playerName = "Ada";
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<MixSoundManager> sounds;
    SoundPlayer player;
    std::unique_ptr<MixTrackInterface> music;
};

class ScriptWidgetsTest : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        SetWidgetHost(&mHost);
        Fonts::Set("label", std::make_unique<HarnessFont>());
    }
    void TearDown() override {
        // Every widget in the tree was made with new (by the test or by scripts): the tree is
        // taken down through the deletion queue, as the application does at exit.
        mManager->RemoveAllWidgets(true, true);
        mHost.DrainDeletions();
        SetWidgetHost(nullptr);
        Fonts::Clear();
        LocalizedTexts::Clear();
        AssetManager::Get().Clear();
        ScriptTest::TearDown();
    }
    // A scripted widget made with new and added to the manager; the tree frees it.
    RecordingWidget* Host(const std::string& animation = "", float x = 0.0f, float y = 0.0f) {
        auto* host = new RecordingWidget(animation);
        host->Move(x, y);
        mManager->AddWidget(host);
        return host;
    }
    // Fixed and float updates, each followed by the queued deletions.
    void Run(int count = 1) {
        for (int i = 0; i < count; ++i) {
            mManager->UpdateFrame();
            mManager->UpdateFrameF(1.0f);
            mHost.DrainDeletions();
        }
    }
    // The variable of the widget as an integer (0 when absent).
    static int VarInt(AnimationWidget* w, const std::string& name) {
        const ExprValue* value = w->GetVariables().Find(name);
        return value != nullptr ? value->AsInt() : 0;
    }
    static Widget* VarObject(AnimationWidget* w, const std::string& name) {
        const ExprValue* value = w->GetVariables().Find(name);
        return value != nullptr ? value->AsObject() : nullptr;
    }
    // A solid image entered in the asset table under name.
    Image* AddImage(const std::string& name, int width, int height, uint32_t argb = 0xFFFFFFFF,
                    int cols = 1) {
        auto image = std::make_shared<ImageSurface>();
        image->SetName(name);
        image->SetPixels(width, height, std::vector<uint32_t>(size_t(width * height), argb));
        image->SetCells(cols, 1);
        AssetManager::Get().SetImage(name, image);
        return image.get();
    }

    TestWidgetHost mHost;
};
