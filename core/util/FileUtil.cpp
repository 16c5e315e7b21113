#include "core/util/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>

namespace {

constexpr const char* kStudioFolder = "Pelnora Studio";
constexpr const char* kProductFolder = "Pelnora 7";

std::mutex gFolderMutex;
std::string gAppDataFolder;  // guarded by gFolderMutex; empty until settled

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string ToSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

// The working folder, ending in '/'; empty when it can't be named.
std::string WorkingFolder() {
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    return error ? std::string() : WithSlash(folder);
}

std::string Absolute(const std::string& path) {
    return path.empty() || path[0] == '/' ? path : WorkingFolder() + path;
}

// $HOME made absolute, ending in '/'; empty when HOME is unset or empty.
std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return std::string();
    }
    return WithSlash(Absolute(home));
}

// The data home the XDG rules give: $XDG_DATA_HOME when absolute (a relative value is invalid and
// ignored), else $HOME/.local/share/; empty when neither names a folder.
std::string DataHome() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return WithSlash(dataHome);
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + ".local/share/";
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether path is folder or lies below it, after making both absolute and resolving the links
// and dots of the parts that exist.
bool IsBelow(const std::string& path, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string inner =
        WithSlash(fs::weakly_canonical(Absolute(path), error).lexically_normal().string());
    const std::string outer =
        WithSlash(fs::weakly_canonical(Absolute(folder), error).lexically_normal().string());
    return !error && inner.compare(0, outer.size(), outer) == 0;
}

// XDG_DESKTOP_DIR="$HOME/Desktop" from user-dirs.dirs; empty when absent.
std::string DesktopFromUserDirs() {
    std::string configHome;
    const char* xdgConfig = std::getenv("XDG_CONFIG_HOME");
    if (xdgConfig != nullptr && xdgConfig[0] == '/') {
        configHome = WithSlash(xdgConfig);
    } else if (!HomeFolder().empty()) {
        configHome = HomeFolder() + ".config/";
    } else {
        return std::string();
    }
    std::ifstream file(configHome + "user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        const std::string key = "XDG_DESKTOP_DIR=";
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            std::string home = HomeFolder();
            if (home.empty()) {
                return std::string();
            }
            home.pop_back();
            value = home + value.substr(5);
        }
        return value;
    }
    return std::string();
}

bool WriteAll(int fd, std::string_view data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string GetAppDataFolder() {
    std::lock_guard<std::mutex> lock(gFolderMutex);
    if (gAppDataFolder.empty()) {
        std::string base = DataHome();
        if (base.empty()) {
            // Only reached without SettleAppDataFolder (which stops the game here): still an
            // absolute folder, so that no later change of folder splits the player's files.
            base = WorkingFolder();
        }
        gAppDataFolder = base + kStudioFolder + "/" + kProductFolder + "/";
        MkDir(gAppDataFolder);
    }
    return gAppDataFolder;
}

bool SettleAppDataFolder(const std::string& dataFolder, std::string* error) {
    {
        std::lock_guard<std::mutex> lock(gFolderMutex);
        const std::string folder = !gAppDataFolder.empty() ? gAppDataFolder
                                   : DataHome().empty()
                                       ? std::string()
                                       : DataHome() + kStudioFolder + "/" + kProductFolder + "/";
        // The game's data is the folder that holds "properties/"; the player's files must never
        // land among it (a HOME of "." started from inside it).
        const bool inData = !folder.empty() && IsFolder(WithSlash(dataFolder) + "properties") &&
                            IsBelow(folder, dataFolder);
        if (folder.empty() || inData) {
            if (error != nullptr) {
                *error =
                    "Neither HOME nor XDG_DATA_HOME names a folder for your saved games outside "
                    "the game's data. Please set HOME to your home folder.";
            }
            return false;
        }
    }
    GetAppDataFolder();
    return true;
}

void SetAppDataFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(gFolderMutex);
    gAppDataFolder = WithSlash(Absolute(ToSlashes(folder)));
    if (!gAppDataFolder.empty()) {
        MkDir(gAppDataFolder);
    }
}

bool IsAppDataFolderWritable(std::string* reason) {
    const std::string folder = GetAppDataFolder();
    if (!MkDir(folder)) {
        if (reason != nullptr) {
            *reason = "the folder '" + folder + "' can't be created: " + std::strerror(errno);
        }
        return false;
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        if (reason != nullptr) {
            *reason = "the folder '" + folder + "' can't be written: " + std::strerror(errno);
        }
        return false;
    }
    return true;
}

void RemoveLeftoverTemporaries(const std::string& folder) {
    namespace fs = std::filesystem;
    constexpr std::string_view kMark = ".tmp";
    constexpr size_t kUniqueChars = 6;  // mkstemp's XXXXXX
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        const size_t mark = name.rfind(kMark);
        if (name.size() < 2 || name[0] != '.' || mark == std::string::npos || mark < 2 ||
            name.size() != mark + kMark.size() + kUniqueChars || !it->is_regular_file(error)) {
            continue;
        }
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

std::string GetDesktopFolder() {
    const char* fromEnv = std::getenv("XDG_DESKTOP_DIR");
    if (fromEnv != nullptr && fromEnv[0] == '/' && IsFolder(fromEnv)) {
        return WithSlash(fromEnv);
    }
    const std::string fromFile = DesktopFromUserDirs();
    if (!fromFile.empty() && fromFile[0] == '/' && IsFolder(fromFile)) {
        return WithSlash(fromFile);
    }
    // Never the working folder: once the game has changed into its data, that is the data.
    return HomeFolder();
}

std::string GetFileDir(const std::string& path) {
    const size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool IsRelativeCacheName(const std::string& name) {
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

std::string GetUserCachePath(const std::string& name, const std::string& suffix) {
    if (!IsRelativeCacheName(name)) {
        return std::string();
    }
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return GetAppDataFolder() + "cached/" + relative + suffix;
}

std::string FindLinkBelow(const std::string& base, const std::string& path) {
    const std::string root = WithSlash(ToSlashes(base));
    const std::string full = ToSlashes(path);
    if (full.compare(0, root.size(), root) != 0) {
        return std::string();
    }
    size_t pos = root.size();
    while (pos < full.size()) {
        size_t slash = full.find('/', pos);
        if (slash == std::string::npos) {
            slash = full.size();
        }
        const std::string part = full.substr(0, slash);
        struct stat info {};
        if (::lstat(part.c_str(), &info) != 0) {
            return std::string();  // missing from here on
        }
        if (S_ISLNK(info.st_mode)) {
            return part;
        }
        pos = slash + 1;
    }
    return std::string();
}

bool MkDir(const std::string& path) {
    const std::string folder = ToSlashes(path);
    if (folder.empty()) {
        return true;  // the working folder
    }
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (part.empty() || IsFolder(part)) {
            continue;
        }
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return IsFolder(folder);
}

bool WriteBufferToFile(const std::string& path, std::string_view data) {
    const std::string target = ToSlashes(path);
    const size_t slash = target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) {
        return false;
    }
    if (!folder.empty() && !MkDir(folder)) {
        return false;
    }
    // A leading dot keeps the temporary out of the way of file searches over the folder.
    std::string temp = folder + "." + name + ".tmpXXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    if (::close(fd) != 0) {
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
    }
    if (!ok) {
        const int error = errno;  // the caller's message names the write's failure
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // Sync the folder so that the rename itself survives a crash.
    const std::string folderToSync = folder.empty() ? std::string(".") : folder;
    const int dirFd = ::open(folderToSync.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
