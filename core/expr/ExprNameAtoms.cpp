#include "core/expr/ExprNameAtoms.h"

#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace {

struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

struct AtomTable {
    std::shared_mutex mutex;
    std::unordered_map<std::string, uint32_t, NameHash, NameEqual> numbers;
};

AtomTable& GetAtoms() {
    // Never destroyed: tables may be filled during static destruction.
    static AtomTable* atoms = new AtomTable;
    return *atoms;
}

}  // namespace

uint32_t ExprNameAtoms::Intern(std::string_view name) {
    AtomTable& atoms = GetAtoms();
    {
        std::shared_lock lock(atoms.mutex);
        auto found = atoms.numbers.find(name);
        if (found != atoms.numbers.end()) {
            return found->second;
        }
    }
    std::unique_lock lock(atoms.mutex);
    auto [it, inserted] = atoms.numbers.try_emplace(
        std::string(name), static_cast<uint32_t>(atoms.numbers.size() + 1));
    return it->second;
}

size_t ExprNameAtoms::GetCount() {
    AtomTable& atoms = GetAtoms();
    std::shared_lock lock(atoms.mutex);
    return atoms.numbers.size();
}
