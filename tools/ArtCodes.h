#pragma once

#include <optional>
#include <string>
#include <vector>

// Picture cells are drawn from the "ArtTiles" sheet: one column per tile shape, tinted by a shade.
// A code is shape * kShades + shade. Authors write one character per cell; this table is the only
// place that ties characters to shapes, so the sheet, the docs and the sources stay in step.

namespace p7tools {

// Number of grey levels per shape; must equal the named constant "shades" the game loads.
inline constexpr int kShades = 4;
// Number of shape columns in "ArtTiles".
inline constexpr int kArtColumns = 18;
inline constexpr int kArtCodeCount = kShades * kArtColumns;

// The shape column of the round dot.
inline constexpr int kRoundDotColumn = 13;

// The shape columns with two neighbouring corners rounded (a half disc on a half square).
inline constexpr int kTopRoundedColumn = 14;
inline constexpr int kBottomRoundedColumn = 15;
inline constexpr int kLeftRoundedColumn = 16;
inline constexpr int kRightRoundedColumn = 17;

// The hole character of the sources.
inline constexpr char kHoleChar = '.';

// Code of a picture character, or nothing for a character that is neither a tile nor the hole.
// The hole gives -1.
std::optional<int> ArtCodeForChar(char ch);

// The character that writes a code back into a source grid (the first one listed for it).
// Returns '?' for a code outside the table.
char CharForArtCode(int code);

// A rounded tile rounds only the corners that face the background: a rounded corner beside a
// neighbour whose edge runs on to that corner (a solid row under a round dot, the ink around a
// light spot, another rounded tile) would leave a light tick or wedge between the two, so it is
// drawn square, and the tile takes the shape that rounds the corners left (a dot on a stem
// becomes a top-rounded tile, a dot inside solid tiles a full square, two dots on a row the
// two corners of one round top). Shades and which cells are solid never change. `codes` holds
// an n x n picture row by row.
void SquareCornersAgainstNeighbours(std::vector<int>* codes, int n);

// The two-letter catalogue form of a picture code: "00" for -1, else letters A..Z pairs.
std::string EncodeArtCode(int code);

// The catalogue reading of a two-character cell: a leading '0' is empty (-1), else
// first * 26 + second - 1755, exactly as the game computes it.
int DecodeArtCode(char first, char second);

// One line per shape column for the docs and tool reports: "column: shape (characters)".
std::string DescribeArtTiles();

}  // namespace p7tools
