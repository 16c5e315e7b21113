#pragma once
// The time source of the main loop. The application asks its clock for the time and to sleep,
// never the system directly, so a test can hand it a manual clock and run any number of updates
// deterministically.

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed start; never goes backwards. Any thread.
    virtual uint64_t NowMs() = 0;
    // Microseconds on the same time line, for timing work shorter than a millisecond; a clock
    // that moves in whole milliseconds gives those. Any thread.
    virtual uint64_t NowUs() { return NowMs() * 1000; }
    // Gives the processor away for about ms milliseconds (0 just yields). Main thread.
    virtual void SleepMs(int ms) = 0;
};

// The monotonic system clock.
class SystemClock : public Clock {
public:
    uint64_t NowMs() override;
    uint64_t NowUs() override;
    void SleepMs(int ms) override;
};
