// A child process saves the profiles in a loop and is killed at random moments: a complete,
// readable "profiles.xml" (and backup) must remain every time.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "DataTestUtil.h"
#include "game/data/ProfileManager.h"

namespace {

class ProfilesCrashTest : public datatest::DataTest {};

TEST_F(ProfilesCrashTest, AKilledSaverAlwaysLeavesACompleteFile) {
    datatest::LoadSmallCatalog();
    LoadProfiles();
    AddProfile("crash&burn");
    ASSERT_TRUE(SaveProfiles());
    const std::string path = GetProfilesPath();

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(2000, 20000);
    constexpr int kRounds = 40;
    int progressed = 0;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(20);  // never outlive a parent that failed to kill us
            PlayerState& state = GetProfileRecord(0)->mState;
            for (int i = 1;; ++i) {
                state.mNumHints = round * 100000 + i;
                state.mProgress[0][1].mPuzzles.resize(static_cast<size_t>(i % 50));
                SaveProfiles();
            }
        }
        usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        for (const std::string& file : {path, GetProfilesBackupPath()}) {
            if (file != path && !std::filesystem::exists(file)) {
                continue;
            }
            ProfileManager reader;
            ASSERT_TRUE(reader.ReadFile(file)) << "round " << round << ": " << reader.GetError();
            ASSERT_EQ(reader.GetProfiles()[0].mName, "crash&burn");
            if (file == path && reader.GetProfiles()[0].mState.mNumHints >= round * 100000) {
                ++progressed;
            }
        }
    }
    // The child saved in many rounds, so kills landed while it was saving.
    EXPECT_GT(progressed, kRounds / 4);
    // The next start reads the file and clears what the killed saves left behind.
    ClearProfiles();
    ASSERT_TRUE(LoadProfiles());
    for (const auto& entry : std::filesystem::directory_iterator(mFolder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "profiles.xml" || name == "profiles.xml.bak") << name;
    }
}

}  // namespace
