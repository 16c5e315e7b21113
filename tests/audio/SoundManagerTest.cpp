#include <gtest/gtest.h>

#include <cmath>

#include "audio/MixSoundInstance.h"
#include "audio/MixSoundManager.h"
#include "audio/NullAudioOutput.h"
#include "audio/SoundInstance.h"
#include "audio/VolumeLaw.h"
#include "support/AudioTestUtil.h"

using namespace audiotest;

TEST(VolumeLaw, ExampleValuesAndPan) {
    EXPECT_EQ(VolumeToAttenuation(1.0), 0);
    EXPECT_EQ(VolumeToAttenuation(0.5), -605);
    EXPECT_EQ(VolumeToAttenuation(0.05), -1956);
    EXPECT_EQ(VolumeToAttenuation(0.04), -10000);
    EXPECT_EQ(VolumeToAttenuation(0.0), -10000);
    EXPECT_EQ(VolumeToAttenuation(std::nan("")), -10000);  // a bad script value is silence
    EXPECT_FLOAT_EQ(AttenuationToGain(0), 1.0f);
    EXPECT_FLOAT_EQ(AttenuationToGain(-2000), 0.1f);
    EXPECT_EQ(AttenuationToGain(-10000), 0.0f);
    float left = 0;
    float right = 0;
    PanToGains(-10000, &left, &right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_EQ(right, 0.0f);
    PanToGains(2000, &left, &right);
    EXPECT_FLOAT_EQ(left, 0.1f);
    EXPECT_EQ(right, 1.0f);
    PanToGains(-30000, &left, &right);  // clamped
    EXPECT_EQ(right, 0.0f);
}

namespace {

constexpr int16_t kLevel = 10000;

class SoundManagerTest : public ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        mMixer = std::make_shared<Mixer>(44100);
        mManager = std::make_unique<MixSoundManager>(mMixer, std::make_unique<NullAudioOutput>());
        mManager->SetClockForTesting([this] { return mNow; });
        WriteFile("dc.wav", Wave16(1, 22050, std::vector<int16_t>(100, kLevel)));
        ASSERT_TRUE(mManager->LoadSound(1, "dc"));
    }
    std::vector<int16_t> Pull(int frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mMixer->Mix(out.data(), frames);
        return out;
    }
    static int AudibleFrames(const std::vector<int16_t>& out) {
        int count = 0;
        for (size_t i = 0; i < out.size(); i += 2) {
            count += (out[i] != 0 || out[i + 1] != 0) ? 1 : 0;
        }
        return count;
    }

    uint64_t mNow = 5000;
    std::shared_ptr<Mixer> mMixer;
    std::unique_ptr<MixSoundManager> mManager;
};

}  // namespace

TEST_F(SoundManagerTest, VolumePanAndMasterInTheMix) {
    SoundInstance* inst = mManager->GetSoundInstance(1);
    ASSERT_NE(inst, nullptr);
    inst->SetPan(-10000);
    ASSERT_TRUE(inst->Play(true, false));
    std::vector<int16_t> out = Pull(64);
    EXPECT_EQ(out[20], kLevel);
    EXPECT_EQ(out[21], 0);

    inst->SetPan(0);
    inst->SetVolume(0.5);  // -6.05 dB
    out = Pull(64);
    EXPECT_NEAR(out[20], kLevel * std::pow(10.0, -605 / 2000.0), 1.0);
    EXPECT_EQ(out[20], out[21]);

    mManager->SetVolume(0.04);  // below -20 dB: silence
    EXPECT_EQ(AudibleFrames(Pull(64)), 0);
    mManager->SetVolume(1.0);
    inst->SetVolume(1.0);
    mManager->SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(mManager->GetMasterVolume(), 0.5);
    out = Pull(64);
    EXPECT_EQ(out[20], kLevel / 2);

    // The id's base values reach new instances.
    ASSERT_TRUE(mManager->SetBasePan(1, 10000));
    mManager->SetMasterVolume(1.0);
    inst->Release();
    SoundInstance* panned = mManager->GetSoundInstance(1);
    ASSERT_NE(panned, nullptr);
    panned->Play(true, false);
    out = Pull(64);
    EXPECT_EQ(out[20], 0);
    EXPECT_EQ(out[21], kLevel);
}

TEST_F(SoundManagerTest, PitchChangesPlaybackLength) {
    // 100 frames at 22050 Hz last 200 output frames at 44100 Hz; an octave up halves that.
    SoundInstance* inst = mManager->GetSoundInstance(1);
    ASSERT_NE(inst, nullptr);
    inst->Play(false, false);
    EXPECT_EQ(AudibleFrames(Pull(400)), 200);
    EXPECT_FALSE(inst->IsPlaying());

    inst->AdjustPitch(12);
    EXPECT_DOUBLE_EQ(static_cast<MixSoundInstance*>(inst)->GetFrequency(), 44100.0);
    inst->Play(false, false);
    EXPECT_EQ(AudibleFrames(Pull(400)), 100);
    inst->AdjustPitch(-1000);
    EXPECT_DOUBLE_EQ(static_cast<MixSoundInstance*>(inst)->GetFrequency(), 100.0);
    inst->AdjustPitch(1000);
    EXPECT_DOUBLE_EQ(static_cast<MixSoundInstance*>(inst)->GetFrequency(), 100000.0);
    inst->AdjustPitch(std::nan(""));  // a bad script value plays at the sound's own rate
    EXPECT_DOUBLE_EQ(static_cast<MixSoundInstance*>(inst)->GetFrequency(), 22050.0);
    inst->Play(false, false);
    EXPECT_EQ(AudibleFrames(Pull(400)), 200);
}

