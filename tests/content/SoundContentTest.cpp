// The shipped sound effects and music, read by the game's own audio readers: every sound and
// track the code, the scripts, the set table and tests/content/assets.txt name is in the asset
// catalogue, and every sound it ships is played by something; every file the catalogue names
// decodes; every track lasts at least a minute and its end leads into its start without a click.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ContentTestSupport.h"
#include "audio/MusicSources.h"
#include "audio/PcmData.h"
#include "audio/SoundFileReaders.h"
#include "core/expr/ExprValue.h"
#include "core/expr/NamedConstants.h"
#include "graphics/assets/AssetCatalogue.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

namespace {

using contenttest::ContentTest;
using contenttest::ExpectedAsset;
using contenttest::ReadExpectedAssets;
using contenttest::ScriptVariables;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Extension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

// The texts that follow each `opening` up to the next '"', skipping those a format builds
// ("reveal%d"): those are listed with every value in assets.txt.
std::vector<std::string> QuotedAfter(const std::string& text, const std::string& opening) {
    std::vector<std::string> names;
    for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at)) {
        at += opening.size();
        const size_t end = text.find('"', at);
        if (end == std::string::npos) {
            break;
        }
        const std::string name = text.substr(at, end - at);
        if (!name.empty() && name.find('%') == std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

// A whole track decoded to stereo frames through the game's music decoders.
struct DecodedTrack {
    int rate = 0;
    std::vector<int16_t> stereo;
    size_t Frames() const { return stereo.size() / 2; }
};

bool DecodeTrack(const std::string& path, DecodedTrack* out, std::string* error) {
    std::string bytes = ReadWhole(path);
    std::unique_ptr<MusicSource> source;
    const std::string ext = Extension(path);
    if (ext == "ogg") {
        source = CreateOggMusicSource(std::move(bytes), path, error);
    } else if (ext == "wav") {
        source = CreateWaveMusicSource(std::move(bytes), path, error);
    } else {
        *error = path + ": tracks are shipped as .ogg or .wav";
        return false;
    }
    if (!source) {
        return false;
    }
    out->rate = source->GetRate();
    std::vector<int16_t> block(2 * 4096);
    for (int got; (got = source->Decode(block.data(), 4096, false)) > 0;) {
        out->stereo.insert(out->stereo.end(), block.begin(), block.begin() + 2 * got);
    }
    return true;
}

class SoundContentTest : public ContentTest {
protected:
    void SetUp() override {
        ContentTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        std::string error;
        ASSERT_TRUE(mCatalogue.ReadFile("assets.xml", &error)) << error;
        for (const AssetGroupEntry& group : mCatalogue.GetGroups()) {
            for (const AssetAudioEntry& sound : group.mSounds) {
                mSounds[sound.mName] = sound.mPath;
            }
            for (const AssetAudioEntry& track : group.mTracks) {
                mTracks[track.mName] = track.mPath;
            }
        }
    }

    AssetCatalogue mCatalogue;
    std::map<std::string, std::string> mSounds;  // name -> path
    std::map<std::string, std::string> mTracks;
};

TEST_F(SoundContentTest, EverySoundAndTrackOfTheListIsInTheCatalogue) {
    const std::vector<ExpectedAsset> sounds = ReadExpectedAssets("sound");
    const std::vector<ExpectedAsset> tracks = ReadExpectedAssets("track");
    EXPECT_FALSE(sounds.empty());
    EXPECT_FALSE(tracks.empty());
    for (const ExpectedAsset& want : sounds) {
        EXPECT_TRUE(mSounds.count(want.mName) > 0) << "sound " << want.mName << " (assets.txt line "
                                                   << want.mLine << ") is not in assets.xml";
    }
    for (const ExpectedAsset& want : tracks) {
        EXPECT_TRUE(mTracks.count(want.mName) > 0) << "track " << want.mName << " (assets.txt line "
                                                   << want.mLine << ") is not in assets.xml";
    }
}

TEST_F(SoundContentTest, EverySoundFileDecodesThroughTheSoundReaders) {
    ASSERT_FALSE(mSounds.empty());
    for (const auto& [name, path] : mSounds) {
        PcmData pcm;
        std::string error;
        const std::string ext = Extension(path);
        SoundReadResult result = SoundReadResult::kBad;
        if (ext == "wav") {
            result = ReadWaveFile(path, &pcm, &error);
        } else if (ext == "ogg") {
            result = ReadOggFile(path, &pcm, &error);
        } else {
            ADD_FAILURE() << name << ": " << path << " is neither .wav nor .ogg";
            continue;
        }
        ASSERT_EQ(result, SoundReadResult::kOk) << name << ": " << path << " " << error;
        const SoundSamples samples = MakeSoundSamples(pcm);
        EXPECT_GT(samples.Frames(), 0u) << path;
        // The loudest sample shows the file is not silence; the sound player mixes up to 32
        // voices, so no effect is written at full scale.
        int16_t loudest = 0;
        for (int16_t sample : samples.samples) {
            loudest = std::max<int16_t>(loudest, static_cast<int16_t>(std::abs(sample)));
        }
        EXPECT_GT(loudest, 1000) << path << " is (nearly) silent";
        EXPECT_LT(loudest, 32000) << path << " clips";
    }
}

TEST_F(SoundContentTest, EveryTrackLastsAMinuteAndLoopsWithoutAClick) {
    ASSERT_FALSE(mTracks.empty());
    for (const auto& [name, path] : mTracks) {
        DecodedTrack track;
        std::string error;
        ASSERT_TRUE(DecodeTrack(path, &track, &error)) << name << ": " << error;
        ASSERT_GT(track.rate, 0);
        const double seconds = static_cast<double>(track.Frames()) / track.rate;
        EXPECT_GE(seconds, 60.0) << name << " (" << path << ") lasts only " << seconds << " s";
        ASSERT_GT(track.Frames(), 1024u);
        // The step from the last frame back to the first must look like any other step of the
        // music around it; a loop that does not meet itself jumps far beyond them.
        const size_t frames = track.Frames();
        for (int channel = 0; channel < 2; ++channel) {
            const auto at = [&](size_t frame) { return track.stereo[2 * frame + channel]; };
            int nearby = 0;
            for (size_t i = 1; i < 256; ++i) {
                nearby = std::max(nearby, std::abs(at(i) - at(i - 1)));
                nearby = std::max(nearby, std::abs(at(frames - i) - at(frames - i - 1)));
            }
            const int seam = std::abs(at(0) - at(frames - 1));
            EXPECT_LE(seam, 2 * nearby + 300)
                << name << " channel " << channel << ": the loop jumps by " << seam
                << " where neighbouring steps reach " << nearby;
        }
    }
}

TEST_F(SoundContentTest, EverySetsMusicIsATrack) {
    const std::string sets = ReadWhole("properties/sets7.xml");
    ASSERT_FALSE(sets.empty());
    int count = 0;
    for (const std::string& name : QuotedAfter(sets, "<music name=\"")) {
        ++count;
        EXPECT_TRUE(mTracks.count(name) > 0)
            << "sets7.xml names the track " << name << ", which is not in assets.xml";
    }
    EXPECT_GT(count, 0);
}

TEST_F(SoundContentTest, EverySoundTheCodeNamesExists) {
    // Literal lookups; a name built at run time ("reveal%d") is listed in assets.txt instead.
    for (const auto& [path, source] : contenttest::GameSources()) {
        for (const char* call :
             {"LookupAssetTableB(\"", "LookupAssetTableB2(\"", "PlaySoundEffectByName(\""}) {
            for (const std::string& name : QuotedAfter(source, call)) {
                EXPECT_TRUE(mSounds.count(name) > 0)
                    << path << " plays sound \"" << name << "\", which is not in assets.xml";
            }
        }
    }
}

// Which table a parameter of a script command names, if any.
const char* SoundKindOf(const std::string& command, const std::string& param) {
    static const std::set<std::string> soundCommands = {"sound", "stop-sound", "start-soundloop",
                                                        "stop-soundloop"};
    static const std::set<std::string> trackCommands = {"play-track", "stop-track"};
    static const std::set<std::string> soundParams = {"sound", "sound_down", "sound_over",
                                                      "up_sound", "down_sound"};
    if (param == "name" && soundCommands.count(command) > 0) {
        return "sound";
    }
    if ((param == "name" && trackCommands.count(command) > 0) ||
        (param == "track" && command == "wait-for")) {
        return "track";
    }
    return soundParams.count(param) > 0 ? "sound" : nullptr;
}

TEST_F(SoundContentTest, EverySoundAndTrackAScriptNamesExists) {
    int checked = 0;
    contenttest::ForEachScriptLiteral([&](const std::string& script,
                                          const AnimationCommand& command, const std::string& param,
                                          const std::string& name) {
        const char* kind = SoundKindOf(command.mCommand, param);
        if (kind == nullptr) {
            return;
        }
        ++checked;
        const auto& table = std::string(kind) == "sound" ? mSounds : mTracks;
        EXPECT_TRUE(table.count(name) > 0)
            << "script \"" << script << "\", command " << command.mCommand << ", " << param << ": "
            << kind << " \"" << name << "\" is not in assets.xml";
    });
    RecordProperty("names_checked", checked);
}

// The sound names the code plays or looks up, as the code writes them: a "%d" of a name built
// at run time ("reveal%d") stands for a number.
std::vector<std::string> SoundNamesOfTheCode() {
    std::vector<std::string> names;
    for (const auto& [path, source] : contenttest::GameSources()) {
        for (const char* call :
             {"LookupAssetTableB(\"", "LookupAssetTableB2(\"", "PlaySoundEffectByName(\"",
              "PlaySoundEffectByName(StrFormat(\"", "PlayNamedSample(\"", "FindSound(\""}) {
            const std::string& text = source;
            const size_t length = std::strlen(call);
            for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at)) {
                at += length;
                const size_t end = text.find('"', at);
                if (end == std::string::npos) {
                    break;
                }
                names.push_back(text.substr(at, end - at));
            }
        }
    }
    return names;
}

