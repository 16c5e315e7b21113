#pragma once
// The colour passes of the widgets that draw in a flat colour (text labels, counters, rectangles):
// a colour component above 1.0 draws the shape again, adding light, once per whole unit above 1.

#include <functional>

class Color;
class Graphics;

// Draws draw() with the colour (r, g, b, a) (already scaled by opacity), then, while any of r, g
// and b is above 1.0, again with 1.0 taken off each and alpha 0. tint, when given, is multiplied
// into every pass's colour. keepBatching switches batching on while passes repeat and restores it
// afterwards. The context's colour is left as the last pass set it.
void DrawOverbrightPasses(Graphics* g, float r, float gr, float b, float a, const Color* tint,
                          bool keepBatching, const std::function<void()>& draw);
