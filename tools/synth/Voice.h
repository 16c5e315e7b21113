#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/synth/Envelope.h"
#include "tools/synth/SvFilter.h"

// One kind of note: a waveform with its envelope, filter and modulations. Sound descriptions
// build one per layer and scores one per instrument; both then render notes through it.

namespace p7synth {

enum class Wave { kSine, kTriangle, kSquare, kSaw, kPulse, kNoise, kPluck };

struct VoiceSettings {
    Wave wave = Wave::kSine;
    Envelope envelope;
    double amp = 0.5;
    double pan = 0.0;  // -1 left .. 1 right
    // The pitch starts at glideRatio times the note's and reaches it after glideTime seconds
    // (0: at the end of the gate), moving evenly in semitones.
    double glideRatio = 1.0;
    double glideTime = 0.0;
    FilterMode filter = FilterMode::kNone;
    double cutoff = 1000.0;
    double cutoffEnd = 0.0;  // 0: no sweep; else reached at the end of the gate
    double q = 0.707;
    double vibratoRate = 0.0, vibratoDepth = 0.0;        // Hz, semitones
    double tremoloRate = 0.0, tremoloDepth = 0.0;        // Hz, 0..1
    double fmRatio = 0.0, fmIndex = 0.0, fmDecay = 0.0;  // sine only; decay in seconds, 0 = none
    double detuneCents = 0.0;  // two oscillators this far apart, for width
    double duty = 0.25;        // pulse
    double noiseMix = 0.0;     // white noise added to a tonal wave, 0..1
    double ring = 1.5;         // pluck: seconds until the string is 60 dB down
    double brightness = 0.6;   // pluck: 0 dull .. 1 bright pick
    double gate = 0.9;         // scores: fraction of the written duration that is held
};

// One note to render.
struct NoteEvent {
    double frequency = 440.0;  // Hz
    double gate = 0.5;         // seconds held
    double velocity = 1.0;     // multiplies the voice's amp
    uint32_t seed = 1;         // noise and pluck excitation; the same seed gives the same note
};

// Reads a waveform name ("sine", "triangle", "square", "saw", "pulse", "noise", "pluck").
bool ParseWave(const std::string& name, Wave* wave);

// Applies one option ("env 0.01 0.1 0.7 0.2", "lowpass 2000 400", ...) to `settings`. False with
// `error` set for an unknown keyword or a wrong count of values.
bool ApplyVoiceOption(const std::string& keyword, const std::vector<double>& values,
                      VoiceSettings* settings, std::string* error);

// Seconds from the start of a note held `gate` seconds until it is silent.
double NoteLength(const VoiceSettings& settings, double gate);

// Adds the note to interleaved stereo `out` from frame `start` on; frames past the end of `out`
// are dropped.
void RenderNote(const VoiceSettings& settings, const NoteEvent& note, int rate, size_t start,
                std::vector<float>* out);

// Deterministic white noise in -1..1 (xorshift); `state` must not be 0.
double NextNoise(uint32_t* state);

}  // namespace p7synth
