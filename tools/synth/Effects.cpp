#include "tools/synth/Effects.h"

#include <algorithm>
#include <cmath>

namespace p7synth {

namespace {

// A feedback comb with a damped loop, the body of the reverb.
class Comb {
public:
    Comb(size_t length, double feedback, double damp)
        : mLine(std::max<size_t>(length, 1), 0.0f), mFeedback(feedback), mDamp(damp) {}
    double Process(double input) {
        const double out = mLine[mPos];
        mStore = out * (1.0 - mDamp) + mStore * mDamp;
        mLine[mPos] = static_cast<float>(input + mStore * mFeedback);
        mPos = (mPos + 1) % mLine.size();
        return out;
    }

private:
    std::vector<float> mLine;
    double mFeedback;
    double mDamp;
    double mStore = 0.0;
    size_t mPos = 0;
};

// An allpass that smears the combs' echoes into a wash.
class Allpass {
public:
    explicit Allpass(size_t length) : mLine(std::max<size_t>(length, 1), 0.0f) {}
    double Process(double input) {
        const double delayed = mLine[mPos];
        const double out = delayed - input;
        mLine[mPos] = static_cast<float>(input + delayed * 0.5);
        mPos = (mPos + 1) % mLine.size();
        return out;
    }

private:
    std::vector<float> mLine;
    size_t mPos = 0;
};

void Reverb(const EffectSettings& s, int rate, std::vector<float>* samples) {
    // Comb and allpass lengths (at 44.1 kHz) of the well-known small-room tuning; the right
    // channel's are a little longer so the two sides decorrelate.
    static const int kCombs[4] = {1116, 1277, 1422, 1557};
    static const int kAllpasses[2] = {556, 341};
    const double scale = rate / 44100.0;
    const double feedback = 0.7 + 0.28 * std::clamp(s.reverbSize, 0.0, 1.0);
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<Comb> combs;
        std::vector<Allpass> allpasses;
        for (int length : kCombs) {
            combs.emplace_back(static_cast<size_t>((length + 23 * channel) * scale), feedback,
                               0.25);
        }
        for (int length : kAllpasses) {
            allpasses.emplace_back(static_cast<size_t>((length + 23 * channel) * scale));
        }
        for (size_t i = channel; i < samples->size(); i += 2) {
            const double dry = (*samples)[i];
            double wet = 0.0;
            for (Comb& comb : combs) {
                wet += comb.Process(dry * 0.015);
            }
            for (Allpass& allpass : allpasses) {
                wet = allpass.Process(wet);
            }
            (*samples)[i] =
                static_cast<float>(dry * (1.0 - s.reverbMix * 0.5) + wet * s.reverbMix * 3.0);
        }
    }
}

void Echo(const EffectSettings& s, int rate, std::vector<float>* samples) {
    const size_t delay = static_cast<size_t>(std::max(1.0, s.echoSeconds * rate));
    std::vector<float> left(delay, 0.0f), right(delay, 0.0f);
    size_t pos = 0;
    for (size_t i = 0; i + 1 < samples->size(); i += 2) {
        const double inL = (*samples)[i], inR = (*samples)[i + 1];
        const double outL = left[pos], outR = right[pos];
        // Each side's echo comes back on the other side.
        left[pos] = static_cast<float>(inR + outR * s.echoFeedback);
        right[pos] = static_cast<float>(inL + outL * s.echoFeedback);
        pos = (pos + 1) % delay;
        (*samples)[i] = static_cast<float>(inL + outL * s.echoMix);
        (*samples)[i + 1] = static_cast<float>(inR + outR * s.echoMix);
    }
}

}  // namespace

bool IsEffectKeyword(const std::string& keyword) {
    return keyword == "echo" || keyword == "reverb";
}

bool ApplyEffectOption(const std::string& keyword, const std::vector<double>& values, double beat,
                       EffectSettings* s, std::string* error) {
    if (keyword == "echo") {
        if (values.size() != 3) {
            *error = "'echo' takes a time, a feedback and a mix";
            return false;
        }
        s->echoSeconds = values[0] * beat;
        s->echoFeedback = std::clamp(values[1], 0.0, 0.95);
        s->echoMix = values[2];
        return true;
    }
    if (keyword == "reverb") {
        if (values.empty() || values.size() > 2) {
            *error = "'reverb' takes a mix and an optional size";
            return false;
        }
        s->reverbMix = std::clamp(values[0], 0.0, 1.0);
        s->reverbSize = values.size() > 1 ? values[1] : 0.5;
        return true;
    }
    *error = "unknown effect '" + keyword + "'";
    return false;
}

void ApplyEffects(const EffectSettings& s, int rate, std::vector<float>* samples) {
    if (s.echoSeconds > 0.0 && s.echoMix > 0.0) {
        Echo(s, rate, samples);
    }
    if (s.reverbMix > 0.0) {
        Reverb(s, rate, samples);
    }
}

}  // namespace p7synth
