#pragma once
// Small text functions of the script commands.

#include <string>
#include <string_view>

#include "core/expr/ExprValue.h"

// A copy of text with every occurrence of from, found left to right, replaced by to. The search
// resumes after each inserted replacement, so a replacement containing from is not replaced
// again. An empty from leaves the text as it is.
std::string StringReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The text read as a decimal number; 0 when it is not one (empty, trailing garbage, out of range).
float StringToFloat(std::string_view text);

// True when the value equals the text taken as a string value.
bool ValueEqualsText(const ExprValue& value, std::string_view text);
