#pragma once
// A name-to-value table of script variables. CONTRACT DRAFT (the implementer may change the
// representation but keeps Find/Set/Erase).

#include <string>
#include <string_view>

#include "app/expr/ExprValue.h"

class VariableTable {
public:
    const ExprValue* Find(std::string_view name) const;  // null when absent
    void Set(const std::string& name, const ExprValue& value);
    bool Erase(std::string_view name);
};
