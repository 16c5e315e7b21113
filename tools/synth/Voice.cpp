#include "tools/synth/Voice.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace p7synth {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Rounds the corners of a stepped wave so that its harmonics above the band fold back far less.
double PolyBlep(double phase, double step) {
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// One tonal oscillator; phase runs 0..1.
double Oscillate(Wave wave, double phase, double step, double duty) {
    switch (wave) {
        case Wave::kSine:
            return std::sin(kTwoPi * phase);
        case Wave::kTriangle:
            return phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
        case Wave::kSaw:
            return 2.0 * phase - 1.0 - PolyBlep(phase, step);
        case Wave::kSquare:
            duty = 0.5;
            [[fallthrough]];
        case Wave::kPulse: {
            double value = phase < duty ? 1.0 : -1.0;
            value += PolyBlep(phase, step);
            double shifted = phase - duty;
            if (shifted < 0.0) {
                shifted += 1.0;
            }
            value -= PolyBlep(shifted, step);
            return value;
        }
        case Wave::kNoise:
        case Wave::kPluck:
            break;
    }
    return 0.0;
}

bool Expect(const std::string& keyword, const std::vector<double>& values, size_t low, size_t high,
            std::string* error) {
    if (values.size() >= low && values.size() <= high) {
        return true;
    }
    *error = "'" + keyword + "' takes " + std::to_string(low) +
             (high > low ? " to " + std::to_string(high) : std::string()) + " number(s)";
    return false;
}

// A string for plucked notes: a burst of noise circulating in a delay line of one period,
// losing a little and getting duller each time round.
class PluckedString {
public:
    PluckedString(double frequency, int rate, double ring, double brightness, uint32_t seed) {
        // The averaging in the loop adds half a sample of delay.
        mDelay = std::max(2.0, rate / frequency - 0.5);
        mLine.assign(static_cast<size_t>(mDelay) + 2, 0.0f);
        mLoss = std::pow(0.001, 1.0 / (std::max(ring, 0.01) * rate));
        double low = 0.0;
        const double smooth = std::clamp(brightness, 0.05, 1.0);
        uint32_t state = seed ? seed : 1;
        for (float& sample : mLine) {
            low += smooth * (NextNoise(&state) - low);
            sample = static_cast<float>(low);
        }
        // Remove the burst's offset, or the string would hold a constant that never decays.
        double mean = 0.0;
        for (float sample : mLine) {
            mean += sample;
        }
        mean /= static_cast<double>(mLine.size());
        for (float& sample : mLine) {
            sample = static_cast<float>(sample - mean);
        }
    }

    double Next() {
        const size_t size = mLine.size();
        const double readPos = static_cast<double>(mWrite) - mDelay + static_cast<double>(size);
        const size_t whole = static_cast<size_t>(readPos);
        const double fraction = readPos - static_cast<double>(whole);
        const double a = mLine[whole % size];
        const double b = mLine[(whole + 1) % size];
        const double delayed = a + (b - a) * fraction;
        const double out = 0.5 * (delayed + mPrevious) * mLoss;
        mPrevious = delayed;
        mLine[mWrite] = static_cast<float>(out);
        mWrite = (mWrite + 1) % size;
        return out;
    }

private:
    std::vector<float> mLine;
    double mDelay = 2.0;
    double mLoss = 1.0;
    double mPrevious = 0.0;
    size_t mWrite = 0;
};

}  // namespace

double NextNoise(uint32_t* state) {
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return static_cast<double>(x) / 2147483648.0 - 1.0;
}

bool ParseWave(const std::string& name, Wave* wave) {
    static const struct {
        const char* name;
        Wave wave;
    } kWaves[] = {{"sine", Wave::kSine},  {"triangle", Wave::kTriangle}, {"square", Wave::kSquare},
                  {"saw", Wave::kSaw},    {"pulse", Wave::kPulse},       {"noise", Wave::kNoise},
                  {"pluck", Wave::kPluck}};
    for (const auto& entry : kWaves) {
        if (name == entry.name) {
            *wave = entry.wave;
            return true;
        }
    }
    return false;
}

bool ApplyVoiceOption(const std::string& keyword, const std::vector<double>& values,
                      VoiceSettings* s, std::string* error) {
    const auto one = [&](double* field) {
        if (!Expect(keyword, values, 1, 1, error)) {
            return false;
        }
        *field = values[0];
        return true;
    };
    const auto pair = [&](double* a, double* b) {
        if (!Expect(keyword, values, 2, 2, error)) {
            return false;
        }
        *a = values[0];
        *b = values[1];
        return true;
    };
    if (keyword == "env") {
        if (!Expect(keyword, values, 4, 4, error)) {
            return false;
        }
        s->envelope = Envelope(values[0], values[1], values[2], values[3]);
        return true;
    }
    if (keyword == "lowpass" || keyword == "highpass" || keyword == "bandpass") {
        if (!Expect(keyword, values, 1, 2, error)) {
            return false;
        }
        s->filter = keyword == "lowpass"    ? FilterMode::kLowPass
                    : keyword == "highpass" ? FilterMode::kHighPass
                                            : FilterMode::kBandPass;
        s->cutoff = values[0];
        s->cutoffEnd = values.size() > 1 ? values[1] : 0.0;
        return true;
    }
    if (keyword == "glide") {
        if (!Expect(keyword, values, 1, 2, error)) {
            return false;
        }
        s->glideRatio = values[0];
        s->glideTime = values.size() > 1 ? values[1] : 0.0;
        if (s->glideRatio <= 0.0) {
            *error = "'glide' needs a ratio above 0";
            return false;
        }
        return true;
    }
    if (keyword == "fm") {
        if (!Expect(keyword, values, 2, 3, error)) {
            return false;
        }
        s->fmRatio = values[0];
        s->fmIndex = values[1];
        s->fmDecay = values.size() > 2 ? values[2] : 0.0;
        return true;
    }
    if (keyword == "amp")
        return one(&s->amp);
    if (keyword == "pan")
        return one(&s->pan);
    if (keyword == "q")
        return one(&s->q);
    if (keyword == "vibrato")
        return pair(&s->vibratoRate, &s->vibratoDepth);
    if (keyword == "tremolo")
        return pair(&s->tremoloRate, &s->tremoloDepth);
    if (keyword == "detune")
        return one(&s->detuneCents);
    if (keyword == "duty")
        return one(&s->duty);
    if (keyword == "noise")
        return one(&s->noiseMix);
    if (keyword == "ring")
        return one(&s->ring);
    if (keyword == "brightness")
        return one(&s->brightness);
    if (keyword == "gate")
        return one(&s->gate);
    *error = "unknown option '" + keyword + "'";
    return false;
}

