#pragma once
// Handles for the float and integer fields that "_ptr" properties expose to scripts. A handle is
// a small positive integer that fits the 32-bit payload of a value (a pointer does not) and is
// checked on every use: once the owner unregisters its fields, the handle resolves to null.
// Thread-safe.

#include <cstddef>
#include <cstdint>

class FieldRegistry {
public:
    enum class Kind : uint8_t { kFloat = 1, kInt = 2 };

    // Returns the field's handle (never 0), registering it under owner when it is new. The owner
    // must call UnregisterOwner before the field's storage goes away.
    static int32_t Register(float* field, const void* owner);
    static int32_t Register(int32_t* field, const void* owner);

    // Drops one handle; later lookups of it answer null. An unknown handle is ignored.
    static void Unregister(int32_t handle);
    // Drops every field registered under owner (call from the owner's destructor).
    static void UnregisterOwner(const void* owner);

    // The live field of a handle of that kind; null when unknown, gone or of the other kind.
    static float* GetFloat(int32_t handle);
    static int32_t* GetInt(int32_t handle);
    static bool GetKind(int32_t handle, Kind* kind);  // false when the handle is not live
    // The owner a live handle was registered under (to tell it of a write); null when not live.
    static const void* GetOwner(int32_t handle);

    // Live handles, for leak checks in tests.
    static size_t GetCount();
};
