#include "audio/SoundFileLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "audio/SoundFileReaders.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/Log.h"

namespace {

// Warns about a malformed file once per read and about a cut-off one once per run, which plays
// what it has; a missing or stale file is an ordinary miss.
bool Accept(SoundReadResult result, const std::string& error, const std::string& path) {
    if (result == SoundReadResult::kBad) {
        LogWarning("%s", error.c_str());
    } else if (result == SoundReadResult::kCutOff) {
        LogCutOffFile("Sound file", path);
    }
    return result == SoundReadResult::kOk || result == SoundReadResult::kCutOff;
}

// The per-user folder where a cache write failed (a read-only or full folder, a file-size limit):
// the cache is only a shortcut, so the game plays on decoding each sound instead of failing
// again per sound.
std::mutex gCacheOffMutex;
std::string gCacheOffFolder;  // guarded by gCacheOffMutex

bool IsCacheOff() {
    std::lock_guard<std::mutex> lock(gCacheOffMutex);
    return !gCacheOffFolder.empty() && gCacheOffFolder == GetAppDataFolder();
}

// True the first time for the folder.
bool TurnCacheOff() {
    std::lock_guard<std::mutex> lock(gCacheOffMutex);
    const std::string folder = GetAppDataFolder();
    if (gCacheOffFolder == folder) {
        return false;
    }
    gCacheOffFolder = folder;
    return true;
}

void WriteCache(const std::string& cachePath, const std::string& sourcePath, const PcmData& pcm) {
    if (cachePath.empty() || sourcePath.size() > 255 || IsCacheOff() ||
        pcm.bytes.size() > kMaxCachedPcmBytes) {
        return;  // no cache entry rather than one whose source can't be checked or too large
    }
    int64_t time = 0;
    if (!PakInterfaceBase::Get()->GetFileTime(sourcePath.c_str(), &time)) {
        time = 0;
    }
    if (!WriteBufferToFile(cachePath, BuildWaveData(pcm, sourcePath, time)) && TurnCacheOff()) {
        DebugOutput("Could not write the sound cache file '%s' (%s); sounds are not cached\n",
                    cachePath.c_str(), std::strerror(errno));
    }
}

// A link anywhere below the per-user folder would lead cache writes (and the folders made for them)
// out of it: such a cache is not used at all.
bool CacheHasLink(const std::string& cachePath) {
    const std::string link = FindLinkBelow(GetAppDataFolder(), cachePath);
    if (link.empty()) {
        return false;
    }
    if (TurnCacheOff()) {
        LogWarning("'%s' is a link, so sounds are not cached: the cache stays inside '%s'",
                   link.c_str(), GetAppDataFolder().c_str());
    }
    return true;
}

}  // namespace

std::string GetSoundCachePath(const std::string& name) {
    return GetUserCachePath(name, ".wav");
}

bool LoadSoundFile(const std::string& name, PcmData* out, SoundSource* source) {
    SoundSource found = SoundSource::kNone;
    std::string error;
    std::string cachePath = GetSoundCachePath(name);
    if (!cachePath.empty() && CacheHasLink(cachePath)) {
        cachePath.clear();
    }
    if (!cachePath.empty()) {
        const SoundReadResult cached = ReadWaveFile(cachePath, out, &error, kMaxCacheFileBytes);
        if (cached == SoundReadResult::kOk) {
            found = SoundSource::kCache;
        } else {
            if (cached == SoundReadResult::kBad) {
                DebugOutput("%s; decoding the source again\n", error.c_str());
            } else if (cached == SoundReadResult::kCutOff) {
                DebugOutput("Sound cache file '%s' is cut off; decoding the source again\n",
                            cachePath.c_str());
            }
            MkDir(GetFileDir(cachePath));
        }
    }
    if (found == SoundSource::kNone) {
        const std::string path = name + ".wav";
        if (Accept(ReadWaveFile(path, out, &error), error, path)) {
            found = SoundSource::kWave;
        }
    }
    const struct {
        const char* extension;
        SoundReadResult (*read)(const std::string&, PcmData*, std::string*);
        SoundSource source;
    } decoded[] = {{".ogg", ReadOggFile, SoundSource::kOgg}, {".au", ReadAuFile, SoundSource::kAu}};
    for (const auto& format : decoded) {
        if (found != SoundSource::kNone) {
            break;
        }
        const std::string path = name + format.extension;
        const SoundReadResult result = format.read(path, out, &error);
        if (Accept(result, error, path)) {
            found = format.source;
            if (result == SoundReadResult::kOk) {
                // A cut-off file is decoded again each run, so its log line comes back until
                // the file is mended.
                WriteCache(cachePath, path, *out);
            }
        }
    }
    if (source) {
        *source = found;
    }
    return found != SoundSource::kNone;
}
