#pragma once
// One profile slot: a player's name and progress. An empty name marks a free slot.

#include <cstddef>
#include <string>

#include "game/data/PlayerState.h"

inline constexpr int kProfileSlots = 8;
// The most characters a player's name holds: what can be typed, and what a name read is cut to.
inline constexpr size_t kMaxProfileNameLength = 10;

struct ProfileRecord {
    std::string mName;
    PlayerState mState;
};
