#include "tools/synth/Score.h"

#include <algorithm>
#include <cmath>

#include "tools/synth/Pitch.h"
#include "tools/synth/SynthText.h"

namespace p7synth {

namespace {

constexpr double kBeatTolerance = 1e-6;

struct Pattern {
    std::vector<ScoreNote> notes;  // beats from the pattern's start
    double beats = 0.0;
};

// One note word: "d4", "d4:2", "c4+e4+g4:1/2", "r:1", "x!" ('!' accent, '?' soft; 'x' is c4,
// for drums whose pitch does not matter). `beats` carries the previous duration in and out.
bool ParseNoteWord(const std::string& word, double* beats, std::vector<int>* pitches,
                   double* velocity, std::string* why) {
    std::string body = word;
    *velocity = 1.0;
    while (!body.empty() && (body.back() == '!' || body.back() == '?')) {
        *velocity *= body.back() == '!' ? 1.35 : 0.6;
        body.pop_back();
    }
    const size_t colon = body.find(':');
    if (colon != std::string::npos) {
        double value = 0.0;
        if (!ParseNumber(body.substr(colon + 1), &value) || value <= 0.0) {
            *why = "bad duration in '" + word + "'";
            return false;
        }
        *beats = value;
        body.resize(colon);
    }
    pitches->clear();
    if (body == "r") {
        return true;
    }
    size_t from = 0;
    while (from <= body.size()) {
        size_t plus = body.find('+', from);
        if (plus == std::string::npos) {
            plus = body.size();
        }
        const std::string name = body.substr(from, plus - from);
        int midi = 60;
        if (name != "x" && !ParseNoteName(name, &midi)) {
            *why = "bad note '" + word + "'";
            return false;
        }
        pitches->push_back(midi);
        from = plus + 1;
    }
    return true;
}

bool IsWholeBar(double beats, double barBeats) {
    const double bars = beats / barBeats;
    return std::fabs(bars - std::round(bars)) < kBeatTolerance;
}

// A track item: "name", "name*3", "name~-2", "name~5*2"; "rest" is one bar of silence.
bool ParseItem(const std::string& word, std::string* name, int* transpose, int* repeat) {
    *transpose = 0;
    *repeat = 1;
    std::string rest = word;
    const size_t star = rest.find('*');
    if (star != std::string::npos) {
        double value = 0.0;
        if (!ParseNumber(rest.substr(star + 1), &value) || value < 1 ||
            value != std::floor(value)) {
            return false;
        }
        *repeat = static_cast<int>(value);
        rest.resize(star);
    }
    const size_t tilde = rest.find('~');
    if (tilde != std::string::npos) {
        double value = 0.0;
        if (!ParseNumber(rest.substr(tilde + 1), &value) || value != std::floor(value)) {
            return false;
        }
        *transpose = static_cast<int>(value);
        rest.resize(tilde);
    }
    *name = rest;
    return !rest.empty();
}

}  // namespace

bool ParseScore(const std::string& file, const std::string& text, Score* out, std::string* error) {
    Score score;
    std::map<std::string, Pattern> patterns;
    const std::vector<TextLine> lines = SplitLines(text);
    const auto fail = [&](int line, const std::string& message) {
        *error = LineError(file, line, message);
        return false;
    };
    // Track lines are read after everything else, so patterns may be written after them.
    std::vector<const TextLine*> trackLines;
    for (size_t index = 0; index < lines.size(); ++index) {
        const TextLine& line = lines[index];
        const std::string& key = line.words[0];
        std::string why;
        if (key == "pattern") {
            if (line.words.size() != 2) {
                return fail(line.number, "'pattern' takes a name");
            }
            if (patterns.count(line.words[1]) || line.words[1] == "rest") {
                return fail(line.number, "pattern '" + line.words[1] + "' defined twice");
            }
            Pattern pattern;
            double beats = 1.0;
            bool ended = false;
            for (++index; index < lines.size() && !ended; ++index) {
                for (const std::string& word : lines[index].words) {
                    if (word == "end") {
                        ended = true;
                        break;
                    }
                    if (word == "|") {
                        if (!IsWholeBar(pattern.beats, score.barBeats)) {
                            return fail(lines[index].number,
                                        "bar line after " + std::to_string(pattern.beats) +
                                            " beats, not a whole number of bars");
                        }
                        continue;
                    }
                    std::vector<int> pitches;
                    double velocity = 1.0;
                    if (!ParseNoteWord(word, &beats, &pitches, &velocity, &why)) {
                        return fail(lines[index].number, why);
                    }
                    for (int midi : pitches) {
                        pattern.notes.push_back({pattern.beats, beats, midi, velocity});
                    }
                    pattern.beats += beats;
                }
            }
            --index;
            if (!ended) {
                return fail(line.number, "pattern '" + line.words[1] + "' has no 'end'");
            }
            patterns[line.words[1]] = std::move(pattern);
            continue;
        }
        if (key == "instrument") {
            if (line.words.size() < 3) {
                return fail(line.number, "'instrument' takes a name and a waveform");
            }
            VoiceSettings voice;
            if (!ParseWave(line.words[2], &voice.wave)) {
                return fail(line.number, "unknown waveform '" + line.words[2] + "'");
            }
            std::vector<OptionGroup> groups;
            if (!GroupOptions(line.words, 3, &groups, &why)) {
                return fail(line.number, why);
            }
            for (const OptionGroup& group : groups) {
                if (!ApplyVoiceOption(group.keyword, group.values, &voice, &why)) {
                    return fail(line.number, why);
                }
            }
            score.instruments[line.words[1]] = voice;
            continue;
        }
        if (key == "track") {
            trackLines.push_back(&line);
            continue;
        }
        std::vector<OptionGroup> groups;
        if (!GroupOptions(line.words, 0, &groups, &why)) {
            return fail(line.number, why);
        }
        for (const OptionGroup& group : groups) {
            const std::string& word = group.keyword;
            if (IsEffectKeyword(word)) {
                // Echo times are written in beats, so the tempo must come first.
                if (!ApplyEffectOption(word, group.values, score.BeatSeconds(), &score.effects,
                                       &why)) {
                    return fail(line.number, why);
                }
                continue;
            }
            if (group.values.size() != 1) {
                return fail(line.number, "'" + word + "' takes one number");
            }
            const double value = group.values[0];
            if (word == "tempo" && value >= 20 && value <= 400) {
                score.tempo = value;
            } else if (word == "bar" && value > 0) {
                score.barBeats = value;
            } else if (word == "bars" && value >= 1 && value == std::floor(value)) {
                score.bars = static_cast<int>(value);
            } else if (word == "rate" && value >= 8000 && value <= 96000) {
                score.rate = static_cast<int>(value);
            } else if (word == "peak" && value > 0 && value <= 1) {
                score.peak = value;
            } else {
                return fail(line.number, "unknown setting or bad value '" + word + "'");
            }
        }
    }
    if (score.bars == 0) {
        return fail(lines.empty() ? 1 : lines.back().number, "no 'bars' given");
    }
    const double loopBeats = score.bars * score.barBeats;
    for (const TextLine* line : trackLines) {
        if (line->words.size() < 3 || !score.instruments.count(line->words[1])) {
            return fail(line->number, "'track' takes a defined instrument and patterns");
        }
        ScoreTrack track;
        track.instrument = line->words[1];
        track.line = line->number;
        double at = 0.0;
        for (size_t w = 2; w < line->words.size(); ++w) {
            std::string name;
            int transpose = 0, repeat = 1;
            if (!ParseItem(line->words[w], &name, &transpose, &repeat)) {
                return fail(line->number, "bad item '" + line->words[w] + "'");
            }
            if (name == "rest") {
                at += score.barBeats * repeat;
                continue;
            }
            const auto found = patterns.find(name);
            if (found == patterns.end()) {
                return fail(line->number, "no pattern '" + name + "'");
            }
            for (int r = 0; r < repeat; ++r) {
                for (ScoreNote note : found->second.notes) {
                    note.beat += at;
                    note.midi += transpose;
                    track.notes.push_back(note);
                }
                at += found->second.beats;
            }
        }
        if (std::fabs(at - loopBeats) > kBeatTolerance) {
            return fail(line->number, "track '" + track.instrument + "' lasts " +
                                          std::to_string(at) + " beats, the loop " +
                                          std::to_string(loopBeats));
        }
        score.tracks.push_back(std::move(track));
    }
    if (score.tracks.empty()) {
        return fail(lines.empty() ? 1 : lines.back().number, "no 'track'");
    }
    *out = std::move(score);
    return true;
}

std::vector<float> RenderScore(const Score& score) {
    const double beatSeconds = score.BeatSeconds();
    const size_t loopFrames = static_cast<size_t>(std::llround(score.LoopSeconds() * score.rate));
    std::vector<float> mix(loopFrames * 2 * 2, 0.0f);
    for (int pass = 0; pass < 2; ++pass) {
        uint32_t seed = 1;
        for (const ScoreTrack& track : score.tracks) {
            const VoiceSettings& voice = score.instruments.at(track.instrument);
            for (const ScoreNote& written : track.notes) {
                NoteEvent note;
                note.frequency = MidiToFrequency(written.midi);
                note.gate = written.beats * beatSeconds * voice.gate;
                note.velocity = written.velocity;
                note.seed = seed++;
                const size_t start =
                    static_cast<size_t>(pass) * loopFrames +
                    static_cast<size_t>(std::llround(written.beat * beatSeconds * score.rate));
                RenderNote(voice, note, score.rate, start, &mix);
            }
        }
    }
    ApplyEffects(score.effects, score.rate, &mix);
    std::vector<float> loop(mix.begin() + static_cast<std::ptrdiff_t>(loopFrames * 2), mix.end());
    float loudest = 0.0f;
    for (float sample : loop) {
        loudest = std::max(loudest, std::fabs(sample));
    }
    if (loudest > 0.0f) {
        const float gain = static_cast<float>(score.peak / loudest);
        for (float& sample : loop) {
            sample *= gain;
        }
    }
    return loop;
}

}  // namespace p7synth
