#include "core/expr/FieldRegistry.h"

#include <limits>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace {

struct Field {
    FieldRegistry::Kind kind;
    void* address;
    const void* owner;
};

struct Registry {
    std::shared_mutex mutex;
    std::unordered_map<int32_t, Field> byHandle;
    std::map<const void*, int32_t> byAddress;
    std::multimap<const void*, int32_t> byOwner;
    int32_t nextHandle = 1;
};

Registry& GetRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

int32_t Add(FieldRegistry::Kind kind, void* address, const void* owner) {
    if (address == nullptr) {
        return 0;
    }
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto found = reg.byAddress.find(address);
    if (found != reg.byAddress.end()) {
        Field& field = reg.byHandle[found->second];
        if (field.kind == kind && field.owner == owner) {
            return found->second;
        }
        // The same storage under another kind or owner means the old registration outlived its
        // field; the new registration replaces it.
        auto range = reg.byOwner.equal_range(field.owner);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == found->second) {
                reg.byOwner.erase(it);
                break;
            }
        }
        reg.byHandle.erase(found->second);
        reg.byAddress.erase(found);
    }
    // Handles stay positive: after the largest one they start again at 1, skipping live ones.
    const auto after = [](int32_t h) {
        return h == std::numeric_limits<int32_t>::max() ? 1 : h + 1;
    };
    int32_t handle = reg.nextHandle;
    while (reg.byHandle.count(handle) != 0) {
        handle = after(handle);
    }
    reg.nextHandle = after(handle);
    reg.byHandle.emplace(handle, Field{kind, address, owner});
    reg.byAddress.emplace(address, handle);
    reg.byOwner.emplace(owner, handle);
    return handle;
}

void* Get(int32_t handle, FieldRegistry::Kind kind) {
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byHandle.find(handle);
    if (found == reg.byHandle.end() || found->second.kind != kind) {
        return nullptr;
    }
    return found->second.address;
}

}  // namespace

int32_t FieldRegistry::Register(float* field, const void* owner) {
    return Add(Kind::kFloat, field, owner);
}

int32_t FieldRegistry::Register(int32_t* field, const void* owner) {
    return Add(Kind::kInt, field, owner);
}

void FieldRegistry::Unregister(int32_t handle) {
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto found = reg.byHandle.find(handle);
    if (found == reg.byHandle.end()) {
        return;
    }
    auto range = reg.byOwner.equal_range(found->second.owner);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == handle) {
            reg.byOwner.erase(it);
            break;
        }
    }
    reg.byAddress.erase(found->second.address);
    reg.byHandle.erase(found);
}

void FieldRegistry::UnregisterOwner(const void* owner) {
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto range = reg.byOwner.equal_range(owner);
    for (auto it = range.first; it != range.second; ++it) {
        auto found = reg.byHandle.find(it->second);
        if (found != reg.byHandle.end()) {
            reg.byAddress.erase(found->second.address);
            reg.byHandle.erase(found);
        }
    }
    reg.byOwner.erase(range.first, range.second);
}

float* FieldRegistry::GetFloat(int32_t handle) {
    return static_cast<float*>(Get(handle, Kind::kFloat));
}

int32_t* FieldRegistry::GetInt(int32_t handle) {
    return static_cast<int32_t*>(Get(handle, Kind::kInt));
}

bool FieldRegistry::GetKind(int32_t handle, Kind* kind) {
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byHandle.find(handle);
    if (found == reg.byHandle.end()) {
        return false;
    }
    *kind = found->second.kind;
    return true;
}

const void* FieldRegistry::GetOwner(int32_t handle) {
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byHandle.find(handle);
    return found == reg.byHandle.end() ? nullptr : found->second.owner;
}

size_t FieldRegistry::GetCount() {
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    return reg.byHandle.size();
}
