// The sound layer's three threads at once: an output pulling the mixer on its own thread as the
// device callback does, a loader filling the sound and track tables, and the main thread playing,
// stopping and fading what is there. Run under ThreadSanitizer this shows any unguarded state
// they share; under the normal build it checks that nothing is lost or left playing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioOutput.h"
#include "audio/MixSoundManager.h"
#include "audio/MixTrackInterface.h"
#include "audio/SoundInstance.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;

namespace {

// Pulls the attached mixer in device-sized blocks on a thread of its own until detached.
class PullingOutput : public AudioOutput {
public:
    explicit PullingOutput(std::atomic<int>* pulls) : mPulls(pulls) {}
    ~PullingOutput() override { Attach(nullptr); }

    bool IsLive() const override { return true; }
    int GetRate() const override { return 44100; }
    void Attach(Mixer* mixer) override {
        if (mThread.joinable()) {
            mStop.store(true);
            mThread.join();
            mStop.store(false);
        }
        if (mixer == nullptr) {
            return;
        }
        mThread = std::thread([this, mixer] {
            std::vector<int16_t> block(512 * 2);
            while (!mStop.load()) {
                mixer->Mix(block.data(), 512);
                mPulls->fetch_add(1);
                // A device asks again once it has played part of the block.
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }

private:
    std::atomic<int>* mPulls;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

constexpr int kSoundFiles = 6;
constexpr int kTrackIds = 4;
constexpr int kLoaderRounds = 40;

class AudioThreadsTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        std::vector<int16_t> tone(2000);
        for (size_t i = 0; i < tone.size(); ++i) {
            tone[i] = static_cast<int16_t>((i % 50) * 400 - 10000);
        }
        for (int i = 0; i < kSoundFiles; ++i) {
            WriteFile("sfx" + std::to_string(i) + ".wav", Wave16(1, 22050, tone));
        }
        WriteFile("loop.wav", Wave16(2, 44100, tone));
        std::filesystem::copy_file(FixturePath("tone.ogg"), "tone.ogg");
    }
};

TEST_F(AudioThreadsTest, LoaderMainAndDeviceThreadsShareTheMixer) {
    std::atomic<int> pulls{0};
    auto mixer = std::make_shared<Mixer>(44100);
    auto sounds = std::make_unique<MixSoundManager>(mixer, std::make_unique<PullingOutput>(&pulls));
    auto tracks = std::make_unique<MixTrackInterface>(mixer);
    tracks->SetChannelVolume("music", 1.0);

    // The loader loads every sound and reloads every track id again and again, so tracks are
    // replaced while the main thread plays them and the device decodes them.
    std::atomic<bool> loaderDone{false};
    std::atomic<int> trackFailures{0};
    std::thread loader([&] {
        for (int round = 0; round < kLoaderRounds; ++round) {
            const int sound = round % kSoundFiles;
            sounds->LoadSoundByName("sfx" + std::to_string(sound));
            for (int id = 1; id <= kTrackIds; ++id) {
                const char* path = (id + round) % 2 == 0 ? "tone.ogg" : "loop.wav";
                if (!tracks->LoadTrack(id, path, "music")) {
                    trackFailures.fetch_add(1);
                }
            }
            (void)sounds->GetNumSounds();
        }
        loaderDone.store(true);
    });

    // The main thread's side: what a game's updates do with the sound layer.
    int step = 0;
    while (!loaderDone.load() || step < 200) {
        const int id = step % (kTrackIds + 1);
        tracks->PlayTrack(id, 0, step % 3 == 0);
        if (step % 5 == 0) {
            tracks->FadeOutTrack(id, true, 0.05);
        }
        if (step % 7 == 0) {
            tracks->PauseAllTracks();
            tracks->ResumeAllTracks();
        }
        tracks->Update();
        (void)tracks->IsTrackPlaying(id);
        const int soundId = sounds->LoadSoundByName("sfx" + std::to_string(step % kSoundFiles));
        if (soundId >= 0) {
            if (SoundInstance* instance = sounds->GetSoundInstance(soundId)) {
                instance->AdjustPitch(step % 12 - 6);
                instance->Play(step % 4 == 0, true);
                instance->SetVolume(0.5);
            }
        }
        sounds->SetVolume(step % 2 == 0 ? 0.8 : 0.6);
        sounds->SetMasterVolume(step % 3 == 0 ? 1.0 : 0.9);
        if (step % 11 == 0) {
            sounds->StopAllSounds();
        }
        ++step;
        std::this_thread::yield();
    }
    loader.join();

    EXPECT_EQ(trackFailures.load(), 0);
    std::vector<int> soundIds;
    for (int i = 0; i < kSoundFiles; ++i) {
        const int soundId = sounds->LoadSoundByName("sfx" + std::to_string(i));
        ASSERT_GE(soundId, 0) << "sfx" << i;
        EXPECT_GT(sounds->GetSoundDataSize(soundId), 0u) << "sfx" << i;
        soundIds.push_back(soundId);
    }
    EXPECT_EQ(sounds->GetNumSounds(), kSoundFiles);

    // The device keeps pulling: a looping track started now plays, and stopping ends it.
    tracks->PlayTrack(1, 0, true);
    EXPECT_TRUE(tracks->IsTrackPlaying(1));
    const int before = pulls.load();
    while (pulls.load() < before + 4) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(tracks->IsTrackPlaying(1));
    tracks->StopAllTracks();
    sounds->StopAllSounds();
    EXPECT_FALSE(tracks->IsTrackPlaying(1));
    for (int soundId : soundIds) {
        EXPECT_EQ(sounds->FindPlayingInstance(soundId), nullptr) << soundId;
    }

    // The application's order at exit: the music, then the manager that stops the device.
    tracks.reset();
    sounds.reset();
}

}  // namespace
