#include "tools/synth/SoundScript.h"

#include <algorithm>
#include <cmath>

#include "tools/synth/SynthText.h"

namespace p7synth {

namespace {

void Normalise(std::vector<float>* samples, double peak) {
    float loudest = 0.0f;
    for (float sample : *samples) {
        loudest = std::max(loudest, std::fabs(sample));
    }
    if (loudest <= 0.0f) {
        return;
    }
    const float gain = static_cast<float>(peak / loudest);
    for (float& sample : *samples) {
        sample *= gain;
    }
}

}  // namespace

bool ParseSoundScript(const std::string& file, const std::string& text, SoundScript* out,
                      std::string* error) {
    SoundScript script;
    for (const TextLine& line : SplitLines(text)) {
        std::vector<OptionGroup> groups;
        std::string why;
        size_t first = 0;
        if (line.words[0] == "layer") {
            // A new layer and its waveform; options may follow on the same line.
            SoundLayer layer;
            if (line.words.size() < 2 || !ParseWave(line.words[1], &layer.voice.wave)) {
                *error = LineError(file, line.number, "'layer' needs a waveform");
                return false;
            }
            script.layers.push_back(layer);
            first = 2;
        }
        if (!GroupOptions(line.words, first, &groups, &why)) {
            *error = LineError(file, line.number, why);
            return false;
        }
        for (const OptionGroup& group : groups) {
            const std::string& key = group.keyword;
            const auto single = [&](double* field) {
                if (group.values.size() != 1) {
                    why = "'" + key + "' takes one number";
                    return false;
                }
                *field = group.values[0];
                return true;
            };
            bool ok = true;
            double value = 0.0;
            if (key == "length") {
                ok = single(&script.length);
            } else if (key == "peak") {
                ok = single(&script.peak);
            } else if (key == "rate") {
                ok = single(&value);
                script.rate = static_cast<int>(value);
                if (ok && (script.rate < 8000 || script.rate > 96000)) {
                    ok = false;
                    why = "'rate' must be 8000 to 96000";
                }
            } else if (key == "stereo") {
                script.stereo = true;
            } else if (IsEffectKeyword(key)) {
                ok = ApplyEffectOption(key, group.values, 1.0, &script.effects, &why);
            } else if (script.layers.empty()) {
                ok = false;
                why = "'" + key + "' outside a layer";
            } else {
                SoundLayer& layer = script.layers.back();
                if (key == "at") {
                    ok = single(&layer.start);
                } else if (key == "for") {
                    ok = single(&layer.gate);
                } else if (key == "pitch") {
                    if (group.values.empty() || group.values.size() > 2 || group.values[0] <= 0.0 ||
                        (group.values.size() == 2 && group.values[1] <= 0.0)) {
                        ok = false;
                        why = "'pitch' takes one or two frequencies above 0";
                    } else {
                        layer.frequency = group.values.back();
                        layer.voice.glideRatio = group.values[0] / group.values.back();
                        layer.voice.glideTime = 0.0;
                    }
                } else {
                    ok = ApplyVoiceOption(key, group.values, &layer.voice, &why);
                }
            }
            if (!ok) {
                *error = LineError(file, line.number, why);
                return false;
            }
        }
    }
    if (script.layers.empty()) {
        *error = LineError(file, 1, "no layer");
        return false;
    }
    *out = std::move(script);
    return true;
}

std::vector<float> RenderSoundScript(const SoundScript& script) {
    double length = script.length;
    if (length <= 0.0) {
        for (const SoundLayer& layer : script.layers) {
            length = std::max(length, layer.start + NoteLength(layer.voice, layer.gate));
        }
        if (script.effects.reverbMix > 0.0) {
            length += 0.3 + 0.8 * script.effects.reverbSize;  // let the room ring out
        }
        if (script.effects.echoSeconds > 0.0) {
            length += 3.0 * script.effects.echoSeconds;
        }
    }
    const size_t frames = static_cast<size_t>(std::ceil(length * script.rate));
    std::vector<float> stereo(frames * 2, 0.0f);
    uint32_t seed = 1;
    for (const SoundLayer& layer : script.layers) {
        NoteEvent note;
        note.frequency = layer.frequency;
        note.gate = layer.gate;
        note.seed = seed++;
        RenderNote(layer.voice, note, script.rate,
                   static_cast<size_t>(std::llround(layer.start * script.rate)), &stereo);
    }
    ApplyEffects(script.effects, script.rate, &stereo);
    // 5 ms fade-out at the very end.
    const size_t fade = std::min(frames, static_cast<size_t>(script.rate / 200));
    for (size_t i = 0; i < fade; ++i) {
        const float gain = static_cast<float>(i) / static_cast<float>(fade);
        stereo[2 * (frames - 1 - i)] *= gain;
        stereo[2 * (frames - 1 - i) + 1] *= gain;
    }
    std::vector<float> out;
    if (script.stereo) {
        out = std::move(stereo);
    } else {
        out.resize(frames);
        for (size_t i = 0; i < frames; ++i) {
            out[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        }
    }
    Normalise(&out, script.peak);
    return out;
}

}  // namespace p7synth
