#pragma once
// The picture-tile sheet: every puzzle's picture is a grid of codes, each picking a tile shape
// (a cell of "ArtTiles") and a shade of grey (code = shape x shades + shade, -1 for no tile).
// The sheet and the shade count are read once at start-up; the full-size pictures, the small
// previews and the icons all draw their cells through DrawArtTile.

class Graphics;
class Image;

struct ArtTileSheet {
    Image* image = nullptr;  // "ArtTiles"; not owned (the asset tables keep it)
    int cols = 0;
    int rows = 0;
    int shades = 0;     // the named constant "shades"
    int codeCount = 0;  // shades x cols: codes at or above it name no tile
};

// Reads "ArtTiles" and "shades" into the sheet. One of the game's loading steps; call again
// after the assets change (tests). A missing sheet is logged and leaves every code undrawn.
void LoadArtTiles();

// The sheet as LoadArtTiles left it.
const ArtTileSheet& GetArtTiles();

// The grey of a shade: shade 0 is white, higher shades darker, never below half. 255 when
// shades is not positive.
int ArtShadeGrey(int shade, int shades);

// Draws picture code at cell (a, b) of size x size pixels from the drawing origin, faded to
// alpha (0..255). Nothing for a negative code or a code the sheet has no tile for.
void DrawArtTile(Graphics* g, float size, int code, int a, int b, int alpha = 255);