double NoteLength(const VoiceSettings& settings, double gate) {
    return settings.envelope.Length(gate);
}

void RenderNote(const VoiceSettings& s, const NoteEvent& note, int rate, size_t start,
                std::vector<float>* out) {
    const size_t frames = out->size() / 2;
    if (start >= frames) {
        return;
    }
    const double length = NoteLength(s, note.gate);
    const size_t count =
        std::min(static_cast<size_t>(std::ceil(length * rate)) + 1, frames - start);
    const double pan = std::clamp(s.pan, -1.0, 1.0);
    const double angle = (pan + 1.0) * std::numbers::pi / 4.0;
    const double gainL = std::cos(angle) * std::numbers::sqrt2;
    const double gainR = std::sin(angle) * std::numbers::sqrt2;
    const double glideTime = s.glideTime > 0.0 ? s.glideTime : std::max(note.gate, 1e-3);
    const double logGlide = std::log2(s.glideRatio);
    const bool sweep = s.filter != FilterMode::kNone && s.cutoffEnd > 0.0;
    const double logSweep = sweep ? std::log2(s.cutoffEnd / s.cutoff) : 0.0;
    const double detune = std::pow(2.0, s.detuneCents / 1200.0);

    SvFilter filter;
    filter.Tune(s.cutoff, s.q, rate);
    uint32_t noiseState = note.seed ? note.seed * 2654435761u + 1u : 1u;
    if (noiseState == 0) {
        noiseState = 1;
    }
    PluckedString string(note.frequency, rate, s.ring, s.brightness, note.seed + 7u);
    double phaseA = 0.0, phaseB = 0.5, modPhase = 0.0;

    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double level = s.envelope.Level(t, note.gate);
        double semitones = logGlide * 12.0 * std::max(0.0, 1.0 - t / glideTime);
        if (s.vibratoRate > 0.0) {
            semitones += s.vibratoDepth * std::sin(kTwoPi * s.vibratoRate * t);
        }
        const double frequency = note.frequency * std::pow(2.0, semitones / 12.0);
        double value = 0.0;
        if (s.wave == Wave::kPluck) {
            value = string.Next();
        } else if (s.wave == Wave::kNoise) {
            value = NextNoise(&noiseState);
        } else if (s.wave == Wave::kSine && s.fmRatio > 0.0) {
            double index = s.fmIndex;
            if (s.fmDecay > 0.0) {
                index *= std::exp(-t / s.fmDecay);
            }
            value = std::sin(kTwoPi * phaseA + index * std::sin(kTwoPi * modPhase));
            modPhase += frequency * s.fmRatio / rate;
            modPhase -= std::floor(modPhase);
        } else {
            const double stepA = frequency / detune / rate;
            value = Oscillate(s.wave, phaseA, stepA, s.duty);
            if (s.detuneCents != 0.0) {
                const double stepB = frequency * detune / rate;
                value = 0.5 * (value + Oscillate(s.wave, phaseB, stepB, s.duty));
                phaseB += stepB;
                phaseB -= std::floor(phaseB);
            }
        }
        if (s.wave != Wave::kPluck && s.wave != Wave::kNoise) {
            phaseA += (s.detuneCents != 0.0 ? frequency / detune : frequency) / rate;
            phaseA -= std::floor(phaseA);
        }
        if (s.noiseMix > 0.0 && s.wave != Wave::kNoise) {
            value = value * (1.0 - s.noiseMix) + NextNoise(&noiseState) * s.noiseMix;
        }
        if (s.filter != FilterMode::kNone) {
            if (sweep) {
                const double progress = std::min(1.0, t / std::max(note.gate, 1e-3));
                filter.Tune(s.cutoff * std::exp2(logSweep * progress), s.q, rate);
            }
            value = filter.Process(value, s.filter);
        }
        double gain = s.amp * note.velocity * level;
        if (s.tremoloRate > 0.0) {
            gain *= 1.0 - s.tremoloDepth * (0.5 + 0.5 * std::sin(kTwoPi * s.tremoloRate * t));
        }
        value *= gain;
        float* frame = out->data() + 2 * (start + i);
        frame[0] += static_cast<float>(value * gainL);
        frame[1] += static_cast<float>(value * gainR);
    }
}

}  // namespace p7synth