TEST_F(SoundManagerTest, InterpolatesBetweenFrames) {
    WriteFile("ramp.wav", Wave16(1, 22050, {0, 1000, 2000, 3000}));
    ASSERT_TRUE(mManager->LoadSound(2, "ramp"));
    SoundInstance* inst = mManager->GetSoundInstance(2);
    ASSERT_NE(inst, nullptr);
    inst->Play(false, false);
    std::vector<int16_t> out = Pull(8);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 500);  // halfway between the first two frames
    EXPECT_EQ(out[4], 1000);
    EXPECT_EQ(out[6], 1500);
}

TEST_F(SoundManagerTest, ThirtyThirdInstanceAndChannelSweep) {
    std::vector<SoundInstance*> all;
    for (int i = 0; i < SoundManager::kMaxChannels; ++i) {
        SoundInstance* inst = mManager->GetSoundInstance(1);
        ASSERT_NE(inst, nullptr) << i;
        inst->Play(true, false);
        all.push_back(inst);
    }
    EXPECT_EQ(mManager->GetSoundInstance(1), nullptr);
    EXPECT_EQ(mManager->FindPlayingInstance(1), all[0]);

    // A finished one-shot with auto-release frees its channel at the next search, within 1 s.
    all[5]->Play(false, true);
    Pull(400);
    EXPECT_NE(mManager->GetSoundInstance(1), nullptr);
    EXPECT_EQ(mManager->GetSoundInstance(1), nullptr);

    // A finished one-shot without auto-release keeps its channel.
    all[6]->Play(false, false);
    Pull(400);
    mNow += 5000;
    EXPECT_EQ(mManager->GetSoundInstance(1), nullptr);

    // StopAllSounds keeps auto-release, so a stopped auto-release instance frees its channel.
    all[7]->Play(true, true);
    mManager->StopAllSounds();
    EXPECT_EQ(mManager->FindPlayingInstance(1), nullptr);
    EXPECT_NE(mManager->GetSoundInstance(1), nullptr);

    all[8]->Release();
    EXPECT_NE(mManager->GetSoundInstance(1), nullptr);
    mManager->ReleaseChannels();
    EXPECT_NE(mManager->GetSoundInstance(1), nullptr);
}

TEST_F(SoundManagerTest, IdsAreCheckedAndReleasedSoundsStaySafe) {
    EXPECT_FALSE(mManager->LoadSound(-1, "dc"));
    EXPECT_FALSE(mManager->LoadSound(1024, "dc"));
    EXPECT_EQ(mManager->GetSoundInstance(-1), nullptr);
    EXPECT_EQ(mManager->GetSoundInstance(1024), nullptr);
    EXPECT_FALSE(mManager->SetBaseVolume(-1, 0.5));
    EXPECT_FALSE(mManager->SetBasePan(1024, 0));
    mManager->ReleaseSound(-5);                         // no effect, no crash
    EXPECT_EQ(mManager->GetSoundInstance(7), nullptr);  // empty id

    EXPECT_EQ(mManager->LoadSoundByName("dc"), 1);  // already loaded under id 1
    WriteFile("other.wav", Wave16(2, 44100, {1, 1, 2, 2}));
    EXPECT_EQ(mManager->LoadSoundByName("other"), 1023);
    EXPECT_EQ(mManager->GetSoundDataSize(1023), 8u);
    EXPECT_EQ(mManager->LoadSoundByName("missing"), -1);
    EXPECT_EQ(mManager->GetNumSounds(), 2);
    EXPECT_EQ(mManager->GetFreeSoundId(), 0);
    EXPECT_FALSE(mManager->LoadSound(3, "missing"));
    EXPECT_EQ(mManager->GetNumSounds(), 2);

    // Releasing an id while an instance plays it leaves the instance's data alive.
    SoundInstance* inst = mManager->GetSoundInstance(1);
    ASSERT_NE(inst, nullptr);
    inst->Play(true, false);
    mManager->ReleaseSounds();
    EXPECT_EQ(mManager->GetNumSounds(), 0);
    EXPECT_GT(AudibleFrames(Pull(64)), 0);
}

TEST(SilentSoundManager, LoadsSucceedAndInstancesPlayNothing) {
    auto manager = CreateSoundManager(false);
    EXPECT_FALSE(manager->Initialized());
    EXPECT_TRUE(manager->LoadSound(4, "no/such/sound"));
    SoundInstance* inst = manager->GetSoundInstance(4);
    ASSERT_NE(inst, nullptr);
    EXPECT_TRUE(inst->Play(false, true));
    EXPECT_FALSE(inst->IsPlaying());
    EXPECT_TRUE(inst->IsReleased());
    // Distinct names get distinct ids even though nothing is decoded.
    const int a = manager->LoadSoundByName("a_sound");
    const int b = manager->LoadSoundByName("b_sound");
    EXPECT_NE(a, b);
    EXPECT_EQ(manager->LoadSoundByName("a_sound"), a);
    manager->SetMasterVolume(0.25);
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 0.25);
}
