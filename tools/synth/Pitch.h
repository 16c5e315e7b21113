#pragma once

#include <string>

// Note names as the scores write them: a letter a-g, any number of '#' (sharp) or 'b' (flat),
// then an octave number; "c4" is middle C and "a4" is 440 Hz (equal temperament).

namespace p7synth {

// The MIDI number of a note name ("c4" = 60, "a4" = 69); false for anything else.
bool ParseNoteName(const std::string& name, int* midi);

// The frequency in Hz of a MIDI note number, A4 = 440 Hz.
double MidiToFrequency(double midi);

}  // namespace p7synth
