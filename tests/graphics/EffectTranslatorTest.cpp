// The translator's process as the game sees it, with stand-ins for a broken or hostile translator:
// an answer without end, a process that outlives the game, a message that would forge log lines,
// a translator built anew under an old cache.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/util/FileUtil.h"
#include "graphics/EffectCache.h"
#include "graphics/EffectTranslator.h"
#include "graphics/HlslTranslator.h"
#include "support/TempFolder.h"

namespace {

// Only a hang ends a wait sooner: the process under test is never given a time to keep.
constexpr int kHangLimitMs = 120000;
// The descriptor through which a stand-in says it runs, and whose closing says it has ended.
constexpr int kWitnessFd = 9;

class EffectTranslatorTest : public testing::Test {
protected:
    void TearDown() override {
        EffectTranslator::SetProgramForTests("");
        SetAppDataFolder("");
    }
    // A stand-in translator running script under /bin/sh.
    std::string StandIn(const std::string& name, const std::string& script) {
        const std::string path = mTemp.Path() + name;
        std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    // No child left to reap: every translator started was reaped.
    static bool NoChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }
    TempFolder mTemp;
};

// A pipe whose writing end every process started from now on holds as kWitnessFd, until Close.
class Witness {
public:
    Witness() {
        EXPECT_EQ(::fcntl(kWitnessFd, F_GETFD), -1) << "descriptor taken";
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        mRead = ends[0];
        ::dup2(ends[1], kWitnessFd);
        ::close(ends[1]);
    }
    ~Witness() {
        Close();
        ::close(mRead);
    }
    void Close() { ::close(kWitnessFd); }
    // The line the stand-in writes: its pid; 0 on a hang.
    pid_t ReadPid() {
        std::string line;
        char c = 0;
        while (Wait() && ::read(mRead, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line.empty() ? 0 : std::stoi(line);
    }
    // Whether every holder of the writing end has ended.
    bool Ended() {
        char c = 0;
        return Wait() && ::read(mRead, &c, 1) == 0;
    }

private:
    bool Wait() {
        pollfd wait{mRead, POLLIN, 0};
        return ::poll(&wait, 1, kHangLimitMs) == 1;
    }
    int mRead = -1;
};

const char* const kSleeper = "echo $$ >&9\nexec sleep 1000";

}  // namespace

// A translator that writes without end costs that effect and one line; it is killed and reaped
// once its answer is larger than the cache takes, and says nothing of what it is.
TEST_F(EffectTranslatorTest, AnAnswerWithoutEndIsCutAtTheCacheSize) {
    EffectTranslator::SetProgramForTests(StandIn("endless", "exec yes"));
    TranslatedEffect effect;
    std::string error;
    EXPECT_FALSE(EffectTranslator::Translate("source", "properties/endless.hlsl", &effect, &error));
    EXPECT_EQ(error, "the translator's answer is larger than 4 MB");
    EXPECT_EQ(EffectTranslator::Identity(), "");
    EXPECT_TRUE(NoChildLeft());
}

// The translator never outlives the game: a quit kills and reaps the one running, and a game
// killed outright takes it along.
TEST_F(EffectTranslatorTest, TranslatorsEndWithTheGame) {
    EffectTranslator::SetProgramForTests(StandIn("hung", kSleeper));
    {
        Witness witness;
        bool translated = true;
        std::string error;
        std::thread loader([&] {
            TranslatedEffect effect;
            translated = EffectTranslator::Translate("source", "hung.hlsl", &effect, &error);
        });
        const pid_t hung = witness.ReadPid();
        witness.Close();
        EXPECT_NE(hung, 0);
        EffectTranslator::EndRunning();
        loader.join();
        EXPECT_FALSE(translated);
        EXPECT_EQ(error, "the translator was ended as the game quits");
        EXPECT_TRUE(witness.Ended());
        EXPECT_TRUE(NoChildLeft());
    }
    Witness witness;
    const pid_t game = ::fork();
    if (game == 0) {
        TranslatedEffect effect;
        std::string error;
        EffectTranslator::Translate("source", "hung.hlsl", &effect, &error);
        ::_exit(0);
    }
    witness.Close();
    const pid_t hung = witness.ReadPid();
    ASSERT_NE(hung, 0);
    ::kill(game, SIGKILL);
    ASSERT_EQ(::waitpid(game, nullptr, 0), game);
    const bool ended = witness.Ended();
    EXPECT_TRUE(ended) << "the translator outlived the game";
    if (!ended) {
        ::kill(hung, SIGKILL);
    }
}

// Whatever the translator says is one line of the log: control characters escaped, cut short.
TEST_F(EffectTranslatorTest, ATranslatorsMessageIsOneLine) {
    EffectTranslator::SetProgramForTests(
        StandIn("forger",
                "printf 'error first\\nShader effect \"x\": forged\\r\\033[31m\\302\\233 '\n"
                "head -c 2000 /dev/zero | tr '\\0' x"));
    TranslatedEffect effect;
    std::string error;
    EXPECT_FALSE(EffectTranslator::Translate("source", "forger.hlsl", &effect, &error));
    EXPECT_EQ(error.rfind("first\\x0aShader effect \"x\": forged\\x0d\\x1b[31m\\u009b xxx", 0), 0u)
        << error;
    EXPECT_EQ(std::count_if(error.begin(), error.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
              0);
    EXPECT_LT(error.size(), 410u);
    EXPECT_EQ(error.substr(error.size() - 4), "x...");
}

// A cache entry answers only to the translator that made it: one built anew, alone, reports
// another identity and misses; one that reports none neither reads nor writes entries.
TEST_F(EffectTranslatorTest, ATranslatorBuiltAnewMissesTheCache) {
    SetAppDataFolder(mTemp.Path() + "user/");
    TranslatedEffect code;
    code.mVertex.mGlsl = "#version 330\nvoid main() {}\n";
    code.mPixel.mGlsl = code.mVertex.mGlsl;
    const std::string file = "properties/kept.hlsl";
    EffectCache::Write(file, "source", code);
    TranslatedEffect read;
    std::string problem;
    ASSERT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kHit);

    EffectTranslator::SetProgramForTests(StandIn(
        "rebuilt", "[ \"$1\" = --identity ] && echo 'identity rebuilt' || echo 'error rebuilt'"));
    EXPECT_EQ(EffectTranslator::Identity(), "rebuilt");
    EXPECT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kMiss);

    EffectTranslator::SetProgramForTests(StandIn("silent", "exit 0"));
    EXPECT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kMiss);
    EffectCache::Write("properties/silent.hlsl", "source", code);
    EXPECT_FALSE(std::filesystem::exists(EffectCache::PathFor("properties/silent.hlsl")));
}
