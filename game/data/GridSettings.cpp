#include "game/data/GridSettings.h"

#include <utility>

#include "game/data/GameData.h"

namespace {
std::map<int, GridSettings>& Table() {
    return CurrentGameData().mGridSettings;
}
}  // namespace

const GridSettings* FindGridSettings(int size) {
    const auto& table = Table();
    const auto it = table.find(size);
    return it == table.end() ? nullptr : &it->second;
}

const std::map<int, GridSettings>& GetGridSettingsTable() {
    return Table();
}

void CommitGridSettings(std::map<int, GridSettings> table) {
    Table() = std::move(table);
}

void ClearGridSettings() {
    Table().clear();
}
