#include "game/data/SetTable.h"

#include <utility>

#include "game/data/GameData.h"

namespace {
std::vector<GameSets>& Table() {
    return CurrentGameData().mSets;
}
}  // namespace

const GameSets* FindGameRecord(const std::string& game) {
    const auto& table = Table();
    for (const GameSets& entry : table) {
        if (entry.mName == game) {
            return &entry;
        }
    }
    return table.empty() ? nullptr : &table.front();
}

const SetRecord* GetSetRecord(const std::string& game, int mode, int set) {
    const GameSets* entry = FindGameRecord(game);
    if (entry == nullptr || mode < 0 || mode > 1 || set < 0) {
        return nullptr;
    }
    const auto& sets = entry->mModes[static_cast<size_t>(mode)];
    return static_cast<size_t>(set) < sets.size() ? &sets[static_cast<size_t>(set)] : nullptr;
}

int CountSetsInMode(const std::string& game, int mode) {
    const GameSets* entry = FindGameRecord(game);
    if (entry == nullptr || mode < 0 || mode > 1) {
        return 0;
    }
    return static_cast<int>(entry->mModes[static_cast<size_t>(mode)].size());
}

const std::vector<GameSets>& GetSetTable() {
    return Table();
}

void CommitSetTable(std::vector<GameSets> table) {
    Table() = std::move(table);
}

void ClearSetTable() {
    Table().clear();
}

void ResolveSetMusicIds(const MusicIdLookup& lookup) {
    for (GameSets& game : Table()) {
        for (auto& sets : game.mModes) {
            for (SetRecord& set : sets) {
                set.mMusicIds.clear();
                for (const std::string& name : set.mMusicNames) {
                    set.mMusicIds.push_back(lookup ? lookup(name) : -1);
                }
            }
        }
    }
}
