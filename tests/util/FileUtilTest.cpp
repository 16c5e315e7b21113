#include "core/util/FileUtil.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

}  // namespace

TEST(FileUtil, FolderFunctions) {
    EXPECT_EQ(GetFileDir("a/b/c.xml"), "a/b/");
    EXPECT_EQ(GetFileDir("cached\\wave.wav"), "cached\\");
    EXPECT_EQ(GetFileDir("a/b\\c"), "a/b\\");
    EXPECT_EQ(GetFileDir("plain.txt"), "");

    TempFolder temp;
    const std::string deep = temp.Path() + "one/two\\three";
    EXPECT_TRUE(MkDir(deep));
    EXPECT_TRUE(MkDir(deep));  // already there
    struct stat info {};
    EXPECT_EQ(::stat((temp.Path() + "one/two/three").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    std::ofstream(temp.Path() + "file") << "x";
    EXPECT_FALSE(MkDir(temp.Path() + "file/below"));
}

TEST(FileUtil, AppDataFolderFollowsXdgDataHome) {
    TempFolder temp;
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", temp.Path().c_str(), 1);
    SetAppDataFolder("");
    const std::string folder = GetAppDataFolder();
    EXPECT_EQ(folder, temp.Path() + "Pelnora Studio/Pelnora 7/");
    struct stat info {};
    EXPECT_EQ(::stat(folder.c_str(), &info), 0) << "created on first use";

    SetAppDataFolder(temp.Path() + "custom");
    EXPECT_EQ(GetAppDataFolder(), temp.Path() + "custom/");

    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    SetAppDataFolder("");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        const std::string homeFolder = home;
        EXPECT_EQ(GetAppDataFolder().rfind(homeFolder, 0), 0u);
        EXPECT_NE(GetAppDataFolder().find("/.local/share/Pelnora Studio/Pelnora 7/"),
                  std::string::npos);
    }
    if (old) {
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    SetAppDataFolder(temp.Path() + "custom");  // keep later tests out of the real home
}

// The per-user folder never lies inside the game's data (a HOME of "." started from inside it):
// the game stops with the same message as without any HOME, and nothing is created.
TEST(FileUtil, APerUserFolderInsideTheGameDataIsRefused) {
    TempFolder temp;
    const std::string data = temp.Path() + "content";
    ASSERT_TRUE(MkDir(data + "/properties"));
    ASSERT_TRUE(MkDir(temp.Path() + "home"));
    const auto oldCwd = std::filesystem::current_path();
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    ::unsetenv("XDG_DATA_HOME");
    const struct {
        const char* home;  // null: unset
        const char* xdg;   // null: unset
        bool settled;
    } cases[] = {
        {".", nullptr, false},     {"../content/properties", nullptr, false},
        {nullptr, "./sub", false},  // a relative XDG_DATA_HOME is ignored: no folder at all
        {nullptr, nullptr, false}, {"../home", nullptr, true},
    };
    std::string refusal;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.home != nullptr ? c.home : "-") + " " +
                     (c.xdg != nullptr ? c.xdg : "-"));
        c.home != nullptr ? ::setenv("HOME", c.home, 1) : ::unsetenv("HOME");
        c.xdg != nullptr ? ::setenv("XDG_DATA_HOME", c.xdg, 1) : ::unsetenv("XDG_DATA_HOME");
        ASSERT_EQ(::chdir(data.c_str()), 0);  // started from inside the data
        SetAppDataFolder("");
        std::string error;
        EXPECT_EQ(SettleAppDataFolder(".", &error), c.settled) << error;
        if (!c.settled) {
            EXPECT_NE(error.find("HOME"), std::string::npos);
            EXPECT_TRUE(refusal.empty() || error == refusal) << "one message for every refusal";
            refusal = error;
        }
        EXPECT_EQ(ListFolder(data), std::vector<std::string>{"properties"});
        EXPECT_TRUE(ListFolder(data + "/properties").empty());
    }
    struct stat info {};
    EXPECT_EQ(::stat((temp.Path() + "home/.local/share/Pelnora Studio/Pelnora 7").c_str(), &info),
              0);
    std::filesystem::current_path(oldCwd);
    oldHome != nullptr ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
    oldXdg != nullptr ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1)
                      : ::unsetenv("XDG_DATA_HOME");
    SetAppDataFolder(temp.Path() + "custom");  // keep later tests out of the real home
}

TEST(WriteBufferToFile, WritesWholeFileAndReplacesAtomically) {
    TempFolder temp;
    const std::string path = temp.Path() + "sub/dir/profiles.xml";
    ASSERT_TRUE(WriteBufferToFile(path, "first"));
    EXPECT_EQ(ReadFile(path), "first");
    ASSERT_TRUE(WriteBufferToFile(path, std::string("se\0cond", 7)));
    EXPECT_EQ(ReadFile(path), std::string("se\0cond", 7));
    ASSERT_TRUE(WriteBufferToFile(path, ""));
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(ListFolder(temp.Path() + "sub/dir"), std::vector<std::string>{"profiles.xml"});

    // Backslash separators as the sound cache writes them.
    ASSERT_TRUE(WriteBufferToFile(temp.Path() + "cached\\a.wav", "wave"));
    EXPECT_EQ(ReadFile(temp.Path() + "cached/a.wav"), "wave");

    // A replaced file keeps its mode; a new one is not world-writable.
    ::chmod(path.c_str(), 0600);
    ASSERT_TRUE(WriteBufferToFile(path, "again"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((temp.Path() + "cached/a.wav").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0002, 0u);

    EXPECT_FALSE(WriteBufferToFile(temp.Path() + "sub/", "no name"));
}

TEST(WriteBufferToFile, OldFileSurvivesAFailedWrite) {
    TempFolder temp;
    const std::string path = temp.Path() + "settings.xml";
    ASSERT_TRUE(WriteBufferToFile(path, "old content"));

    // A write that fails half way: the file-size limit stops it (works for root too, unlike
    // folder rights).
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteBufferToFile(path, std::string(64 * 1024, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(ListFolder(temp.Path()), std::vector<std::string>{"settings.xml"})
        << "no temporary file is left behind";

    // The target is a folder: the rename fails, nothing is left behind.
    ASSERT_TRUE(MkDir(temp.Path() + "taken/inside"));
    EXPECT_FALSE(WriteBufferToFile(temp.Path() + "taken", "x"));
    EXPECT_EQ(ListFolder(temp.Path()).size(), 2u);
}

TEST(WriteBufferToFile, ReadOnlyFolderKeepsOldFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder rights do not stop root; the size-limit case covers the failure";
    }
    TempFolder temp;
    const std::string folder = temp.Path() + "locked/";
    ASSERT_TRUE(MkDir(folder));
    ASSERT_TRUE(WriteBufferToFile(folder + "f.txt", "old"));
    ::chmod(folder.c_str(), 0555);
    EXPECT_FALSE(WriteBufferToFile(folder + "f.txt", "new"));
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadFile(folder + "f.txt"), "old");
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"f.txt"});
}
