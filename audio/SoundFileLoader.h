#pragma once
// Loading one sound effect by its base name: the wave cache first, then ".wav", ".ogg" and ".au"
// through the archive file layer; decoded ".ogg" and ".au" sounds are written to the cache.

#include <string>

#include "audio/PcmData.h"

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
