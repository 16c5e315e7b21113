#pragma once
// A seam for the real-window tests, which photograph a shader effect while it runs: however slow
// the machine, the picture must catch the effect between its start and its end, and a second or
// two of an effect can pass between two pictures of the screen. The test names a file and the
// moments to hold ("<file> <effect>@<updates> ..."): a widget drawing one of those effects stops
// its own clock (its script, its tweens and the effect's "Clock") once it has run that many
// updates, for as long as the file exists, while the rest of the game runs on. Each hold is
// written to standard error as it begins, so that the test knows when to look. Without holds
// asked for, widgets pay one test of a flag. Main thread only.

#include <string>

// Takes the holds asked for from their text (see above); an empty text asks for none.
void ConfigureEffectHolds(const std::string& text);
// Whether any hold was asked for.
bool EffectHoldsAsked();
// Whether a widget drawing the effect of effectFile ("properties/<effect>.hlsl") is held in this
// update: held tells whether it was in the last one, clock is its clock so far and step what
// this update would add to it.
bool HoldsEffect(const std::string& effectFile, float clock, float step, bool held);
