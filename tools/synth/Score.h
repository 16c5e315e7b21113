#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/synth/Effects.h"
#include "tools/synth/Voice.h"

// A piece of music as text: instruments, patterns of notes and one line per voice saying which
// patterns it plays in turn. The piece is a loop: its last bar leads back into its first. See
// docs/content.md for the format.
//
//   tempo 96                      ; beats per minute
//   bar 4                         ; beats per bar; '|' in a pattern checks it
//   bars 32                       ; the loop's length; every track must fill it exactly
//   instrument lead triangle env 0.01 0.2 0.6 0.3 amp 0.3 pan -0.2
//   pattern tune
//     d4:1 f4 a4:2 | g4:1/2 f4 e4:1 d4:2 |
//   end
//   track lead tune*2 tune~5 rest*4

namespace p7synth {

struct ScoreNote {
    double beat = 0.0;   // start, in beats from the start of the loop
    double beats = 1.0;  // written duration
    int midi = 60;
    double velocity = 1.0;
};

struct ScoreTrack {
    std::string instrument;
    std::vector<ScoreNote> notes;
    int line = 0;
};

struct Score {
    int rate = 32000;
    double tempo = 120.0;
    double barBeats = 4.0;
    int bars = 0;
    double peak = 0.85;
    EffectSettings effects;
    std::map<std::string, VoiceSettings> instruments;
    std::vector<ScoreTrack> tracks;

    double BeatSeconds() const { return 60.0 / tempo; }
    double LoopSeconds() const { return bars * barBeats * BeatSeconds(); }
};

// Parses a score; `file` names it in messages. False with `error` as "file:line: ...".
bool ParseScore(const std::string& file, const std::string& text, Score* out, std::string* error);

// Renders exactly one loop of interleaved stereo. The notes that ring past the loop's end are
// the ones that ring into its start when it repeats, so the piece is rendered twice and the
// second pass kept: its start already carries the first pass's tails, and its end leads into
// its start without a step.
std::vector<float> RenderScore(const Score& score);

}  // namespace p7synth
