// The synthesiser that renders the game's sounds and music: what it computes (envelopes, note
// frequencies, filters), how its two text formats are read, and that a rendered score loops.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tools/synth/Envelope.h"
#include "tools/synth/Pitch.h"
#include "tools/synth/Score.h"
#include "tools/synth/SoundScript.h"
#include "tools/synth/SvFilter.h"
#include "tools/synth/WaveFile.h"

namespace p7synth {
namespace {

TEST(Envelope, RisesDecaysHoldsAndReleases) {
    const Envelope env(0.1, 0.2, 0.5, 0.4);
    EXPECT_DOUBLE_EQ(env.Level(0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(env.Level(0.05, 1.0), 0.5);  // half way up the attack
    EXPECT_DOUBLE_EQ(env.Level(0.1, 1.0), 1.0);   // the peak
    // Half way through the decay a squared fall has covered three quarters of its way.
    EXPECT_NEAR(env.Level(0.2, 1.0), 0.5 + 0.5 * 0.25, 1e-12);
    EXPECT_DOUBLE_EQ(env.Level(0.6, 1.0), 0.5);           // sustain
    EXPECT_NEAR(env.Level(1.2, 1.0), 0.5 * 0.25, 1e-12);  // half way through the release
    EXPECT_NEAR(env.Level(1.4, 1.0), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(env.Length(1.0), 1.4);
}

TEST(Envelope, ANoteLetGoDuringItsAttackFadesFromWhereItGot) {
    const Envelope env(0.2, 0.1, 1.0, 0.1);
    EXPECT_DOUBLE_EQ(env.Level(0.05, 0.05), 0.25);
    EXPECT_LT(env.Level(0.06, 0.05), 0.25);
    EXPECT_NEAR(env.Level(0.15, 0.05), 0.0, 1e-12);
}

TEST(Envelope, ZeroTimesAreClampedSoNothingSteps) {
    const Envelope env(0.0, 0.0, 2.0, 0.0);
    EXPECT_DOUBLE_EQ(env.Attack(), 0.001);
    EXPECT_DOUBLE_EQ(env.Release(), 0.001);
    EXPECT_DOUBLE_EQ(env.Sustain(), 1.0);
}

TEST(Pitch, NoteNamesGiveMidiNumbersAndFrequencies) {
    int midi = 0;
    ASSERT_TRUE(ParseNoteName("a4", &midi));
    EXPECT_EQ(midi, 69);
    ASSERT_TRUE(ParseNoteName("c4", &midi));
    EXPECT_EQ(midi, 60);
    ASSERT_TRUE(ParseNoteName("C#4", &midi));
    EXPECT_EQ(midi, 61);
    ASSERT_TRUE(ParseNoteName("bb3", &midi));
    EXPECT_EQ(midi, 58);
    ASSERT_TRUE(ParseNoteName("cb4", &midi));  // the B below
    EXPECT_EQ(midi, 59);
    EXPECT_DOUBLE_EQ(MidiToFrequency(69), 440.0);
    EXPECT_NEAR(MidiToFrequency(60), 261.6256, 1e-4);
    EXPECT_NEAR(MidiToFrequency(81), 880.0, 1e-9);
    for (const char* bad : {"", "h4", "c", "c#", "c45", "x4"}) {
        EXPECT_FALSE(ParseNoteName(bad, &midi)) << bad;
    }
}

// The gain of the filter for a steady sine of the given frequency.
double FilterGain(FilterMode mode, double cutoff, double frequency) {
    const int rate = 44100;
    SvFilter filter;
    filter.Tune(cutoff, 0.707, rate);
    double peak = 0.0;
    for (int i = 0; i < rate; ++i) {
        const double out =
            filter.Process(std::sin(2.0 * std::numbers::pi * frequency * i / rate), mode);
        if (i > rate / 2) {
            peak = std::max(peak, std::fabs(out));
        }
    }
    return peak;
}

TEST(SvFilter, PassesBelowAndStopsAboveItsCutoff) {
    EXPECT_NEAR(FilterGain(FilterMode::kLowPass, 1000, 100), 1.0, 0.02);
    EXPECT_NEAR(FilterGain(FilterMode::kLowPass, 1000, 1000), 0.707, 0.02);
    EXPECT_LT(FilterGain(FilterMode::kLowPass, 1000, 10000), 0.02);
    EXPECT_LT(FilterGain(FilterMode::kHighPass, 1000, 100), 0.02);
    EXPECT_NEAR(FilterGain(FilterMode::kHighPass, 1000, 10000), 1.0, 0.02);
}

TEST(SoundScript, RendersLayersToTheRequestedPeak) {
    SoundScript script;
    std::string error;
    ASSERT_TRUE(ParseSoundScript("t.sfx",
                                 "; a test\npeak 0.5\nlayer sine pitch 440 at 0 for 0.1\n"
                                 "  env 0.01 0.05 0.5 0.05\n",
                                 &script, &error))
        << error;
    ASSERT_EQ(script.layers.size(), 1u);
    EXPECT_DOUBLE_EQ(script.layers[0].frequency, 440.0);
    const std::vector<float> samples = RenderSoundScript(script);
    EXPECT_NEAR(static_cast<double>(samples.size()), 0.15 * 44100, 1.0);  // until the release ends
    float loudest = 0.0f;
    for (float sample : samples) {
        loudest = std::max(loudest, std::fabs(sample));
    }
    EXPECT_NEAR(loudest, 0.5f, 1e-5f);
    EXPECT_EQ(samples.back(), 0.0f);  // faded out
}

TEST(SoundScript, ErrorsNameTheFileAndLine) {
    SoundScript script;
    std::string error;
    EXPECT_FALSE(ParseSoundScript("x.sfx", "peak 0.5\nlayer wobble\n", &script, &error));
    EXPECT_EQ(error, "x.sfx:2: 'layer' needs a waveform");
    EXPECT_FALSE(ParseSoundScript("x.sfx", "layer sine\n\nenv 1 2\n", &script, &error));
    EXPECT_EQ(error, "x.sfx:3: 'env' takes 4 number(s)");
    EXPECT_FALSE(ParseSoundScript("x.sfx", "pitch 440\n", &script, &error));
    EXPECT_EQ(error, "x.sfx:1: 'pitch' outside a layer");
}

const char* kLoopScore =
    "tempo 120\nbar 4\nbars 2\n"
    "instrument lead triangle env 0.01 0.1 0.7 0.8 amp 0.4\n"
    "pattern tune\n  c4:1 e4 g4 c5:1/2 b4 | a4:4 |\nend\n"
    "track lead tune\n";

TEST(Score, ReadsPatternsIntoTimedNotes) {
    Score score;
    std::string error;
    ASSERT_TRUE(ParseScore("s.score", kLoopScore, &score, &error)) << error;
    EXPECT_DOUBLE_EQ(score.LoopSeconds(), 4.0);
    ASSERT_EQ(score.tracks.size(), 1u);
    const std::vector<ScoreNote>& notes = score.tracks[0].notes;
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[1].midi, 64);
    EXPECT_DOUBLE_EQ(notes[4].beat, 3.5);
    EXPECT_DOUBLE_EQ(notes[4].beats, 0.5);
    EXPECT_DOUBLE_EQ(notes[5].beat, 4.0);
}

TEST(Score, TransposesRepeatsAndRests) {
    Score score;
    std::string error;
    ASSERT_TRUE(ParseScore("s.score",
                           "bar 2\nbars 5\ninstrument a sine\npattern p\n  c4+e4:2 |\nend\n"
                           "track a p~2*2 rest*2 p\n",
                           &score, &error))
        << error;
    const std::vector<ScoreNote>& notes = score.tracks[0].notes;
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[0].midi, 62);
    EXPECT_EQ(notes[1].midi, 66);
    EXPECT_DOUBLE_EQ(notes[2].beat, 2.0);
    EXPECT_DOUBLE_EQ(notes[4].beat, 8.0);
    EXPECT_EQ(notes[4].midi, 60);
}

TEST(Score, ChecksBarLinesAndTrackLengths) {
    Score score;
    std::string error;
    EXPECT_FALSE(ParseScore("s.score",
                            "bar 4\nbars 1\ninstrument a sine\npattern p\n  c4:3 |\nend\n"
                            "track a p\n",
                            &score, &error));
    EXPECT_EQ(error.rfind("s.score:5: bar line after", 0), 0u) << error;
    EXPECT_FALSE(ParseScore("s.score",
                            "bar 4\nbars 2\ninstrument a sine\npattern p\n  c4:4 |\nend\n"
                            "track a p\n",
                            &score, &error));
    EXPECT_EQ(error.rfind("s.score:7: track 'a' lasts 4", 0), 0u) << error;
    EXPECT_FALSE(ParseScore("s.score", "bars 1\ntrack nobody p\n", &score, &error));
    EXPECT_EQ(error, "s.score:2: 'track' takes a defined instrument and patterns");
}

TEST(Score, ARenderedLoopMeetsItself) {
    Score score;
    std::string error;
    ASSERT_TRUE(ParseScore("s.score", kLoopScore, &score, &error)) << error;
    const std::vector<float> loop = RenderScore(score);
    const size_t frames = loop.size() / 2;
    ASSERT_EQ(frames, static_cast<size_t>(4 * score.rate));
    // The last note rings past the end of the loop: its tail is at the start, so the first
    // frame is not silent, and the step from the last frame to the first is a normal one.
    EXPECT_GT(std::fabs(loop[0]), 1e-4f);
    float largestStep = 0.0f;
    for (size_t i = 1; i < frames; ++i) {
        largestStep = std::max(largestStep, std::fabs(loop[2 * i] - loop[2 * (i - 1)]));
    }
    EXPECT_LE(std::fabs(loop[0] - loop[2 * (frames - 1)]), largestStep);
}

TEST(WaveFile, WritesA16BitPcmHeaderAndClipsSamples) {
    const std::string bytes = EncodeWave({0.0f, 1.0f, -2.0f, 0.5f}, 2, 32000);
    ASSERT_EQ(bytes.size(), 44u + 8u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(ToPcm16(1.0f), 32767);
    EXPECT_EQ(ToPcm16(-2.0f), -32768);
    EXPECT_EQ(ToPcm16(0.5f), 16384);
}

}  // namespace
}  // namespace p7synth
