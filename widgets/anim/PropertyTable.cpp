#include "widgets/anim/PropertyTable.h"

#include "widgets/anim/DynamicWidget.h"

PropertyTable::PropertyTable(const PropertyTable* base,
                             std::initializer_list<PropertyEntry> entries)
    : mBase(base) {
    for (const PropertyEntry& entry : entries) {
        mEntries.emplace(std::string(entry.name), entry);
    }
}

const PropertyEntry* PropertyTable::Find(std::string_view name) const {
    for (const PropertyTable* table = this; table != nullptr; table = table->mBase) {
        const auto it = table->mEntries.find(name);
        if (it != table->mEntries.end()) {
            return &it->second;
        }
    }
    return nullptr;
}

bool PropertyTable::Read(const DynamicWidget& widget, std::string_view name, ExprValue* out) const {
    if (const PropertyEntry* entry = Find(name)) {
        if (entry->read != nullptr) {
            *out = entry->read(widget);
            return true;
        }
        if (entry->field != nullptr) {
            *out = ExprValue::FromFloat(*entry->field(const_cast<DynamicWidget&>(widget)));
            return true;
        }
        return false;
    }
    constexpr std::string_view kSuffix = "_ptr";
    if (name.size() > kSuffix.size() && name.ends_with(kSuffix)) {
        const PropertyEntry* entry = Find(name.substr(0, name.size() - kSuffix.size()));
        if (entry != nullptr && (entry->access & PropertyEntry::kHandle) != 0 &&
            entry->field != nullptr) {
            out->SetIntFromPointer(entry->field(const_cast<DynamicWidget&>(widget)), &widget);
            return true;
        }
    }
    return false;
}

float* PropertyTable::FindWritable(DynamicWidget& widget, std::string_view name, int& flags) const {
    const PropertyEntry* entry = Find(name);
    if (entry == nullptr || (entry->access & PropertyEntry::kWritable) == 0 ||
        entry->field == nullptr) {
        return nullptr;
    }
    flags |= entry->flags;
    return entry->field(widget);
}

std::vector<std::string> PropertyTable::Names() const {
    std::vector<std::string> names;
    for (const PropertyTable* table = this; table != nullptr; table = table->mBase) {
        for (const auto& [name, entry] : table->mEntries) {
            (void)entry;
            names.push_back(name);
        }
    }
    return names;
}
