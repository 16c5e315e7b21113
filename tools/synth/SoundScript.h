#pragma once

#include <string>
#include <vector>

#include "tools/synth/Effects.h"
#include "tools/synth/Voice.h"

// A sound effect described as text: global settings, then layers that each play one note of a
// voice. See docs/content.md for the words.
//
//   length 0.3            ; seconds (default: until the last layer is silent)
//   peak 0.8              ; the loudest sample, as a fraction of full scale
//   layer sine            ; a new layer with its waveform
//     at 0 for 0.12       ; start and held time in seconds
//     pitch 900 300       ; Hz, optionally gliding to a second value over the held time
//     env 0.002 0.05 0.3 0.08

namespace p7synth {

struct SoundLayer {
    VoiceSettings voice;
    double start = 0.0;
    double gate = 0.1;
    double frequency = 440.0;
};

struct SoundScript {
    int rate = 44100;
    double length = 0.0;  // 0: until the last layer ends
    double peak = 0.8;
    bool stereo = false;
    EffectSettings effects;
    std::vector<SoundLayer> layers;
};

// Parses a description; `file` names it in messages. False with `error` as "file:line: ...".
bool ParseSoundScript(const std::string& file, const std::string& text, SoundScript* out,
                      std::string* error);

// Renders to interleaved samples (mono, or stereo when asked), normalised to the peak, with a
// short fade at the end so a cut-off tail does not click.
std::vector<float> RenderSoundScript(const SoundScript& script);

}  // namespace p7synth
