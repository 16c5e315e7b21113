#include "tools/synth/Pitch.h"

#include <cctype>
#include <cmath>

namespace p7synth {

bool ParseNoteName(const std::string& name, int* midi) {
    static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g from C
    if (name.size() < 2) {
        return false;
    }
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    if (letter < 'a' || letter > 'g') {
        return false;
    }
    int semitone = kSteps[letter - 'a'];
    size_t i = 1;
    for (; i < name.size() && (name[i] == '#' || name[i] == 'b'); ++i) {
        semitone += name[i] == '#' ? 1 : -1;
    }
    if (i == name.size()) {
        return false;
    }
    bool negative = false;
    if (name[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == name.size() || name.size() - i > 1 ||
        !std::isdigit(static_cast<unsigned char>(name[i]))) {
        return false;
    }
    const int octave = (name[i] - '0') * (negative ? -1 : 1);
    *midi = 12 * (octave + 1) + semitone;
    return true;
}

double MidiToFrequency(double midi) {
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

}  // namespace p7synth
