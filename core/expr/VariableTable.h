#pragma once
// A name-to-value table of script variables: every scripted widget owns one, and the current
// player's global variables are one. Kept as a vector sorted by name (byte-wise), which is small
// and fast for the handful of names a widget defines; lookups by string_view do not allocate.
// Not thread-safe: a table belongs to the main thread unless its owner says otherwise.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/expr/ExprValue.h"

class VariableTable {
public:
    using Entry = std::pair<std::string, ExprValue>;

    const ExprValue* Find(std::string_view name) const;  // null when absent; valid until changed
    // As Find, for a name whose number (ExprNameAtoms) the caller already has: small tables are
    // searched by number, large ones by name.
    const ExprValue* FindAtom(uint32_t atom, std::string_view name) const {
        if (mAtoms.size() > kAtomScanLimit) {
            return Find(name);
        }
        for (size_t i = 0; i < mAtoms.size(); ++i) {
            if (mAtoms[i] == atom) {
                return &mEntries[i].second;
            }
        }
        return nullptr;
    }
    // As Find, for changing the value in place; valid until the next Set or removal.
    ExprValue* FindMutable(std::string_view name);
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }
    // Stores a copy of value under name, replacing an existing entry.
    void Set(std::string_view name, const ExprValue& value);
    void Set(std::string_view name, ExprValue&& value);
    bool Erase(std::string_view name);  // false when absent
    void Clear() {
        mEntries.clear();
        mAtoms.clear();
    }

    size_t Size() const { return mEntries.size(); }
    bool Empty() const { return mEntries.empty(); }
    // Entries in name order.
    std::vector<Entry>::const_iterator begin() const { return mEntries.begin(); }
    std::vector<Entry>::const_iterator end() const { return mEntries.end(); }

private:
    std::vector<Entry>::iterator LowerBound(std::string_view name);
    std::vector<Entry>::const_iterator LowerBound(std::string_view name) const;

    // Past this many entries a binary search by name beats a scan of the numbers.
    static constexpr size_t kAtomScanLimit = 16;

    std::vector<Entry> mEntries;
    std::vector<uint32_t> mAtoms;  // the name number of each entry, in entry order
};
