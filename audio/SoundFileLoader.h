#pragma once
// Loading one sound effect by its base name: the wave cache first, then ".wav", ".ogg" and ".au"
// through the archive file layer; decoded ".ogg" and ".au" sounds are written to the cache.

#include <cstddef>
#include <string>

#include "audio/PcmData.h"

// The largest sound kept in the cache (longer ones are decoded each time): about six minutes of
// 16-bit stereo at 44.1 kHz, far beyond any sound effect. A cache file larger than such a sound
// and its headers is none of ours and is not read.
inline constexpr size_t kMaxCachedPcmBytes = size_t{64} << 20;
inline constexpr long long kMaxCacheFileBytes = kMaxCachedPcmBytes + 4096;

// Where a loaded sound came from.
enum class SoundSource { kNone, kCache, kWave, kOgg, kAu };

// The cache file of a relative name: the per-user data folder + "cached/" + name + ".wav", with
// '\\' turned into '/'. Empty for names that are not relative
// (IsRelativeCacheName).
std::string GetSoundCachePath(const std::string& name);

// Loads name (without extension) in the order of tries; false when every try fails. Malformed
// files are reported with LogWarning and the next try follows. Any thread; concurrent loads of one
// name are safe because cache files are replaced atomically.
bool LoadSoundFile(const std::string& name, PcmData* out, SoundSource* source = nullptr);
