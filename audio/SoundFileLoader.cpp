#include "audio/SoundFileLoader.h"

#include <algorithm>

#include "audio/SoundFileReaders.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/Log.h"

namespace {

// Warns about a malformed file once per read; a missing or stale file is an ordinary miss.
bool Accept(SoundReadResult result, const std::string& error) {
    if (result == SoundReadResult::kBad) {
        LogWarning("%s", error.c_str());
    }
    return result == SoundReadResult::kOk;
}

void WriteCache(const std::string& cachePath, const std::string& sourcePath, const PcmData& pcm) {
    if (cachePath.empty() || sourcePath.size() > 255) {
        return;  // no cache entry rather than one whose source can't be checked
    }
    int64_t time = 0;
    if (!PakInterfaceBase::Get()->GetFileTime(sourcePath.c_str(), &time)) {
        time = 0;
    }
    if (!WriteBufferToFile(cachePath, BuildWaveData(pcm, sourcePath, time))) {
        DebugOutput("Could not write the sound cache file '%s'\n", cachePath.c_str());
    }
}

}  // namespace

bool IsRelativeSoundName(const std::string& name) {
    if (name.size() <= 2 || name[0] == '\\' || name[0] == '/' || name[1] == ':') {
        return false;
    }
    std::string folder;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            if (folder == "..") {
                return false;
            }
            folder.clear();
        } else {
            folder.push_back(name[i]);
        }
    }
    return true;
}

std::string GetSoundCachePath(const std::string& name) {
    if (!IsRelativeSoundName(name)) {
        return std::string();
    }
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return GetAppDataFolder() + "cached/" + relative + ".wav";
}

bool LoadSoundFile(const std::string& name, PcmData* out, SoundSource* source) {
    SoundSource found = SoundSource::kNone;
    std::string error;
    const std::string cachePath = GetSoundCachePath(name);
    if (!cachePath.empty()) {
        const SoundReadResult cached = ReadWaveFile(cachePath, out, &error);
        if (cached == SoundReadResult::kOk) {
            found = SoundSource::kCache;
        } else {
            if (cached == SoundReadResult::kBad) {
                DebugOutput("%s; decoding the source again\n", error.c_str());
            }
            MkDir(GetFileDir(cachePath));
        }
    }
    if (found == SoundSource::kNone && Accept(ReadWaveFile(name + ".wav", out, &error), error)) {
        found = SoundSource::kWave;
    }
    if (found == SoundSource::kNone && Accept(ReadOggFile(name + ".ogg", out, &error), error)) {
        found = SoundSource::kOgg;
        WriteCache(cachePath, name + ".ogg", *out);
    }
    if (found == SoundSource::kNone && Accept(ReadAuFile(name + ".au", out, &error), error)) {
        found = SoundSource::kAu;
        WriteCache(cachePath, name + ".au", *out);
    }
    if (source) {
        *source = found;
    }
    return found != SoundSource::kNone;
}
