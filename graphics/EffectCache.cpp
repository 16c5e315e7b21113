#include "graphics/EffectCache.h"

#include <cstdint>
#include <string_view>

#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/StringUtil.h"
#include "graphics/EffectText.h"
#include "graphics/EffectTranslator.h"
#include "graphics/HlslTranslator.h"

namespace {

const char* const kMagic = "translated-effect";
// FNV-1a over the source and the translator's identity; empty when the translator gives none.
// The translator's own answer rather than the game's build: a translator built or installed
// alone makes other translations, and only it knows the libraries it runs with. Asking costs one
// short run of it per process.
std::string KeyFor(const std::string& source) {
    const std::string identity = EffectTranslator::Identity();
    if (identity.empty()) {
        return std::string();
    }
    uint64_t hash = 14695981039346656037ull;
    for (const std::string* text : {&source, &identity}) {
        for (unsigned char c : *text) {
            hash = (hash ^ c) * 1099511628211ull;
        }
        hash = (hash ^ 0xFFu) * 1099511628211ull;  // "ab"+"c" and "a"+"bc" differ
    }
    return StrFormat("%016llx", static_cast<unsigned long long>(hash));
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
    // "translated-effect <key>", then the stages.
    const std::string magic = std::string(kMagic) + " ";
    const size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos || text.compare(0, magic.size(), magic) != 0 ||
        lineEnd == magic.size() || text.find(' ', magic.size()) < lineEnd) {
        *problem = "'" + path + "' is no translated effect";
        return Lookup::kCorrupt;
    }
    const std::string key = KeyFor(source);
    if (key.empty() || text.compare(magic.size(), lineEnd - magic.size(), key) != 0) {
        return Lookup::kMiss;
    }
    TranslatedEffect read;
    if (!EffectText::Read(std::string_view(text).substr(lineEnd + 1), &read)) {
        *problem = "'" + path + "' is cut off or damaged";
        return Lookup::kCorrupt;
    }
    *out = std::move(read);
    return Lookup::kHit;
}

void EffectCache::Write(const std::string& file, const std::string& source,
                        const TranslatedEffect& effect) {
    const std::string path = PathFor(file);
    const std::string stages = EffectText::Write(effect);
    const std::string key = KeyFor(source);
    if (path.empty() || stages.empty() || key.empty()) {
        return;
    }
    const std::string entry = std::string(kMagic) + " " + key + "\n" + stages;
    if (static_cast<long long>(entry.size()) <= kMostEntryBytes) {
        WriteBufferToFile(path, entry);
    }
}
