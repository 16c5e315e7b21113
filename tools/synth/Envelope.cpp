#include "tools/synth/Envelope.h"

#include <algorithm>

namespace p7synth {

namespace {
constexpr double kShortest = 0.001;
}

Envelope::Envelope(double attack, double decay, double sustain, double release)
    : mAttack(std::max(attack, kShortest)),
      mDecay(std::max(decay, kShortest)),
      mSustain(std::clamp(sustain, 0.0, 1.0)),
      mRelease(std::max(release, kShortest)) {}

double Envelope::HeldLevel(double time) const {
    if (time < 0.0) {
        return 0.0;
    }
    if (time < mAttack) {
        return time / mAttack;
    }
    if (time < mAttack + mDecay) {
        // A squared fall: quick at first and easing into the sustain, closer to how struck and
        // plucked things die away than a straight line.
        const double left = 1.0 - (time - mAttack) / mDecay;
        return mSustain + (1.0 - mSustain) * left * left;
    }
    return mSustain;
}

double Envelope::Level(double time, double gate) const {
    if (time < gate) {
        return HeldLevel(time);
    }
    // The release starts from wherever the held part had got to, so a note let go during its
    // attack fades from that level rather than jumping.
    const double fall = 1.0 - (time - gate) / mRelease;
    return fall <= 0.0 ? 0.0 : HeldLevel(gate) * fall * fall;
}

}  // namespace p7synth
