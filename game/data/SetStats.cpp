#include "game/data/SetStats.h"

#include <utility>

SetStats::SetStats(MusicIdLookup lookup) : mLookup(std::move(lookup)) {}

bool SetStats::Load() {
    mTable.clear();
    return Run(ParseFile(kFileName));
}

bool SetStats::LoadText(const std::string& text, const std::string& fileName) {
    mTable.clear();
    return Run(ParseText(text, fileName));
}

bool SetStats::Run(bool parsed) {
    if (parsed) {
        CommitSetTable(std::move(mTable));
    }
    mTable.clear();
    mSet = nullptr;
    mMode = -1;
    return parsed;
}

void SetStats::HandleElementStart(const XMLElement& element) {
    const std::string& name = element.mName;
    if (name == "mode") {
        if (mTable.empty()) {
            Fail("A \"mode\" outside a \"game\"");
            return;
        }
        if (++mMode > 1) {
            Fail("A game has only two modes (story and bonus)");
            return;
        }
        mSet = nullptr;
    } else if (name == "game") {
        // Not a map: two games of the same name are two entries, and lookups find the first.
        mTable.emplace_back();
        mTable.back().mName = GetAttribute("name");
        mMode = -1;
        mSet = nullptr;
    } else if (name == "set") {
        if (mTable.empty() || mMode < 0) {
            Fail("A \"set\" outside a \"mode\"");
            return;
        }
        // Sets go to the first game of the current name, so a repeated "game" element adds to
        // the sets that lookups find.
        GameSets* game = &mTable.back();
        for (GameSets& entry : mTable) {
            if (entry.mName == mTable.back().mName) {
                game = &entry;
                break;
            }
        }
        auto& sets = game->mModes[static_cast<size_t>(mMode)];
        sets.emplace_back();
        mSet = &sets.back();
        mSet->mName = GetAttribute("name");
        mSet->mWing = GetAttribute("wing");
        mSet->mUnlock = GetAttributeInt("unlock");
        mSet->mBackground = GetAttribute("background");
        mSet->mX = HasAttribute("x") ? GetAttributeInt("x") : 0;
        mSet->mY = HasAttribute("y") ? GetAttributeInt("y") : 0;
        mSet->mSeparate = GetAttributeBool("separate");
    } else if (name == "music") {
        if (mSet == nullptr) {
            return;  // no set to extend
        }
        const std::string track = GetAttribute("name");
        mSet->mMusicIds.push_back(mLookup ? mLookup(track) : -1);
        mSet->mMusicNames.push_back(track);
    }
}

void SetStats::HandleElementEnd(const XMLElement& element) {
    if (element.mName == "set") {
        mSet = nullptr;
    }
}