// Whether name is what the code's written name gives, with a number for its "%d".
bool IsCodeName(const std::string& name, const std::string& written) {
    const size_t number = written.find("%d");
    if (number == std::string::npos) {
        return name == written;
    }
    const std::string before = written.substr(0, number);
    const std::string after = written.substr(number + 2);
    if (name.size() <= before.size() + after.size() ||
        name.compare(0, before.size(), before) != 0 ||
        name.compare(name.size() - after.size(), after.size(), after) != 0) {
        return false;
    }
    const std::string digits =
        name.substr(before.size(), name.size() - before.size() - after.size());
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// A sound that ships and that nothing plays is a silence the player was meant to hear; a file
// the catalogue does not name is weight nobody hears.
TEST_F(SoundContentTest, EveryShippedSoundIsPlayedByAScriptOrTheCode) {
    std::set<std::string> played;
    contenttest::ForEachScriptLiteral([&](const std::string&, const AnimationCommand& command,
                                          const std::string& param, const std::string& name) {
        const char* kind = SoundKindOf(command.mCommand, param);
        if (kind != nullptr && std::string(kind) == "sound" && command.mCommand != "stop-sound") {
            played.insert(name);
        }
    });
    const std::vector<std::string> code = SoundNamesOfTheCode();
    ASSERT_FALSE(mSounds.empty());
    for (const auto& [name, path] : mSounds) {
        bool named = false;
        for (const std::string& written : code) {
            named = named || IsCodeName(name, written);
        }
        EXPECT_TRUE(played.count(name) > 0 || named)
            << "sound " << name << " (" << path
            << ") ships, but no script plays it and the code never names it";
    }
    std::set<std::string> catalogued;
    for (const auto& [name, path] : mSounds) {
        catalogued.insert(std::filesystem::path(path).lexically_normal().string());
    }
    for (const auto& file : std::filesystem::recursive_directory_iterator("sounds")) {
        const std::string path = file.path().lexically_normal().string();
        EXPECT_TRUE(!file.is_regular_file() || catalogued.count(path) > 0)
            << path << " ships, but the catalogue names no sound for it";
    }
}

TEST_F(SoundContentTest, AudioStaysSmall) {
    uintmax_t bytes = 0;
    for (const char* folder : {"sounds", "music"}) {
        if (!std::filesystem::exists(folder)) {
            continue;
        }
        for (const auto& file : std::filesystem::recursive_directory_iterator(folder)) {
            if (file.is_regular_file()) {
                bytes += file.file_size();
            }
        }
    }
    EXPECT_LT(bytes, 20u * 1024 * 1024) << "sounds and music together take " << bytes << " bytes";
}

}  // namespace
