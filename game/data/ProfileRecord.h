#pragma once
// One profile slot: a player's name and progress. An empty name marks a free slot.

#include <string>

#include "game/data/PlayerState.h"

inline constexpr int kProfileSlots = 8;

struct ProfileRecord {
    std::string mName;
    PlayerState mState;
};
