#include "core/util/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "core/util/FileUtil.h"
#include "core/util/StringUtil.h"

namespace {

// One lock for the log file and for standard error, so that lines from the loading thread and
// the main thread never interleave mid-line.
std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

FILE* gLogFile = nullptr;  // guarded by LogMutex
std::string gLogPath;      // guarded by LogMutex
std::string gLogFolder;    // guarded by LogMutex; empty until settled

// The desktop, else the home folder, else the per-user folder: never the working folder, which is
// the game's data once the game has changed into it.
std::string FindLogFolder() {
    const std::string desktop = GetDesktopFolder();
    return desktop.empty() ? GetAppDataFolder() : desktop;
}

std::string TimePrefix() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::strftime(buffer, sizeof(buffer), "%Y-%m-%d %H:%M:%S ", &local);
    return buffer;
}

// Opened without blocking and kept only when it is a plain file: a FIFO in the log's place would
// stop the game. *why tells why on failure.
FILE* OpenForAppending(const std::string& path, std::string* why) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        *why = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        *why = "it is not a regular file";
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "a");
    if (file == nullptr) {
        *why = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

// Caller holds LogMutex.
void WriteLineLocked(const std::string& text, bool withTime) {
    if (gLogFile == nullptr) {
        return;
    }
    std::string line = withTime ? TimePrefix() + text : text;
    if (line.empty() || line.back() != '\n') {
        line += '\n';
    }
    std::fwrite(line.data(), 1, line.size(), gLogFile);
    // Flushed per line so that the log is complete even when the process dies.
    std::fflush(gLogFile);
}

void WriteStderrLocked(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n') {
        std::fputc('\n', stderr);
    }
}

// Standard error always; the log file too for warnings.
void Emit(const std::string& text, bool toLogFile) {
    std::lock_guard<std::mutex> lock(LogMutex());
    WriteStderrLocked(text);
    if (toLogFile) {
        WriteLineLocked(text, true);
    }
}

}  // namespace

void DebugOutput(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = StrFormatV(format, args);
    va_end(args);
    Emit(text, false);
}

void WriteLogLine(const std::string& text, bool withTime) {
    std::lock_guard<std::mutex> lock(LogMutex());
    WriteLineLocked(text, withTime);
}

void LogWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = StrFormatV(format, args);
    va_end(args);
    Emit(text, true);
}

void SettleLogFolder() {
    const std::string folder = FindLogFolder();
    std::lock_guard<std::mutex> lock(LogMutex());
    gLogFolder = folder;
}

bool StartLogging(const std::string& product, const std::string& version) {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(LogMutex());
        folder = gLogFolder;
    }
    const std::string path = (folder.empty() ? FindLogFolder() : folder) + product + ".log";
    std::lock_guard<std::mutex> lock(LogMutex());
    if (gLogFile != nullptr) {
        std::fclose(gLogFile);
        gLogFile = nullptr;
        gLogPath.clear();
    }
    std::string why;
    gLogFile = OpenForAppending(path, &why);
    if (gLogFile == nullptr) {
        WriteStderrLocked("Could not open the log file '" + path + "': " + why);
        return false;
    }
    gLogPath = path;
    WriteLineLocked(StrFormat("Started %s, version %s", product.c_str(), version.c_str()), true);
    return true;
}

void StopLogging() {
    std::lock_guard<std::mutex> lock(LogMutex());
    if (gLogFile == nullptr) {
        return;
    }
    WriteLineLocked("Stopped Game", true);
    std::fclose(gLogFile);
    gLogFile = nullptr;
    gLogPath.clear();
}

bool IsLogging() {
    std::lock_guard<std::mutex> lock(LogMutex());
    return gLogFile != nullptr;
}

std::string GetLogFilePath() {
    std::lock_guard<std::mutex> lock(LogMutex());
    return gLogPath;
}
