#include "graphics/EffectText.h"

#include <cctype>
#include <cstdlib>

#include "core/util/StringUtil.h"
#include "graphics/HlslTranslator.h"

namespace {

// More than any effect declares: a larger count is a damaged text, not a reason to allocate.
constexpr long kMostNames = 4096;

bool IsName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    for (unsigned char c : name) {
        if (std::isspace(c) || std::iscntrl(c)) {
            return false;
        }
    }
    return true;
}

// Reads an entry's text; each step false at the first thing out of place.
class EntryReader {
public:
    explicit EntryReader(std::string_view text) : mText(text) {}

    // The next word up to a blank or the line's end (which it does not take).
    bool Word(std::string* out) {
        size_t end = mAt;
        while (end < mText.size() && mText[end] != ' ' && mText[end] != '\n') {
            ++end;
        }
        if (end == mAt) {
            return false;
        }
        *out = std::string(mText.substr(mAt, end - mAt));
        mAt = end;
        return true;
    }
    bool Number(long most, long* out) {
        std::string word;
        if (!Word(&word) || word.size() > 9 || word.find_first_not_of("0123456789") != word.npos) {
            return false;
        }
        *out = std::strtol(word.c_str(), nullptr, 10);
        return *out <= most;
    }
    bool Take(char c) {
        if (mAt >= mText.size() || mText[mAt] != c) {
            return false;
        }
        ++mAt;
        return true;
    }
    bool Bytes(long count, std::string* out) {
        if (size_t(count) > mText.size() - mAt) {
            return false;
        }
        *out = std::string(mText.substr(mAt, size_t(count)));
        mAt += size_t(count);
        return true;
    }
    bool AtEnd() const { return mAt == mText.size(); }

private:
    std::string_view mText;
    size_t mAt = 0;
};

// "stage <registers or -> <register count> <constants> <samplers> <text bytes>", a line
// "<name> <first float>" per constant, a line per sampler, then the text and a line end.
bool ReadStage(EntryReader& in, TranslatedStage* out) {
    std::string word;
    long registers = 0;
    long constants = 0;
    long samplers = 0;
    long bytes = 0;
    if (!in.Word(&word) || word != "stage" || !in.Take(' ') || !in.Word(&out->mRegisters) ||
        !in.Take(' ') || !in.Number(kMostNames, &registers) || !in.Take(' ') ||
        !in.Number(kMostNames, &constants) || !in.Take(' ') || !in.Number(kMostNames, &samplers) ||
        !in.Take(' ') || !in.Number(999999999, &bytes) || !in.Take('\n')) {
        return false;
    }
    if (out->mRegisters == "-") {
        out->mRegisters.clear();
    }
    out->mRegisterCount = int(registers);
    for (long i = 0; i < constants; ++i) {
        long first = 0;
        if (!in.Word(&word) || !in.Take(' ') || !in.Number(registers * 4, &first) ||
            !in.Take('\n')) {
            return false;
        }
        out->mConstants[word] = int(first);
    }
    for (long i = 0; i < samplers; ++i) {
        if (!in.Word(&word) || !in.Take('\n')) {
            return false;
        }
        out->mSamplers.push_back(word);
    }
    return in.Bytes(bytes, &out->mGlsl) && in.Take('\n');
}

std::string StageText(const TranslatedStage& stage) {
    std::string text = StrFormat(
        "stage %s %d %zu %zu %zu\n", stage.mRegisters.empty() ? "-" : stage.mRegisters.c_str(),
        stage.mRegisterCount, stage.mConstants.size(), stage.mSamplers.size(), stage.mGlsl.size());
    for (const auto& [name, first] : stage.mConstants) {
        text += StrFormat("%s %d\n", name.c_str(), first);
    }
    for (const std::string& sampler : stage.mSamplers) {
        text += sampler + "\n";
    }
    return text + stage.mGlsl + "\n";
}

bool Writable(const TranslatedStage& stage) {
    if (!stage.mRegisters.empty() && !IsName(stage.mRegisters)) {
        return false;
    }
    for (const auto& [name, first] : stage.mConstants) {
        if (!IsName(name)) {
            return false;
        }
    }
    for (const std::string& sampler : stage.mSamplers) {
        if (!IsName(sampler)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string EffectText::Write(const TranslatedEffect& effect) {
    if (!Writable(effect.mVertex) || !Writable(effect.mPixel)) {
        return std::string();
    }
    return StageText(effect.mVertex) + StageText(effect.mPixel);
}

bool EffectText::Read(std::string_view text, TranslatedEffect* out) {
    EntryReader in(text);
    TranslatedEffect read;
    if (!ReadStage(in, &read.mVertex) || !ReadStage(in, &read.mPixel) || !in.AtEnd()) {
        return false;
    }
    *out = std::move(read);
    return true;
}
