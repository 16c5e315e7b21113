#pragma once
// Runs the effect translator (HlslTranslator) in a process of its own, "pelnora7-translator"
// beside the game's executable, so that an effect file it cannot take (nesting deep enough to
// overflow its stack, macros that swell to gigabytes) costs that effect and one log line, never
// the game, its memory or its exit. The process gets the source on its standard input and answers
// on its standard output; it is ended when it takes more memory or time than any effect needs.

#include <string>

struct TranslatedEffect;

class EffectTranslator {
public:
    // The translator's bounds: resident memory, and time (processor time in the process itself,
    // waiting time here).
    static constexpr long long kMostBytes = 1LL << 30;
    static constexpr int kMostSeconds = 30;
    // The name of the translator's executable.
    static constexpr const char* kProgramName = "pelnora7-translator";

    // Translates source (fileName names it in messages) as HlslTranslator::Translate does, in the
    // translator process. On failure answers false with *error saying why: the translator's own
    // message, or that it crashed, was ended at a bound or is missing. Any thread.
    static bool Translate(const std::string& source, const std::string& fileName,
                          TranslatedEffect* out, std::string* error);
};
