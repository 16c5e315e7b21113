// The quit and statistics signals land on whichever thread the kernel picks, a loader's as often
// as the main loop's: the flags their handlers set must reach the main loop without a data race
// (the thread sanitizer's build runs this test).

#include <gtest/gtest.h>
#include <pthread.h>

#include <csignal>
#include <thread>

#include "platform/QuitSignal.h"

namespace {

// Puts the process's handlers back as they were.
class SavedHandlers {
public:
    SavedHandlers() {
        for (int i = 0; i < kCount; ++i) {
            sigaction(kSignals[i], nullptr, &mSaved[i]);
        }
    }
    ~SavedHandlers() {
        for (int i = 0; i < kCount; ++i) {
            sigaction(kSignals[i], &mSaved[i], nullptr);
        }
    }
    SavedHandlers(const SavedHandlers&) = delete;
    SavedHandlers& operator=(const SavedHandlers&) = delete;

private:
    static constexpr int kCount = 5;
    static constexpr int kSignals[kCount] = {SIGINT, SIGTERM, SIGUSR1, SIGPIPE, SIGXFSZ};
    struct sigaction mSaved[kCount] {};
};

TEST(QuitSignal, SignalsTakenOnAnotherThreadReachTheMainLoop) {
    const SavedHandlers saved;
    InstallQuitSignalHandlers();
    ClearQuitSignal();
    ASSERT_FALSE(TakeStatisticsSignal());
    for (const int signal : {SIGUSR1, SIGTERM, SIGINT}) {
        // The main loop polls while the other thread takes the signal.
        std::thread loader([signal] { pthread_kill(pthread_self(), signal); });
        bool seen = false;
        while (!seen) {
            seen = signal == SIGUSR1 ? TakeStatisticsSignal() : QuitSignalReceived();
        }
        loader.join();
        EXPECT_FALSE(TakeStatisticsSignal()) << signal;
        EXPECT_EQ(QuitSignalReceived(), signal != SIGUSR1) << signal;
        ClearQuitSignal();
        EXPECT_FALSE(QuitSignalReceived());
    }
}

}  // namespace
