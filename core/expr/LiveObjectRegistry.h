#pragma once
// The table of live widgets, images and property interfaces that expression values refer to by
// id. An object registers when it is constructed and unregisters when it is destroyed, so a value
// holding its id resolves to null afterwards instead of to freed memory. Ids are never reused.
// Thread-safe: images are made on loader threads while the main thread evaluates.

#include <cstddef>
#include <cstdint>

class ExtendedPropertyInterface;
class Widget;
class Image;

class LiveObjectRegistry {
public:
    enum class Kind : uint8_t { kWidget = 1, kImage = 2, kProperty = 3 };

    // Registers an object and returns its new id (never 0). The typed forms keep the pointer
    // exactly as AsObject/AsObject2 hand it back, whatever the caller's class layout; props may
    // be null when the object has no readable properties. Registering a registered object again
    // returns its existing id.
    static uint32_t RegisterWidget(Widget* widget, ExtendedPropertyInterface* props);
    static uint32_t RegisterImage(Image* image, ExtendedPropertyInterface* props);

    // Forgets the object; values holding its id read as none from now on. Unknown ids are ignored.
    static void Unregister(uint32_t id);
    static void UnregisterWidget(const Widget* widget);
    static void UnregisterImage(const Image* image);

    // The id of a registered object, 0 when it is not registered.
    static uint32_t FindId(Kind kind, const void* object);

    // The live object of an id of the given kind; null when gone or of another kind.
    static void* Resolve(uint32_t id, Kind kind);
    static Widget* ResolveWidget(uint32_t id);
    static Image* ResolveImage(uint32_t id);
    // The property interface of a live id of any kind; null when gone.
    static ExtendedPropertyInterface* ResolveProperties(uint32_t id);

    static size_t GetCount();  // number of live entries (for leak checks in tests)
};
