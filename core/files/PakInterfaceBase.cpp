#include "core/files/PakInterfaceBase.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/util/StringUtil.h"

struct PFILE {
    FILE* mFile = nullptr;
};

struct PFindHandle {
    std::vector<PFindData> mEntries;
    size_t mNext = 0;
};

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    return parts;
}

// The entry of folder whose name equals component without regard to ASCII case; the smallest
// such name, so that the choice does not depend on the order of the folder listing.
bool FindCaseInsensitive(const std::string& folder, const std::string& component,
                         std::string* match) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0 &&
            (!found || std::strcmp(entry->d_name, match->c_str()) < 0)) {
            *match = entry->d_name;
            found = true;
        }
    }
    ::closedir(dir);
    return found;
}

thread_local std::string tOpenError;  // why the last FOpen of this thread failed

bool IsReadMode(const char* mode) {
    return mode != nullptr && mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

}  // namespace

PakInterfaceBase::~PakInterfaceBase() = default;

PakInterfaceBase* PakInterfaceBase::Get() {
    static PakInterfaceBase instance;
    return &instance;
}

std::string PakInterfaceBase::ResolvePath(const std::string& name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || Exists(path)) {
        return path;
    }
    const std::vector<std::string> parts = SplitComponents(path);
    std::string resolved;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const bool last = i + 1 == parts.size();
        const std::string separator = last ? "" : "/";
        if (part.empty() || part == "." || part == "..") {
            resolved += part + separator;
            continue;
        }
        if (Exists(resolved + part)) {
            resolved += part + separator;
            continue;
        }
        std::string match;
        if (!FindCaseInsensitive(resolved, part, &match)) {
            return path;
        }
        resolved += match + separator;
    }
    return resolved;
}

PFILE* PakInterfaceBase::FOpen(const char* name, const char* mode) {
    tOpenError.clear();
    if (name == nullptr || !IsReadMode(mode)) {
        tOpenError = "only reading is allowed";
        return nullptr;
    }
    const std::string path = ResolvePath(name);
    // Opened without blocking: a FIFO or a device in a file's place must not stop the game before
    // it can even look at what it opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        tOpenError = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        tOpenError = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        tOpenError = "it is a folder";
    } else if (!S_ISREG(info.st_mode)) {
        tOpenError = "it is not a regular file";
    } else if (info.st_size > kMaxFileBytes) {
        tOpenError =
            StrFormat("it is larger than %lld bytes", static_cast<long long>(kMaxFileBytes));
    }
    // A regular file never blocks; stdio does not expect EAGAIN, so reads block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (tOpenError.empty() && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
        tOpenError = std::strerror(errno);
    }
    FILE* file = tOpenError.empty() ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        if (tOpenError.empty()) {
            tOpenError = std::strerror(errno);
        }
        ::close(fd);
        return nullptr;
    }
    return new PFILE{file};
}

std::string PakInterfaceBase::LastOpenError() {
    return tOpenError.empty() ? std::string("no such file") : tOpenError;
}

int PakInterfaceBase::FClose(PFILE* file) {
    if (file == nullptr) {
        return 0;
    }
    const int result = std::fclose(file->mFile);
    delete file;
    return result;
}

int PakInterfaceBase::FSeek(PFILE* file, long offset, int origin) {
    return file ? std::fseek(file->mFile, offset, origin) : -1;
}

long PakInterfaceBase::FTell(PFILE* file) {
    return file ? std::ftell(file->mFile) : -1;
}

size_t PakInterfaceBase::FRead(void* buffer, size_t elementSize, size_t count, PFILE* file) {
    return file ? std::fread(buffer, elementSize, count, file->mFile) : 0;
}

int PakInterfaceBase::FGetC(PFILE* file) {
    return file ? std::fgetc(file->mFile) : EOF;
}

int PakInterfaceBase::UnGetC(int c, PFILE* file) {
    return file ? std::ungetc(c, file->mFile) : EOF;
}

char* PakInterfaceBase::FGetS(char* buffer, int size, PFILE* file) {
    return file ? std::fgets(buffer, size, file->mFile) : nullptr;
}

int PakInterfaceBase::FEof(PFILE* file) {
    return file ? std::feof(file->mFile) : 1;
}

PFindHandle* PakInterfaceBase::FindFirstFile(const char* pattern, PFindData* found) {
    if (pattern == nullptr || found == nullptr) {
        return nullptr;
    }
    std::string full = pattern;
    std::replace(full.begin(), full.end(), '\\', '/');
    const size_t slash = full.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : full.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? full : full.substr(slash + 1);
    const std::string folderPath = folder.empty() ? "." : ResolvePath(folder);
    DIR* dir = ::opendir(folderPath.c_str());
    if (dir == nullptr) {
        return nullptr;
    }
    auto* handle = new PFindHandle;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." ||
            ::fnmatch(leaf.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) != 0) {
            continue;
        }
        struct stat info {};
        const std::string entryPath = folderPath + (folderPath.back() == '/' ? "" : "/") + name;
        const bool isFolder = ::stat(entryPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        handle->mEntries.push_back(PFindData{name, isFolder});
    }
    ::closedir(dir);
    // Listing order differs between file systems; sorted results keep loading repeatable.
    std::sort(handle->mEntries.begin(), handle->mEntries.end(),
              [](const PFindData& a, const PFindData& b) { return a.mName < b.mName; });
    if (!FindNextFile(handle, found)) {
        delete handle;
        return nullptr;
    }
    return handle;
}

bool PakInterfaceBase::FindNextFile(PFindHandle* handle, PFindData* found) {
    if (handle == nullptr || found == nullptr || handle->mNext >= handle->mEntries.size()) {
        return false;
    }
    *found = handle->mEntries[handle->mNext++];
    return true;
}

void PakInterfaceBase::FindClose(PFindHandle* handle) {
    delete handle;
}

bool PakInterfaceBase::GetFileTime(const char* name, int64_t* seconds) {
    if (name == nullptr) {
        return false;
    }
    struct stat info {};
    if (::stat(ResolvePath(name).c_str(), &info) != 0) {
        return false;
    }
    if (seconds != nullptr) {
        *seconds = static_cast<int64_t>(info.st_mtime);
    }
    return true;
}

bool PakInterfaceBase::ReadWholeFile(const std::string& name, std::string* out,
                                     long long maxBytes) {
    maxBytes = std::min(maxBytes, kMaxFileBytes);
    PFILE* file = FOpen(name.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const auto tooLarge = [&] {
        tOpenError = StrFormat("it is larger than %lld bytes", maxBytes);
        FClose(file);
        return false;
    };
    struct stat info {};
    if (::fstat(::fileno(file->mFile), &info) == 0 && info.st_size > maxBytes) {
        return tooLarge();
    }
    std::string data;
    data.reserve(static_cast<size_t>(std::max<off_t>(info.st_size, 0)));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const size_t got = FRead(buffer, 1, sizeof(buffer), file);
        data.append(buffer, got);
        if (data.size() > static_cast<size_t>(maxBytes)) {
            // Grown since it was opened: still never more than the bound.
            return tooLarge();
        }
        if (got < sizeof(buffer)) {
            ok = std::ferror(file->mFile) == 0;
            if (!ok) {
                tOpenError = std::strerror(errno);
            }
            break;
        }
    }
    FClose(file);
    if (!ok) {
        return false;
    }
    if (out != nullptr) {
        *out = std::move(data);
    }
    return true;
}
