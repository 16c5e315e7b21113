#pragma once
// The pointer picture an X server shows, asked through XFixes. Kept apart from the game's
// headers, whose names Xlib's would clash with.

#include <cstdint>
#include <string>
#include <vector>

// The pointer picture: its size, hot spot and ARGB pixels (rows top down).
struct PointerPicture {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const PointerPicture& other) const {
        return width == other.width && height == other.height && hotX == other.hotX &&
               hotY == other.hotY && pixels == other.pixels;
    }
};

// The picture the server on display shows where the pointer stands; false when it could not be
// asked (no XFixes in this build or on the server).
bool AskCurrentPointer(const std::string& display, PointerPicture* out);
