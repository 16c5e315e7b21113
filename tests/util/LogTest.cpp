#include "core/util/Log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/util/FileUtil.h"
#include "support/TempFolder.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(Log, DesktopFolderFromEnvironmentOrUserDirs) {
    TempFolder temp;
    ::mkdir((temp.Path() + "desk").c_str(), 0755);
    ::mkdir((temp.Path() + "home").c_str(), 0755);
    ::mkdir((temp.Path() + "home/Schreibtisch").c_str(), 0755);
    ::mkdir((temp.Path() + "config").c_str(), 0755);
    std::ofstream(temp.Path() + "config/user-dirs.dirs")
        << "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
           "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";

    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", (temp.Path() + "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (temp.Path() + "config").c_str(), 1);
    ::setenv("XDG_DESKTOP_DIR", (temp.Path() + "desk").c_str(), 1);
    EXPECT_EQ(GetDesktopFolder(), temp.Path() + "desk/");
    ::unsetenv("XDG_DESKTOP_DIR");
    EXPECT_EQ(GetDesktopFolder(), temp.Path() + "home/Schreibtisch/");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(GetDesktopFolder(), temp.Path() + "home/");
    ::setenv("HOME", oldHome.c_str(), 1);
}

TEST(Log, LogFileOnDesktopWithStartAndStopLines) {
    TempFolder temp;
    ::setenv("XDG_DESKTOP_DIR", temp.Path().c_str(), 1);

    WriteLogLine("before start");  // logging off: goes nowhere
    EXPECT_FALSE(IsLogging());
    ASSERT_TRUE(StartLogging("Pelnora 7", "v1.2"));
    EXPECT_TRUE(IsLogging());
    EXPECT_EQ(GetLogFilePath(), temp.Path() + "Pelnora 7.log");
    WriteLogLine("plain line", false);
    WriteLogLine("timed line", true);
    LogWarning("Bad thing on Line %d in File '%s'", 3, "x.xml");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) {
                WriteLogLine("thread " + std::to_string(t) + " line " + std::to_string(i), false);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    StopLogging();
    EXPECT_FALSE(IsLogging());
    WriteLogLine("after stop");

    const std::string log = ReadFile(temp.Path() + "Pelnora 7.log");
    EXPECT_EQ(log.find("before start"), std::string::npos);
    EXPECT_EQ(log.find("after stop"), std::string::npos);
    EXPECT_NE(log.find("Started Pelnora 7, version v1.2\n"), std::string::npos);
    EXPECT_NE(log.find("\nplain line\n"), std::string::npos);
    EXPECT_NE(log.find(" timed line\n"), std::string::npos);
    EXPECT_NE(log.find("Bad thing on Line 3 in File 'x.xml'\n"), std::string::npos);
    EXPECT_NE(log.find("Stopped Game\n"), std::string::npos);
    // Every thread line arrives whole, on a line of its own.
    std::istringstream lines(log);
    std::string line;
    int threadLines = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("thread ", 0) == 0) {
            ++threadLines;
            EXPECT_NE(line.find(" line "), std::string::npos) << line;
        }
    }
    EXPECT_EQ(threadLines, 200);

    // A second run appends.
    ASSERT_TRUE(StartLogging("Pelnora 7", "v1.3"));
    StopLogging();
    const std::string again = ReadFile(temp.Path() + "Pelnora 7.log");
    EXPECT_EQ(again.rfind(log, 0), 0u);
    EXPECT_NE(again.find("version v1.3"), std::string::npos);

    // No desktop and no home folder: logging stays off.
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DESKTOP_DIR", (temp.Path() + "missing/").c_str(), 1);
    ::setenv("HOME", (temp.Path() + "nohome").c_str(), 1);
    EXPECT_FALSE(StartLogging("Pelnora 7", "v1.2"));
    EXPECT_FALSE(IsLogging());
    ::unsetenv("XDG_DESKTOP_DIR");
    ::setenv("HOME", oldHome.c_str(), 1);
}

// The log's folder is settled before the game changes into its data folder and is never the
// working folder: without HOME it is the per-user folder, and a relative HOME is taken as the
// player started the game. Nothing lands in the data folder.
TEST(Log, TheLogFolderIsSettledBeforeTheGameChangesIntoItsData) {
    TempFolder temp;
    ::mkdir((temp.Path() + "data").c_str(), 0755);
    ::mkdir((temp.Path() + "home").c_str(), 0755);
    const auto oldCwd = std::filesystem::current_path();
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::unsetenv("XDG_DESKTOP_DIR");
    ::unsetenv("XDG_CONFIG_HOME");
    SetAppDataFolder(temp.Path() + "user");
    const struct {
        const char* home;  // null: unset
        std::string logFolder;
    } cases[] = {
        {nullptr, temp.Path() + "user/"},
        {"home", temp.Path() + "home/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.home != nullptr ? c.home : "no HOME");
        c.home != nullptr ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
        ASSERT_EQ(::chdir(temp.Path().c_str()), 0);
        SettleLogFolder();
        ASSERT_EQ(::chdir((temp.Path() + "data").c_str()), 0);
        ASSERT_TRUE(StartLogging("Pelnora 7", "v1.2"));
        EXPECT_EQ(GetLogFilePath(), c.logFolder + "Pelnora 7.log");
        StopLogging();
        EXPECT_TRUE(std::filesystem::is_empty(temp.Path() + "data"));
    }
    std::filesystem::current_path(oldCwd);
    ::setenv("HOME", oldHome.c_str(), 1);
}
