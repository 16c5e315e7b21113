#include "app/CommandLine.h"

#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLineOptions* out,
                      std::string* error) {
    CommandLineOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-changedir") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                *error = "Invalid command line parameter: " + arg;
                return false;
            }
            options.mChangeDir = args[++i];
        } else if (arg == "-screensaver") {
            options.mScreenSaver = true;
        } else {
            *error = "Invalid command line parameter: " + arg;
            return false;
        }
    }
    *out = options;
    return true;
}

std::string FindDataFolder(const std::string& executableDir, const std::string& sourceContentDir) {
    const std::string exe = WithSlash(executableDir);
    if (!exe.empty() && IsFolder(exe + "content")) {
        return exe + "content/";
    }
    if (!exe.empty() && IsFolder(exe + "properties")) {
        return exe;
    }
    if (IsFolder(sourceContentDir)) {
        return WithSlash(sourceContentDir);
    }
    return std::string();
}
