#include "graphics/EffectCache.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/StringUtil.h"
#include "graphics/HlslTranslator.h"

namespace {

const char* const kMagic = "translated-effect";
// More than any effect declares: a larger count is a damaged entry, not a reason to allocate.
constexpr long kMostNames = 4096;
// No entry is written larger (an effect's translation takes some kilobytes): a larger file is
// none of ours and is not read.
constexpr long long kMostEntryBytes = 4 << 20;

// FNV-1a over the source and the translator's build.
std::string KeyFor(const std::string& source) {
    uint64_t hash = 14695981039346656037ull;
    const std::string identity = HlslTranslator::BuildIdentity();
    for (const std::string* text : {&source, &identity}) {
        for (unsigned char c : *text) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        hash = (hash ^ 0xFFu) * 1099511628211ull;  // "ab"+"c" and "a"+"bc" differ
    }
    return StrFormat("%016llx", static_cast<unsigned long long>(hash));
}

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
    explicit EntryReader(const std::string& text) : mText(text) {}

    // The next word up to a blank or the line's end (which it does not take).
    bool Word(std::string* out) {
        size_t end = mAt;
        while (end < mText.size() && mText[end] != ' ' && mText[end] != '\n') {
            ++end;
        }
        if (end == mAt) {
            return false;
        }
        *out = mText.substr(mAt, end - mAt);
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
        *out = mText.substr(mAt, size_t(count));
        mAt += size_t(count);
        return true;
    }
    bool AtEnd() const { return mAt == mText.size(); }

private:
    const std::string& mText;
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

std::string EffectCache::PathFor(const std::string& file) {
    const std::string path = GetUserCachePath(file, ".translated");
    // A link would lead the entries (and the folders made for them) out of the per-user folder.
    return !path.empty() && FindLinkBelow(GetAppDataFolder(), path).empty() ? path : std::string();
}

EffectCache::Lookup EffectCache::Read(const std::string& file, const std::string& source,
                                      TranslatedEffect* out, std::string* problem) {
    const std::string path = PathFor(file);
    std::string text;
    if (path.empty() || !PakInterfaceBase::Get()->ReadWholeFile(path, &text, kMostEntryBytes)) {
        return Lookup::kMiss;
    }
    EntryReader in(text);
    std::string word;
    std::string key;
    if (!in.Word(&word) || word != kMagic || !in.Take(' ') || !in.Word(&key) || !in.Take('\n')) {
        *problem = "'" + path + "' is no translated effect";
        return Lookup::kCorrupt;
    }
    if (key != KeyFor(source)) {
        return Lookup::kMiss;
    }
    TranslatedEffect read;
    if (!ReadStage(in, &read.mVertex) || !ReadStage(in, &read.mPixel) || !in.AtEnd()) {
        *problem = "'" + path + "' is cut off or damaged";
        return Lookup::kCorrupt;
    }
    *out = std::move(read);
    return Lookup::kHit;
}

void EffectCache::Write(const std::string& file, const std::string& source,
                        const TranslatedEffect& effect) {
    const std::string path = PathFor(file);
    if (path.empty() || !Writable(effect.mVertex) || !Writable(effect.mPixel)) {
        return;
    }
    const std::string entry = std::string(kMagic) + " " + KeyFor(source) + "\n" +
                              StageText(effect.mVertex) + StageText(effect.mPixel);
    if (static_cast<long long>(entry.size()) <= kMostEntryBytes) {
        WriteBufferToFile(path, entry);
    }
}
