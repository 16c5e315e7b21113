#pragma once
// How long the frames took to draw, for the statistics line the application logs at exit: the
// count, the mean, the longest and a percentile, kept in constant memory however long the run.
// Main thread.

#include <array>
#include <cstdint>

class FrameTimeStats {
public:
    // Notes one frame that took us microseconds.
    void Add(uint64_t us);

    uint64_t GetCount() const { return mCount; }
    // Mean of the frames noted, in microseconds; 0 with none.
    double MeanUs() const;
    uint64_t MaxUs() const { return mMaxUs; }
    // The time that fraction (0..1) of the frames took at most, in microseconds, to the
    // resolution of kBucketUs (rounded up, never above the longest frame); 0 with none.
    uint64_t PercentileUs(double fraction) const;

    // Frames are sorted into buckets this wide; the last bucket takes everything longer.
    static constexpr uint64_t kBucketUs = 100;
    static constexpr int kBuckets = 2000;

private:
    uint64_t mCount = 0;
    uint64_t mSumUs = 0;
    uint64_t mMaxUs = 0;
    std::array<uint32_t, kBuckets> mBuckets{};
};
