#pragma once

#include <optional>
#include <string>

// Picture cells are drawn from the "ArtTiles" sheet: one column per tile shape, tinted by a shade.
// A code is shape * kShades + shade. Authors write one character per cell; this table is the only
// place that ties characters to shapes, so the sheet, the docs and the sources stay in step.

namespace p7tools {

// Number of grey levels per shape; must equal the named constant "shades" the game loads.
inline constexpr int kShades = 4;
// Number of shape columns in "ArtTiles".
inline constexpr int kArtColumns = 14;
inline constexpr int kArtCodeCount = kShades * kArtColumns;

// The shape column of the round dot.
inline constexpr int kRoundDotColumn = 13;

// The hole character of the sources.
inline constexpr char kHoleChar = '.';

// Code of a picture character, or nothing for a character that is neither a tile nor the hole.
// The hole gives -1.
std::optional<int> ArtCodeForChar(char ch);

// The character that writes a code back into a source grid (the first one listed for it).
// Returns '?' for a code outside the table.
char CharForArtCode(int code);

// The two-letter catalogue form of a picture code: "00" for -1, else letters A..Z pairs.
std::string EncodeArtCode(int code);

// The catalogue reading of a two-character cell: a leading '0' is empty (-1), else
// first * 26 + second - 1755, exactly as the game computes it.
int DecodeArtCode(char first, char second);

// One line per shape column for the docs and tool reports: "column: shape (characters)".
std::string DescribeArtTiles();

}  // namespace p7tools
