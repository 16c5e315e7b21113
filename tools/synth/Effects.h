#pragma once

#include <string>
#include <vector>

// The effects a whole sound or piece passes through: a ping-pong echo and a small room reverb.

namespace p7synth {

struct EffectSettings {
    double echoSeconds = 0.0;  // 0: no echo
    double echoFeedback = 0.3;
    double echoMix = 0.25;
    double reverbMix = 0.0;   // 0: no reverb
    double reverbSize = 0.5;  // 0 small room .. 1 hall
};

// Reads "echo <seconds> <feedback> <mix>" or "reverb <mix> [size]"; `beat` scales echo times
// (1 for seconds, the beat length for scores). False with `error` for a wrong count.
bool ApplyEffectOption(const std::string& keyword, const std::vector<double>& values, double beat,
                       EffectSettings* settings, std::string* error);

// True for the keywords ApplyEffectOption reads.
bool IsEffectKeyword(const std::string& keyword);

// Runs interleaved stereo `samples` through the effects in place.
void ApplyEffects(const EffectSettings& settings, int rate, std::vector<float>* samples);

}  // namespace p7synth
