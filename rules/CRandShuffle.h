#pragma once
// The shuffle that picks hint tiles and orders the picture reveal, over the seedable 15-bit
// generator so that a game can be replayed from its seed.

#include <cstddef>
#include <utility>
#include <vector>

#include "core/util/Random.h"

// For i from 1 upward, swaps element i with element r mod (i + 1), where r joins 15-bit CRand
// results until it covers i + 1 values.
template <typename T>
void CRandShuffle(std::vector<T>& items) {
    for (size_t i = 1; i < items.size(); ++i) {
        const unsigned long long range = i + 1;
        unsigned long long r = static_cast<unsigned long long>(CRand());
        unsigned long long covered = kCRandMax + 1ull;
        while (covered < range) {
            r = r * (kCRandMax + 1ull) + static_cast<unsigned long long>(CRand());
            covered *= kCRandMax + 1ull;
        }
        std::swap(items[i], items[static_cast<size_t>(r % range)]);
    }
}
