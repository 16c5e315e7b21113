#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "AudioTestUtil.h"
#include "audio/MixTrackInterface.h"
#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"

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
