#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/PuzzleSource.h"

// Contact sheets: every picture of a set drawn into one image, so an author can judge the
// pictures by eye (shapes and shades included) without starting the game.

namespace p7tools {

// An 8-bit RGB raster, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3

    RgbImage() = default;
    RgbImage(int w, int h, uint8_t r, uint8_t g, uint8_t b);
    void Fill(int x, int y, int w, int h, uint8_t r, uint8_t g, uint8_t b);
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b);
};

// Whether the point (u, v), both in [0, 1) across a cell, lies inside the tile shape of the
// "ArtTiles" column `column` (see ArtCodes.h).
bool ArtShapeCovers(int column, double u, double v);

// Draws a picture at (x, y) with `cell` pixels per cell: shaded tile shapes on a dark ground,
// the way the finished puzzle shows it.
void DrawPicture(RgbImage* image, int x, int y, int cell, const std::vector<std::string>& rows);

// Draws the bare solution at (x, y): black solid cells on white, as the player uncovers it.
void DrawSilhouette(RgbImage* image, int x, int y, int cell, const std::vector<std::string>& rows);

// One sheet for a whole set: a panel per puzzle in authored order, each with its number, its
// silhouette and its picture, framed red when line logic alone cannot solve it.
RgbImage RenderContactSheet(const SetSource& set);

// The PNG file bytes of an image (stored deflate blocks: no compression library needed).
std::string EncodePng(const RgbImage& image);

}  // namespace p7tools
