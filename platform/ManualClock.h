#pragma once
// A clock that moves only when told: sleeping advances it by the time slept, so a main loop run
// on it takes no real time. For tests and headless runs.

#include <atomic>

#include "platform/Clock.h"

class ManualClock : public Clock {
public:
    explicit ManualClock(uint64_t startMs = 1000) : mNow(startMs) {}

    uint64_t NowMs() override { return mNow.load(); }
    // Sleeping moves the time on, as a real sleep would; a yield (0) moves it by nothing.
    void SleepMs(int ms) override {
        if (ms > 0) {
            mNow += static_cast<uint64_t>(ms);
        }
        mSleptMs += ms > 0 ? ms : 0;
    }

    // Moves the time on by ms without sleeping (time spent in work).
    void Advance(uint64_t ms) { mNow += ms; }
    // Total milliseconds asked for through SleepMs.
    uint64_t GetSleptMs() const { return mSleptMs.load(); }

private:
    std::atomic<uint64_t> mNow;
    std::atomic<uint64_t> mSleptMs{0};
};
