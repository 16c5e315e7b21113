#pragma once

// An attack-decay-sustain-release envelope. Times are seconds; the gate is how long the note is
// held, after which the level falls to 0 over the release. The attack rises in a straight line;
// decay and release fall along a square curve (fast, then easing out).

namespace p7synth {

class Envelope {
public:
    Envelope() = default;
    // Attack, decay and release are clamped to at least 1 ms so no note starts or ends on a
    // step; sustain is clamped to 0..1.
    Envelope(double attack, double decay, double sustain, double release);

    // The level (0..1) at `time` seconds after the note started, for a note held `gate` seconds.
    double Level(double time, double gate) const;

    // Seconds until a note held `gate` seconds is silent.
    double Length(double gate) const { return gate + mRelease; }

    double Attack() const { return mAttack; }
    double Decay() const { return mDecay; }
    double Sustain() const { return mSustain; }
    double Release() const { return mRelease; }

private:
    // The level while the gate is held, without the release.
    double HeldLevel(double time) const;

    double mAttack = 0.005;
    double mDecay = 0.1;
    double mSustain = 0.7;
    double mRelease = 0.1;
};

}  // namespace p7synth
