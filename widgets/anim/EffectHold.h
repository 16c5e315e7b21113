#pragma once
// A seam for the real-window tests, which photograph what shows only for a while (a shader
// effect, a splash): however slow the machine, the picture must catch it between its start and
// its end, and seconds can pass between two pictures of the screen. The test names a file and the
// moments to hold ("<file> <name>@<updates> ...", an effect named by its file's stem, a splash by
// its picture's): what is named stops its own clock (an effect's widget its script, its tweens
// and the effect's "Clock") once it has run that many updates, for as long as the file exists,
// while the rest of the game runs on. Each hold is written to standard error as it begins, so
// that the test knows when to look. Without holds asked for, callers pay one test of a flag.
// Main thread only.

#include <string>

// Takes the holds asked for from their text (see above); an empty text asks for none.
void ConfigureEffectHolds(const std::string& text);
// Whether any hold was asked for.
bool EffectHoldsAsked();
// Whether the thing named is held in this update: held tells whether it was in the last one,
// clock is its clock so far and step what this update would add to it.
bool HoldsAt(const std::string& name, float clock, float step, bool held);
// HoldsAt for the widget drawing the effect of effectFile ("properties/<name>.hlsl").
bool HoldsEffect(const std::string& effectFile, float clock, float step, bool held);
