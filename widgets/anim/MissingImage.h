#pragma once
// What a script shows in place of an image that is not loaded: a magenta checker that nobody can
// mistake for art, so a missing asset is seen at once instead of leaving an invisible widget.

#include <string>

class Image;

// The process-wide placeholder (32 by 32, squares of 8), made on first use and kept until exit.
// Main thread.
Image* GetMissingImagePlaceholder();
// The placeholder for an image name that the asset tables lack; the first use of each name logs
// a line naming it. Main thread.
Image* MissingImageFor(const std::string& name);
