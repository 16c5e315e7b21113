#pragma once
// A temporary per-user folder for one test, and an application on a manual clock with no window.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/QuorAppBase.h"
#include "core/util/FileUtil.h"
#include "platform/ManualClock.h"
#include "support/TempFolder.h"

// A temporary folder whose "user/" is the per-user data folder.
class TempUserFolder {
public:
    TempUserFolder() : path(mFolder.Path().substr(0, mFolder.Path().size() - 1)) {
        SetAppDataFolder(path + "/user");
    }
    std::string UserFile(const std::string& name) const { return path + "/user/" + name; }

private:
    TempFolder mFolder;  // before path: path is taken from it

public:
    const std::string path;  // without the trailing '/'
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Runs steps until the loading thread has finished and its completion step ran. The thread may
// take a while on a busy machine: up to a minute of waiting for it.
inline void FinishLoading(QuorAppBase& app, ManualClock& clock) {
    for (int i = 0; i < 60000 && !app.IsLoadingComplete(); ++i) {
        if (app.GetLoadingThreadProgress() < 1.0f) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        clock.Advance(10);
        app.MainLoopStep();
    }
    ASSERT_TRUE(app.IsLoadingComplete());
}
