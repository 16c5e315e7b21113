#include "audio/SoundPlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/RecordingSounds.h"

namespace {

class SoundPlayerTest : public ::testing::Test {
protected:
    // Instances start at volume 0.8, so the asked volume shows as a product.
    SoundPlayerTest() { manager.instanceVolume = 0.8; }
    RecordingSoundManager manager;
    double effectVolume = 0.5;
    SoundPlayer player{&manager, [this] { return effectVolume; }};
    void Updates(int n) {
        for (int i = 0; i < n; ++i) {
            player.Update();
        }
    }
};

}  // namespace

TEST_F(SoundPlayerTest, OneShotsAreThrottledPerId) {
    player.PlaySound(3, 10, 0.5);
    ASSERT_EQ(manager.made.size(), 1u);
    EXPECT_DOUBLE_EQ(manager.made[0]->volume, 0.4);  // its own volume times the asked one
    EXPECT_TRUE(manager.made[0]->autoRelease);
    EXPECT_FALSE(manager.made[0]->looping);
    Updates(5);
    player.PlaySound(3, 10, 1.0);
    EXPECT_EQ(manager.made.size(), 1u);
    player.PlaySound(4, 10, 1.0);  // another id is not held back
    EXPECT_EQ(manager.made.size(), 2u);
    Updates(11);
    player.PlaySound(3, 10, 1.0);
    EXPECT_EQ(manager.made.size(), 3u);
    player.PlaySound(3, -1, 1.0);
    player.PlaySound(3, -1, 1.0);
    EXPECT_EQ(manager.made.size(), 5u);

    // An ask without a free channel still counts for the throttle.
    manager.full = true;
    Updates(20);
    player.PlaySound(9, 10, 1.0);
    manager.full = false;
    Updates(3);
    player.PlaySound(9, 10, 1.0);
    EXPECT_EQ(manager.made.size(), 5u);
}

TEST_F(SoundPlayerTest, LoopsAreCounted) {
    LoopingSoundEntry* entry = player.PlayLooping(7, 0.0f);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(player.PlayLooping(7, 0.0f), entry);
    ASSERT_EQ(manager.made.size(), 1u);
    RecordingInstance* inst = manager.made[0].get();
    EXPECT_TRUE(inst->looping);
    EXPECT_FALSE(inst->autoRelease);
    EXPECT_DOUBLE_EQ(inst->volume, 0.8);  // rate 0 keeps the instance's own volume
    player.StopLooping(7, 0.0f);
    EXPECT_TRUE(inst->playing);
    player.StopLooping(7, 0.0f);
    EXPECT_TRUE(inst->released);
    EXPECT_EQ(player.FindLoop(7), nullptr);
    player.StopLooping(7, 0.0f);  // no entry: nothing happens

    manager.full = true;
    EXPECT_EQ(player.PlayLooping(8, 0.0f), nullptr);
}

TEST_F(SoundPlayerTest, FadesInAndOut) {
    player.PlayLooping(7, 0.25f);
    RecordingInstance* inst = manager.made[0].get();
    EXPECT_EQ(inst->volume, 0.0);
    EXPECT_EQ(inst->volumeAtPlay, 0.0);  // silent from its first sample, not after it
    Updates(3);
    EXPECT_FLOAT_EQ(player.FindLoop(7)->level, 0.75f);
    Updates(1);
    EXPECT_FLOAT_EQ(player.FindLoop(7)->level, 1.0f);
    EXPECT_EQ(player.FindLoop(7)->rate, 0.0f);
    EXPECT_DOUBLE_EQ(inst->volume, effectVolume);

    player.StopLooping(7, 0.25f);
    Updates(3);
    EXPECT_FALSE(inst->released);
    Updates(1);  // the level reaches exactly 0 on the 4th update
    EXPECT_TRUE(inst->released);
    EXPECT_EQ(player.FindLoop(7), nullptr);
}

TEST_F(SoundPlayerTest, AskingAgainDuringFadeOutKeepsTheLoop) {
    player.PlayLooping(7, 0.0f);
    player.StopLooping(7, 0.25f);
    Updates(2);
    LoopingSoundEntry* entry = player.PlayLooping(7, 0.25f);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->count, 1);
    Updates(10);
    ASSERT_NE(player.FindLoop(7), nullptr);
    EXPECT_FLOAT_EQ(player.FindLoop(7)->level, 1.0f);
    EXPECT_FALSE(manager.made[0]->released);
    EXPECT_EQ(manager.made.size(), 1u);

    // Without a fade-in rate it comes back at full level at once.
    player.StopLooping(7, 0.5f);
    Updates(1);
    player.PlayLooping(7, 0.0f);
    Updates(3);
    EXPECT_FLOAT_EQ(player.FindLoop(7)->level, 1.0f);
    EXPECT_DOUBLE_EQ(manager.made[0]->volume, effectVolume);
}

TEST_F(SoundPlayerTest, MuteAndReleaseAll) {
    player.PlayLooping(1, 0.0f);
    player.PlayLooping(2, 0.0f);
    player.SetLoopsMuted(true, {1, 5});
    EXPECT_EQ(manager.made[0]->volume, 0.0);
    EXPECT_DOUBLE_EQ(manager.made[1]->volume, 0.8);
    player.SetLoopsMuted(false, {1});
    EXPECT_DOUBLE_EQ(manager.made[0]->volume, effectVolume);
    player.ReleaseAll();
    EXPECT_TRUE(manager.made[0]->released);
    EXPECT_TRUE(manager.made[1]->released);
    EXPECT_EQ(player.FindLoop(1), nullptr);
}
