#pragma once
// Translated effect files kept in the per-user folder ("cached/" + the effect file's name +
// ".translated"), so that a start after the first reads each translation instead of running the
// translator on it. An entry holds a key made of its source's text and of the identity the
// translator reports (its own build and its libraries' versions): a changed file, or a translator
// built or installed anew, even alone, misses and is translated anew.

#include <string>

struct TranslatedEffect;

class EffectCache {
public:
    // No entry is written larger (an effect's translation takes some kilobytes): a larger file is
    // none of ours and is not read.
    static constexpr long long kMostEntryBytes = 4 << 20;

    enum class Lookup {
        kHit,
        kMiss,     // no entry, one that could not be read, one of another source or translator, or
                   // a translator that does not say what it is
        kCorrupt,  // an entry that does not read as one (cut off, or written over)
    };

    // The entry of the effect file (a name such as "properties/glow.hlsl"); empty when the
    // per-user folder cannot hold one (a name leading out of it, or a link below it).
    static std::string PathFor(const std::string& file);

    // Reads the entry of file for source into *out. On kCorrupt, *problem names the entry's path
    // and what is wrong.
    static Lookup Read(const std::string& file, const std::string& source, TranslatedEffect* out,
                       std::string* problem);

    // Writes the entry of file for source whole (or not at all); a cache that cannot be written
    // is no error: the next start translates again.
    static void Write(const std::string& file, const std::string& source,
                      const TranslatedEffect& effect);
};
