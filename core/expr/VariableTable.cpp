#include "core/expr/VariableTable.h"

#include <algorithm>

#include "core/expr/ExprNameAtoms.h"

namespace {
bool NameLess(const VariableTable::Entry& entry, std::string_view name) {
    return std::string_view(entry.first) < name;
}
}  // namespace

std::vector<VariableTable::Entry>::iterator VariableTable::LowerBound(std::string_view name) {
    return std::lower_bound(mEntries.begin(), mEntries.end(), name, NameLess);
}

std::vector<VariableTable::Entry>::const_iterator VariableTable::LowerBound(
    std::string_view name) const {
    return std::lower_bound(mEntries.begin(), mEntries.end(), name, NameLess);
}

const ExprValue* VariableTable::Find(std::string_view name) const {
    auto it = LowerBound(name);
    if (it != mEntries.end() && it->first == name) {
        return &it->second;
    }
    return nullptr;
}

ExprValue* VariableTable::FindMutable(std::string_view name) {
    auto it = LowerBound(name);
    if (it != mEntries.end() && it->first == name) {
        return &it->second;
    }
    return nullptr;
}

void VariableTable::Set(std::string_view name, const ExprValue& value) {
    auto it = LowerBound(name);
    if (it != mEntries.end() && it->first == name) {
        it->second = value;
    } else {
        mAtoms.insert(mAtoms.begin() + (it - mEntries.begin()), ExprNameAtoms::Intern(name));
        mEntries.emplace(it, std::string(name), value);
    }
}

void VariableTable::Set(std::string_view name, ExprValue&& value) {
    auto it = LowerBound(name);
    if (it != mEntries.end() && it->first == name) {
        it->second = std::move(value);
    } else {
        mAtoms.insert(mAtoms.begin() + (it - mEntries.begin()), ExprNameAtoms::Intern(name));
        mEntries.emplace(it, std::string(name), std::move(value));
    }
}

bool VariableTable::Erase(std::string_view name) {
    auto it = LowerBound(name);
    if (it != mEntries.end() && it->first == name) {
        mAtoms.erase(mAtoms.begin() + (it - mEntries.begin()));
        mEntries.erase(it);
        return true;
    }
    return false;
}
