#pragma once
// A named script: the ordered commands of one "animation" element. Copied by value; the table
// hands scripts out as shared, immutable records, so a widget playing a script keeps it alive even
// when a later definition replaces it in the table.

#include <string>
#include <vector>

#include "widgets/script/AnimationCommand.h"

class Animation {
public:
    Animation() = default;
    explicit Animation(std::string name) : mName(std::move(name)) {}

    bool IsEmpty() const { return mCommands.empty(); }

    std::string mName;
    std::vector<AnimationCommand> mCommands;
};
