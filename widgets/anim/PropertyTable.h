#pragma once
// The script-visible properties of one animated-widget class, in one table: each name says how it
// is read, whether scripts may write it (a float field that controllers animate) and whether
// "<name>_ptr" hands out a field handle. A class's table chains to its base class's, so a derived
// widget lists only what it adds, and a writable property is always readable. Tables are built
// once and never change afterwards; lookups are safe from any thread that may read the widget.

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/expr/ExprValue.h"

class DynamicWidget;

struct PropertyEntry {
    // Access bits.
    static constexpr unsigned kWritable = 1;  // scripts and controllers write the field
    static constexpr unsigned kHandle = 2;    // "<name>_ptr" gives a field handle

    std::string_view name;
    // The float behind the name (null for a computed value). The widget passed is of the table's
    // class (or derived from it).
    float* (*field)(DynamicWidget&) = nullptr;
    // A computed value; when null the field is read as a real.
    ExprValue (*read)(const DynamicWidget&) = nullptr;
    int flags = 0;  // change flags of a write (AnimatedPropertyOwner.h)
    unsigned access = 0;
};

class PropertyTable {
public:
    // base may be null (the root table); it must outlive this table (tables are statics).
    PropertyTable(const PropertyTable* base, std::initializer_list<PropertyEntry> entries);

    // The entry of the name in this table or its bases (the most derived wins); null when none.
    const PropertyEntry* Find(std::string_view name) const;
    // Reads the property of widget into out; false when the name is unknown. "<name>_ptr" gives
    // the field handle of a property that hands one out.
    bool Read(const DynamicWidget& widget, std::string_view name, ExprValue* out) const;
    // The writable field of the name, ORing its change flags into flags; null when the name is
    // unknown or read-only.
    float* FindWritable(DynamicWidget& widget, std::string_view name, int& flags) const;
    // Every name of this table and its bases (tests and diagnostics).
    std::vector<std::string> Names() const;

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    const PropertyTable* mBase;
    std::unordered_map<std::string, PropertyEntry, Hash, std::equal_to<>> mEntries;
};
