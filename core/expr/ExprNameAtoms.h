#pragma once
// Process-wide numbers for variable names, so that a parsed name finds its entry in a variable
// table by comparing integers instead of texts. A name's number never changes and is never
// reused; the table only grows (scripts have a bounded set of names).

#include <cstdint>
#include <string_view>

class ExprNameAtoms {
public:
    // The number of name, entered on first sight; never 0. Any thread.
    static uint32_t Intern(std::string_view name);
    // Names entered so far (for tests and diagnostics). Any thread.
    static size_t GetCount();
};
