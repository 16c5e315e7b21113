#include "tools/ArtCodes.h"

#include <array>

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
}};

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
