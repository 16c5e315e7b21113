#include <gtest/gtest.h>

#include <filesystem>

#include "app/CommandLine.h"
#include "support/AppTestSupport.h"

TEST(CommandLine, OptionsAndErrors) {
    CommandLineOptions o;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({}, &o, &error));
    EXPECT_TRUE(o.mChangeDir.empty());
    EXPECT_FALSE(o.mScreenSaver);

    ASSERT_TRUE(ParseCommandLine({"-changedir", "/data/game", "-screensaver"}, &o, &error));
    EXPECT_EQ(o.mChangeDir, "/data/game");
    EXPECT_TRUE(o.mScreenSaver);

    EXPECT_FALSE(ParseCommandLine({"-fullscreen"}, &o, &error));
    EXPECT_EQ(error, "Invalid command line parameter: -fullscreen");
    EXPECT_FALSE(ParseCommandLine({"-screensaver", "/p"}, &o, &error));
    EXPECT_EQ(error, "Invalid command line parameter: /p");
    EXPECT_FALSE(ParseCommandLine({"-changedir"}, &o, &error));
    EXPECT_EQ(error, "Invalid command line parameter: -changedir");
}

TEST(CommandLine, DataFolderSearch) {
    TempUserFolder folder;
    const std::string exe = folder.path + "/bin";
    const std::string source = folder.path + "/src/content";
    std::filesystem::create_directories(exe);
    std::filesystem::create_directories(source);
    EXPECT_EQ(FindDataFolder(exe, source), source + "/");
    std::filesystem::create_directories(exe + "/properties");
    EXPECT_EQ(FindDataFolder(exe, source), exe + "/");
    std::filesystem::create_directories(exe + "/content");
    EXPECT_EQ(FindDataFolder(exe + "/", source), exe + "/content/");
    EXPECT_EQ(FindDataFolder("", folder.path + "/missing"), "");
}

TEST(CommandLine, BadOptionStopsBeforeAnyFileIsWritten) {
    TempUserFolder folder;
    QuorAppBase app;
    app.SetCommandLine({"-bogus"});
    EXPECT_FALSE(app.Init());
    EXPECT_NE(app.GetExitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.UserFile("settings.xml")));
    EXPECT_FALSE(std::filesystem::exists(folder.UserFile("instance.lock")));
}
