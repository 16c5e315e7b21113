#pragma once
// The board's images and texts by name. Every grid size needs its own background and tile
// images; a size whose images are missing is reported naming the size and the image, and the
// grids then draw without them instead of reading through a null image.

#include <string>
#include <vector>

class Image;

// The current player's device word, or "ipad" (the only layout shipped) when no player is
// current or the word is still empty.
std::string CurrentDeviceWord();

// The image of that name, or null. Main thread.
Image* FindBoardImage(const std::string& name);

// The name of a per-size image: format takes the grid size (%d) and the device word (%s) in that
// order, as "G%dTileHighlight_%s" does.
std::string GridImageName(const char* format, int size);

// The per-size image, or null after logging "Grid size N: image "NAME" is missing" (once per
// name). Main thread.
Image* FindGridImage(const char* format, int size);

// One message per image a grid of this size needs and the asset tables lack; empty when all are
// there. The start-up check reports these as errors before any grid is built.
std::vector<std::string> CheckGridImages(int size);

// Shows a notice to the player ("mistake_intro", "hint_intro", "blank_tile", ...) in a layout.
// The screens install the handler (the notice menu lives above the board); without one the
// text is only logged.
using BoardNoticeHandler = void (*)(const std::string& text, const std::string& layout);
void SetBoardNoticeHandler(BoardNoticeHandler handler);
// While a stroke is held the notice waits for the stroke's end, so that it never cuts a drag.
void ShowBoardNotice(const std::string& text, const std::string& layout);

// Whether the player holds a stroke on a grid; releasing it opens the notices that waited.
void SetBoardStrokeHeld(bool held);
