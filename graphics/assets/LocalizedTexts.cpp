#include "graphics/assets/LocalizedTexts.h"

#include <map>
#include <mutex>

namespace {

struct TextTable {
    std::mutex mLock;
    std::map<std::string, std::string, std::less<>> mTexts;
};

TextTable& GetTable() {
    // Never destroyed: widgets destroyed by other static destructors may still look texts up.
    static TextTable* table = new TextTable;
    return *table;
}

}  // namespace

std::string LocalizedTexts::Lookup(const std::string& id) {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    return table.mTexts[id];
}

bool LocalizedTexts::Find(const std::string& id, std::string* out) {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    const auto it = table.mTexts.find(id);
    if (it == table.mTexts.end()) {
        return false;
    }
    *out = it->second;
    return true;
}

bool LocalizedTexts::Contains(const std::string& id) {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    return table.mTexts.find(id) != table.mTexts.end();
}

void LocalizedTexts::Set(const std::string& id, const std::string& text) {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    table.mTexts[id] = text;
}

void LocalizedTexts::Clear() {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    table.mTexts.clear();
}

size_t LocalizedTexts::Size() {
    TextTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    return table.mTexts.size();
}

std::string LocalizedTexts::ConvertLineBreaks(std::string_view text) {
    static constexpr std::string_view kBreak = "[br]";
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t found = text.find(kBreak, pos);
        if (found == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, found - pos));
        out.push_back('\n');
        pos = found + kBreak.size();
    }
    return out;
}
