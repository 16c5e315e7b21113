#include "tools/ArtCodes.h"

#include <array>
#include <utility>

namespace p7tools {

namespace {

struct ShapeChars {
    const char* shape;
    // Characters for shades 0..3; a blank means no character writes that shade.
    std::array<char, kShades> chars;
};

// Column order of the "ArtTiles" sheet. Upper-case letters are the dark shade, lower-case the
// light one; full squares have a character for every shade because pictures shade with them.
constexpr std::array<ShapeChars, kArtColumns> kShapes = {{
    {"full square", {'o', '+', '=', '#'}},
    {"triangle filling the top-left half", {' ', 'q', ' ', 'Q'}},
    {"triangle filling the top-right half", {' ', 'w', ' ', 'W'}},
    {"triangle filling the bottom-left half", {' ', 'a', ' ', 'A'}},
    {"triangle filling the bottom-right half", {' ', 's', ' ', 'S'}},
    {"square with its top-left corner rounded", {' ', 'r', ' ', 'R'}},
    {"square with its top-right corner rounded", {' ', 't', ' ', 'T'}},
    {"square with its bottom-left corner rounded", {' ', 'f', ' ', 'F'}},
    {"square with its bottom-right corner rounded", {' ', 'g', ' ', 'G'}},
    {"top half", {' ', 'u', ' ', 'U'}},
    {"bottom half", {' ', 'v', ' ', 'V'}},
    {"left half", {' ', 'z', ' ', 'Z'}},
    {"right half", {' ', 'x', ' ', 'X'}},
    {"round dot", {'O', 'c', ' ', '@'}},
    {"top half round, bottom half square", {' ', 'n', ' ', 'N'}},
    {"bottom half round, top half square", {' ', 'j', ' ', 'J'}},
    {"left half round, right half square", {' ', 'd', ' ', 'D'}},
    {"right half round, left half square", {' ', 'b', ' ', 'B'}},
}};

// Corners of a cell, as bits of a set.
constexpr int kTopLeft = 1;
constexpr int kTopRight = 2;
constexpr int kBottomLeft = 4;
constexpr int kBottomRight = 8;

// Ends of a cell's edges, as bits: where a shape reaches its cell's rim along the edge up to
// that corner, so that a neighbour's shape on the other side meets it without a gap.
constexpr int kTopLeftEnd = 1;      // top edge, left end
constexpr int kTopRightEnd = 2;     // top edge, right end
constexpr int kBottomLeftEnd = 4;   // bottom edge, left end
constexpr int kBottomRightEnd = 8;  // bottom edge, right end
constexpr int kLeftTopEnd = 16;     // left edge, top end
constexpr int kLeftBottomEnd = 32;  // left edge, bottom end
constexpr int kRightTopEnd = 64;    // right edge, top end
constexpr int kRightBottomEnd = 128;
constexpr int kAllEnds = 255;

struct ShapeRim {
    int rounded;  // corners the shape rounds
    int ends;     // edge ends it covers
};

// Per column, in sheet order. A triangle meets the far ends of its slanted side only at a point,
// which covers nothing. A rounded tile counts as covering its whole rim: where two of them meet,
// both square the corners at their shared edge, so no notch opens between them.
constexpr std::array<ShapeRim, kArtColumns> kRims = {{
    {0, kAllEnds},
    {0, kTopLeftEnd | kTopRightEnd | kLeftTopEnd | kLeftBottomEnd},
    {0, kTopLeftEnd | kTopRightEnd | kRightTopEnd | kRightBottomEnd},
    {0, kBottomLeftEnd | kBottomRightEnd | kLeftTopEnd | kLeftBottomEnd},
    {0, kBottomLeftEnd | kBottomRightEnd | kRightTopEnd | kRightBottomEnd},
    {kTopLeft, kAllEnds},
    {kTopRight, kAllEnds},
    {kBottomLeft, kAllEnds},
    {kBottomRight, kAllEnds},
    {0, kTopLeftEnd | kTopRightEnd | kLeftTopEnd | kRightTopEnd},
    {0, kBottomLeftEnd | kBottomRightEnd | kLeftBottomEnd | kRightBottomEnd},
    {0, kLeftTopEnd | kLeftBottomEnd | kTopLeftEnd | kBottomLeftEnd},
    {0, kRightTopEnd | kRightBottomEnd | kTopRightEnd | kBottomRightEnd},
    {kTopLeft | kTopRight | kBottomLeft | kBottomRight, kAllEnds},
    {kTopLeft | kTopRight, kAllEnds},
    {kBottomLeft | kBottomRight, kAllEnds},
    {kTopLeft | kBottomLeft, kAllEnds},
    {kTopRight | kBottomRight, kAllEnds},
}};

// The column that rounds exactly `corners`; a set no tile rounds (three corners, or two
// opposite ones) gives up corners until one does, since a square corner never leaves a gap.
int ColumnRounding(int corners) {
    static constexpr std::array<std::pair<int, int>, 10> kByCorners = {{
        {kTopLeft | kTopRight | kBottomLeft | kBottomRight, kRoundDotColumn},
        {kTopLeft | kTopRight, kTopRoundedColumn},
        {kBottomLeft | kBottomRight, kBottomRoundedColumn},
        {kTopLeft | kBottomLeft, kLeftRoundedColumn},
        {kTopRight | kBottomRight, kRightRoundedColumn},
        {kTopLeft, 5},
        {kTopRight, 6},
        {kBottomLeft, 7},
        {kBottomRight, 8},
        {0, 0},
    }};
    for (const auto& [set, column] : kByCorners) {
        if ((corners & set) == set) {
            return column;
        }
    }
    return 0;
}

}  // namespace

std::optional<int> ArtCodeForChar(char ch) {
    if (ch == kHoleChar) {
        return -1;
    }
    if (ch == ' ') {
        return std::nullopt;
    }
    for (int column = 0; column < kArtColumns; ++column) {
        for (int shade = 0; shade < kShades; ++shade) {
            if (kShapes[column].chars[shade] == ch) {
                return column * kShades + shade;
            }
        }
    }
    return std::nullopt;
}

char CharForArtCode(int code) {
    if (code < 0) {
        return kHoleChar;
    }
    if (code >= kArtCodeCount) {
        return '?';
    }
    char ch = kShapes[code / kShades].chars[code % kShades];
    return ch == ' ' ? '?' : ch;
}

void SquareCornersAgainstNeighbours(std::vector<int>* codes, int n) {
    const std::vector<int> picture = *codes;
    auto ends = [&](int a, int b) {
        if (a < 0 || b < 0 || a >= n || b >= n) {
            return 0;
        }
        const int code = picture[static_cast<size_t>(b) * n + a];
        return code < 0 || code >= kArtCodeCount ? 0 : kRims[code / kShades].ends;
    };
    for (int b = 0; b < n; ++b) {
        for (int a = 0; a < n; ++a) {
            const int code = picture[static_cast<size_t>(b) * n + a];
            if (code < 0 || code >= kArtCodeCount || kRims[code / kShades].rounded == 0) {
                continue;
            }
            const int rounded = kRims[code / kShades].rounded;
            const int up = ends(a, b - 1);
            const int down = ends(a, b + 1);
            const int left = ends(a - 1, b);
            const int right = ends(a + 1, b);
            int keep = rounded;
            if ((up & kBottomLeftEnd) != 0 || (left & kRightTopEnd) != 0) {
                keep &= ~kTopLeft;
            }
            if ((up & kBottomRightEnd) != 0 || (right & kLeftTopEnd) != 0) {
                keep &= ~kTopRight;
            }
            if ((down & kTopLeftEnd) != 0 || (left & kRightBottomEnd) != 0) {
                keep &= ~kBottomLeft;
            }
            if ((down & kTopRightEnd) != 0 || (right & kLeftBottomEnd) != 0) {
                keep &= ~kBottomRight;
            }
            if (keep != rounded) {
                (*codes)[static_cast<size_t>(b) * n + a] =
                    ColumnRounding(keep) * kShades + code % kShades;
            }
        }
    }
}

std::string EncodeArtCode(int code) {
    if (code < 0) {
        return "00";
    }
    // Codes stay below 26 * 26, so both letters are capitals.
    return std::string{static_cast<char>('A' + code / 26), static_cast<char>('A' + code % 26)};
}

int DecodeArtCode(char first, char second) {
    if (first == '0') {
        return -1;
    }
    return first * 26 + second - 1755;
}

std::string DescribeArtTiles() {
    std::string text;
    for (int column = 0; column < kArtColumns; ++column) {
        text += std::to_string(column) + ": " + kShapes[column].shape + " (";
        bool first = true;
        for (int shade = 0; shade < kShades; ++shade) {
            char ch = kShapes[column].chars[shade];
            if (ch == ' ') {
                continue;
            }
            text += first ? "" : ", ";
            text += "'" + std::string(1, ch) + "' shade " + std::to_string(shade);
            first = false;
        }
        text += ")\n";
    }
    return text;
}

}  // namespace p7tools
