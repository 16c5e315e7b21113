#include "game/data/GridSettings.h"

#include <utility>

namespace {
std::map<int, GridSettings>& Table() {
    static std::map<int, GridSettings> table;
    return table;
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
