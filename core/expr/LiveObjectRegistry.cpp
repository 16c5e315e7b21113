#include "core/expr/LiveObjectRegistry.h"

#include <map>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

namespace {

struct Entry {
    LiveObjectRegistry::Kind kind;
    void* object;
    ExtendedPropertyInterface* props;
};

struct Registry {
    std::shared_mutex mutex;
    std::unordered_map<uint32_t, Entry> byId;
    std::map<std::pair<LiveObjectRegistry::Kind, const void*>, uint32_t> byObject;
    uint32_t nextId = 1;
};

// Never destroyed: objects with static storage may unregister during exit.
Registry& GetRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

uint32_t Add(LiveObjectRegistry::Kind kind, void* object, ExtendedPropertyInterface* props) {
    if (object == nullptr) {
        return 0;
    }
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto key = std::make_pair(kind, static_cast<const void*>(object));
    auto found = reg.byObject.find(key);
    if (found != reg.byObject.end()) {
        reg.byId[found->second].props = props;
        return found->second;
    }
    // Ids are not reused, so a stale id can never name a newer object; after a wrap-around the
    // ids still live are skipped.
    uint32_t id = reg.nextId;
    while (id == 0 || reg.byId.count(id) != 0) {
        ++id;
    }
    reg.nextId = id + 1;
    reg.byId.emplace(id, Entry{kind, object, props});
    reg.byObject.emplace(key, id);
    return id;
}

void RemoveObject(LiveObjectRegistry::Kind kind, const void* object) {
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto found = reg.byObject.find(std::make_pair(kind, object));
    if (found != reg.byObject.end()) {
        reg.byId.erase(found->second);
        reg.byObject.erase(found);
    }
}

}  // namespace

uint32_t LiveObjectRegistry::RegisterWidget(Widget* widget, ExtendedPropertyInterface* props) {
    return Add(Kind::kWidget, static_cast<void*>(widget), props);
}

uint32_t LiveObjectRegistry::RegisterImage(Image* image, ExtendedPropertyInterface* props) {
    return Add(Kind::kImage, static_cast<void*>(image), props);
}

void LiveObjectRegistry::Unregister(uint32_t id) {
    Registry& reg = GetRegistry();
    std::unique_lock lock(reg.mutex);
    auto found = reg.byId.find(id);
    if (found != reg.byId.end()) {
        reg.byObject.erase(
            std::make_pair(found->second.kind, static_cast<const void*>(found->second.object)));
        reg.byId.erase(found);
    }
}

void LiveObjectRegistry::UnregisterWidget(const Widget* widget) {
    RemoveObject(Kind::kWidget, static_cast<const void*>(widget));
}

void LiveObjectRegistry::UnregisterImage(const Image* image) {
    RemoveObject(Kind::kImage, static_cast<const void*>(image));
}

uint32_t LiveObjectRegistry::FindId(Kind kind, const void* object) {
    if (object == nullptr) {
        return 0;
    }
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byObject.find(std::make_pair(kind, object));
    return found == reg.byObject.end() ? 0 : found->second;
}

void* LiveObjectRegistry::Resolve(uint32_t id, Kind kind) {
    if (id == 0) {
        return nullptr;
    }
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byId.find(id);
    if (found == reg.byId.end() || found->second.kind != kind) {
        return nullptr;
    }
    return found->second.object;
}

Widget* LiveObjectRegistry::ResolveWidget(uint32_t id) {
    return static_cast<Widget*>(Resolve(id, Kind::kWidget));
}

Image* LiveObjectRegistry::ResolveImage(uint32_t id) {
    return static_cast<Image*>(Resolve(id, Kind::kImage));
}

ExtendedPropertyInterface* LiveObjectRegistry::ResolveProperties(uint32_t id) {
    if (id == 0) {
        return nullptr;
    }
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    auto found = reg.byId.find(id);
    return found == reg.byId.end() ? nullptr : found->second.props;
}

size_t LiveObjectRegistry::GetCount() {
    Registry& reg = GetRegistry();
    std::shared_lock lock(reg.mutex);
    return reg.byId.size();
}
