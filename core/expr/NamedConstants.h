#pragma once
// The process-wide named constants from "constants.xml" (and the files it includes), which
// expressions read after local and global variables. Loading may run on a loader thread while the
// main thread reads; lookups from other threads never insert.

#include <string>
#include <string_view>

#include "core/expr/ExprValue.h"

// Reads "properties/" + fileName (and its includes) and, when every file is valid, adds its
// constants to the table (later definitions replace earlier ones). On any error (unreadable or
// malformed file, bad element, include cycle) the table is left as it was, the error is logged
// and returned in error (when not null) naming the file and line. Any thread.
bool LoadConstants(const std::string& fileName = "constants.xml", std::string* error = nullptr);
// As LoadConstants, for a file given by its full path; includes are found beside the file that
// names them.
bool LoadConstantsFromPath(const std::string& path, std::string* error = nullptr);

// A copy of the constant's value. On the main thread an absent name is entered as a real 0 and
// that is returned; elsewhere an absent name gives a real 0 and the table is not touched.
ExprValue GetConstantValue(std::string_view name);
// Copies the value into out and answers true when the name is defined; never inserts. Any thread.
bool FindConstant(std::string_view name, ExprValue* out);
// True when the name is defined (also for entries that GetConstantValue entered). Any thread.
bool HasConstant(std::string_view name);
// Defines or replaces one constant (tests, and the application's own settings). Any thread.
void SetConstant(std::string_view name, const ExprValue& value);
// Empties the table (at exit, and between tests). Any thread.
void ClearConstants();
