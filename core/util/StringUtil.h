#pragma once
// String utilities. Strings are narrow byte strings throughout.

#include <cstdarg>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

// A string from a printf-style format. Only for formats written in the code; formats that come
// from data files go through CheckedFormat.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same for an argument list the caller has started (and ends afterwards).
std::string StrFormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// A string from a NUL-terminated text; an empty string for null.
std::string MakeString(const char* text);

// The text without leading and trailing blanks (space, tab, CR, LF); a view into text.
std::string_view TrimBlanks(std::string_view text);

// Lower-cases ASCII letters; other bytes (UTF-8 sequences included) are kept as they are.
std::string StringToLower(std::string_view text);

// Parses a signed decimal number (optionally with a point and exponent) into a float, ignoring
// surrounding blanks; false on bad input (empty, trailing garbage, inf/nan, hex, out of range).
bool StringToFloatChecked(std::string_view text, float* out);

// One typed argument of CheckedFormat. Holds a view of a string argument, so the text must outlive
// the call (temporaries in the argument list do).
class FormatArg {
public:
    enum class Kind { kInt, kReal, kString };

    FormatArg(int value) : mKind(Kind::kInt), mInt(value) {}
    FormatArg(unsigned value) : mKind(Kind::kInt), mInt(value) {}
    FormatArg(long value) : mKind(Kind::kInt), mInt(value) {}
    FormatArg(long long value) : mKind(Kind::kInt), mInt(value) {}
    FormatArg(unsigned long value) : mKind(Kind::kInt), mInt(static_cast<long long>(value)) {}
    FormatArg(unsigned long long value) : mKind(Kind::kInt), mInt(static_cast<long long>(value)) {}
    FormatArg(float value) : mKind(Kind::kReal), mReal(value) {}
    FormatArg(double value) : mKind(Kind::kReal), mReal(value) {}
    FormatArg(const char* text) : mKind(Kind::kString), mText(text ? text : "") {}
    FormatArg(const std::string& text) : mKind(Kind::kString), mText(text) {}
    FormatArg(std::string_view text) : mKind(Kind::kString), mText(text) {}

    Kind GetKind() const { return mKind; }
    long long GetInt() const { return mInt; }
    double GetReal() const { return mReal; }
    std::string_view GetText() const { return mText; }

private:
    Kind mKind;
    long long mInt = 0;
    double mReal = 0.0;
    std::string_view mText;
};

// Formats a printf-style format text that comes from a data file. Every conversion is checked
// against the arguments: %d %i %u %o %x %X %c take an integer, %e %E %f %F %g %G %a %A a real,
// %s a string; flags, width and precision (also '*', taking an integer) are allowed, length
// modifiers are accepted and ignored; %% is a percent sign. %n, %p, positional arguments,
// unknown conversions, a width or precision above 1000, too few and unused arguments are errors.
// On success returns true and *out holds the text; on an error returns false and *out holds an
// error text that names the problem and quotes the format. printf never sees an unchecked format.
bool CheckedFormat(std::string* out, std::string_view format, std::span<const FormatArg> args);

// The same, returning the formatted text or, on an error, the error text (ok tells which).
std::string CheckedFormat(std::string_view format, std::initializer_list<FormatArg> args,
                          bool* ok = nullptr);
