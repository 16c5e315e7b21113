#pragma once
// Named properties that expressions can read with `value.name`, shared by widgets and images.

#include <string>

class ExprValue;

class ExtendedPropertyInterface {
public:
    virtual ~ExtendedPropertyInterface() = default;

    // Fills out with the property's value and answers true, or answers false when this object
    // has no property of that name. Main thread, unless the implementer says otherwise.
    virtual bool GetProperty(const std::string& name, ExprValue* out) const;
};
