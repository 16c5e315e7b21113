// The effect translator's process (graphics/EffectTranslator.h): reads an effect file's text on
// standard input, translates it and writes "ok" and the translated text, or "error" and why, on
// standard output; asked for its identity instead, it writes "identity" and what its translations
// depend on, which keys the game's cache of them. It bounds itself as the game bounds it, and
// leaves no core file when an effect crashes it.

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "graphics/EffectText.h"
#include "graphics/EffectTranslator.h"
#include "graphics/HlslTranslator.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "The effect translator is run by the game.\n");
        return 2;
    }
    if (std::strcmp(argv[1], EffectTranslator::kIdentityArgument) == 0) {
        const std::string identity = "identity " + HlslTranslator::BuildIdentity() + "\n";
        return std::fwrite(identity.data(), 1, identity.size(), stdout) == identity.size() ? 0 : 1;
    }
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit cpu{EffectTranslator::kMostSeconds, EffectTranslator::kMostSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // The address and thread sanitizers reserve terabytes of address space for their shadow
    // memory; there the game's watch on the resident memory is the bound.
    const rlimit memory{EffectTranslator::kMostBytes, EffectTranslator::kMostBytes};
    setrlimit(RLIMIT_AS, &memory);
#endif
    const std::string source((std::istreambuf_iterator<char>(std::cin)),
                             std::istreambuf_iterator<char>());
    TranslatedEffect effect;
    std::string error;
    std::string text;
    if (HlslTranslator::Translate(source, argv[1], &effect, &error)) {
        text = EffectText::Write(effect);
        if (text.empty()) {
            error = "the translation names something with a blank or a control character";
        }
    }
    const std::string answer = text.empty() ? "error " + error + "\n" : "ok\n" + text;
    return std::fwrite(answer.data(), 1, answer.size(), stdout) == answer.size() && !text.empty()
               ? 0
               : 1;
}
