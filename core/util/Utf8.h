#pragma once
// Text inside the game is UTF-8: files, typed characters, the clipboard, profile names and what
// the fonts draw. These helpers step through it one code point at a time. A byte that does not
// start a well-formed sequence counts as a character of its own (its value is handed back as
// is), so text from older files written byte by byte still has one character per byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decodes the character at *pos and moves *pos past it. True for a well-formed sequence (the
// code point in *codePoint); false for a lone byte, whose value goes to *codePoint. *pos must be
// below text.size().
bool Utf8Next(std::string_view text, size_t* pos, uint32_t* codePoint);

// The byte offset of the character after the one at pos (text.size() at the end).
size_t Utf8NextBoundary(std::string_view text, size_t pos);
// The byte offset of the character before pos (0 at the start).
size_t Utf8PrevBoundary(std::string_view text, size_t pos);
// Characters in text.
size_t Utf8Length(std::string_view text);
// The byte offset of the count-th character (text.size() when there are fewer).
size_t Utf8OffsetOf(std::string_view text, size_t count);
// The bytes of one code point; empty for a value beyond U+10FFFF or a surrogate.
std::string Utf8Encode(uint32_t codePoint);
// How many bytes a sequence starting with lead takes: 1 for ASCII and for bytes that cannot
// start a sequence, else 2 to 4.
int Utf8SequenceLength(unsigned char lead);
