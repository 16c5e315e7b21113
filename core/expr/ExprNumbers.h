#pragma once
// Number reading and writing shared by values, the lexer and the evaluator, so that a number
// reads the same whether it comes from a literal, a string value or a data file.

#include <cstdint>
#include <string>
#include <string_view>

// Reads a whole text (surrounding blanks allowed) as a number: decimal or 0x integers (up to
// 32 bits, larger hexadecimal and decimal values up to 4294967295 wrap to the signed range) or
// reals with a point or an exponent. Sets isReal and the matching output; false when the text is
// not exactly one number.
bool ParseNumberText(std::string_view text, bool* isReal, int32_t* intValue, float* realValue);

// C's truncation toward zero, but saturating at the int32 limits and 0 for NaN instead of
// undefined behaviour.
int32_t TruncateToInt(double value);

// The shortest text that reads back as the same float ("0.1", "5", "1e+20").
std::string FormatReal(float value);
