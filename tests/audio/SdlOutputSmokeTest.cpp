#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "audio/MixTrackInterface.h"
#include "audio/Mixer.h"
#include "audio/SdlAudioOutput.h"
#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;

class SdlOutputSmokeTest : public ScratchFolderTest {};

// Through SDL's dummy driver: the device opens, its thread pulls the mixer and a one-shot ends.
TEST_F(SdlOutputSmokeTest, DummyDevicePlaysASoundToItsEnd) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::unique_ptr<SoundManager> manager = CreateSoundManager(true);
    ASSERT_TRUE(manager->Initialized());
    std::unique_ptr<TrackInterface> tracks = CreateMusicInterface(*manager);
    EXPECT_NE(dynamic_cast<MixTrackInterface*>(tracks.get()), nullptr);

    WriteFile("blip.wav", Wave16(1, 22050, std::vector<int16_t>(2205, 3000)));
    ASSERT_TRUE(manager->LoadSound(0, "blip"));
    SoundInstance* inst = manager->GetSoundInstance(0);
    ASSERT_NE(inst, nullptr);
    ASSERT_TRUE(inst->Play(false, false));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (inst->IsPlaying() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(inst->IsPlaying());
    tracks.reset();
    manager.reset();
}

// While nothing plays the device is paused (nothing is mixed); the next sound resumes it and
// plays to its end, and the device pauses again after it.
TEST_F(SdlOutputSmokeTest, SilencePausesTheDeviceAndTheNextSoundResumesIt) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string error;
    std::unique_ptr<SdlAudioOutput> output = SdlAudioOutput::Open(&error);
    ASSERT_NE(output, nullptr) << error;
    Mixer mixer(output->GetRate());
    output->Attach(&mixer);
    const auto waitFor = [](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    };
    EXPECT_TRUE(waitFor([&] { return output->IsPausedForSilence(); }));

    SoundSamples blip;
    blip.samples.assign(2205, 3000);
    mixer.StartVoice(0, &blip, 22050.0, false, 1.0f, 1.0f);
    EXPECT_FALSE(output->IsPausedForSilence());
    EXPECT_TRUE(waitFor([&] { return !mixer.IsVoicePlaying(0); }));
    EXPECT_TRUE(waitFor([&] { return output->IsPausedForSilence(); }));
    output->Attach(nullptr);
}
