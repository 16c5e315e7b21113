#pragma once
// String helpers. Strings are narrow byte strings throughout.

#include <string>
#include <string_view>

// A string from a printf-style format. Only for formats written in the code; formats that come
// from data files go through CheckedFormat.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A string from a NUL-terminated text; an empty string for null.
std::string MakeString(const char* text);

std::string StringToLower(std::string_view text);

// Parses a signed decimal number (optionally with a point and exponent); false on bad input,
// including trailing garbage and an empty text.
bool StringToFloatChecked(std::string_view text, float* out);
