#include "app/FrameTimeStats.h"

#include <algorithm>
#include <cmath>

void FrameTimeStats::Add(uint64_t us) {
    ++mCount;
    mSumUs += us;
    mMaxUs = std::max(mMaxUs, us);
    // Bucket i holds the frames over (i - 1) and up to i bucket widths.
    const uint64_t bucket = std::min<uint64_t>((us + kBucketUs - 1) / kBucketUs, kBuckets - 1);
    ++mBuckets[static_cast<size_t>(bucket)];
}

double FrameTimeStats::MeanUs() const {
    return mCount == 0 ? 0.0 : static_cast<double>(mSumUs) / static_cast<double>(mCount);
}

uint64_t FrameTimeStats::PercentileUs(double fraction) const {
    if (mCount == 0) {
        return 0;
    }
    // The rank of the frame that fraction of the frames do not exceed (nearest rank, from 1).
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    const uint64_t rank = std::max<uint64_t>(
        1, static_cast<uint64_t>(std::ceil(clamped * static_cast<double>(mCount))));
    uint64_t seen = 0;
    for (int i = 0; i < kBuckets; ++i) {
        seen += mBuckets[static_cast<size_t>(i)];
        if (seen >= rank) {
            // The last bucket has no upper edge of its own.
            return i == kBuckets - 1 ? mMaxUs
                                     : std::min(mMaxUs, static_cast<uint64_t>(i) * kBucketUs);
        }
    }
    return mMaxUs;
}
