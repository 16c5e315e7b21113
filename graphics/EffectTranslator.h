#pragma once
// Runs the effect translator (HlslTranslator) in a process of its own, "pelnora7-translator"
// beside the game's executable, so that an effect file it cannot take (nesting deep enough to
// overflow its stack, macros that swell to gigabytes) costs that effect and one log line, never
// the game, its memory or its exit. The process gets the source on its standard input and answers
// on its standard output; it is ended when it takes more memory or time than any effect needs, or
// answers more than the effect cache takes, and it never outlives the game: it gets SIGKILL when
// the game dies, and a quit ends the ones running (EndRunning).

#include <string>

struct TranslatedEffect;

class EffectTranslator {
public:
    // The translator's bounds: resident memory, and time (processor time in the process itself,
    // waiting time here).
    static constexpr long long kMostBytes = 1LL << 30;
    static constexpr int kMostSeconds = 30;
    // The name of the translator's executable.
    static constexpr const char* kProgramName = "pelnora7-translator";
    // Translate's message for a translation that EndRunning ended.
    static constexpr const char* kEndedAtQuit = "the translator was ended as the game quits";
    // The argument that asks the translator for its identity instead of a translation.
    static constexpr const char* kIdentityArgument = "--identity";

    // Translates source (fileName names it in messages) as HlslTranslator::Translate does, in the
    // translator process. On failure answers false with *error saying why in one line: the
    // translator's own message, or that it crashed, was ended at a bound or is missing. Any thread.
    static bool Translate(const std::string& source, const std::string& fileName,
                          TranslatedEffect* out, std::string* error);
    // What the translator says it is (its build and its libraries), asked once per process; empty
    // when it is missing or gives no such answer. Any thread.
    static std::string Identity();
    // Kills the translators running now (the game is quitting) and waits, a second at most, until
    // the threads that started them have reaped them; each of those translations fails. Any
    // thread.
    static void EndRunning();
    // Runs program in place of the translator beside the game; empty goes back to it (tests).
    static void SetProgramForTests(const std::string& program);
};
