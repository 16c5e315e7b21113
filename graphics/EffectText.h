#pragma once
// The plain-text form of a translated effect, shared by the per-user cache entries and the
// translator process's answer: for each stage "stage <registers or -> <register count>
// <constants> <samplers> <text bytes>", a line "<name> <first float>" per constant, a line per
// sampler, then the GLSL text and a line end.

#include <string>
#include <string_view>

struct TranslatedEffect;

class EffectText {
public:
    // The text of both stages; empty when a name in them could not be read back (a blank or a
    // control character).
    static std::string Write(const TranslatedEffect& effect);
    // Reads text that holds exactly both stages into *out; false at the first thing out of place
    // (counts beyond any effect's, text cut off or followed by more).
    static bool Read(std::string_view text, TranslatedEffect* out);
};
