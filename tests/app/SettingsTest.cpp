// "settings.xml": round trip, bad values, and a file that can't be read (defaults, a log line,
// and the file kept until the player changes something).

#include <sys/stat.h>

#include <cmath>
#include <map>
#include "support/AppTestSupport.h"

#include "app/AppSettings.h"

TEST(Settings, RoundTripKeepsEveryField) {
    TempUserFolder folder;
    AppSettings s;
    s.mVersion = "v1.2";
    s.mSfxVolume = 0.25;
    s.mChannelVolumes = {{"music", 0.5}, {"ambience", 0.125}};
    s.mMouseSpeed = 17;
    s.mWindowed = false;
    s.mStretchScreen = true;
    s.mPreferredWidth = 1280;
    s.mPreferredHeight = 960;
    s.mWaitForVSync = true;
    s.mInProgress = true;
    s.mCustomCursors = false;
    const std::string path = folder.UserFile("settings.xml");
    ASSERT_TRUE(WriteBufferToFile(path, SettingsToXml(s)));
    AppSettings back;
    std::string error;
    bool missing = true;
    ASSERT_TRUE(ReadSettingsFile(path, &back, &error, &missing)) << error;
    EXPECT_FALSE(missing);
    EXPECT_EQ(back, s);
}

TEST(Settings, ChannelNamesNoAttributeCanCarryStayOutOfTheFile) {
    // Channel names come from scripts; one that is not an XML name (or that would write a second
    // "sfx-volume") used to make the whole file unreadable on the next start.
    TempUserFolder folder;
    AppSettings s;
    s.mVersion = "v1.2 <\"beta\">";
    s.mSfxVolume = 0.25;
    s.mChannelVolumes = {{"music", 0.5},   {"sfx", 0.1}, {"my music", 0.2},
                         {"a\"=\"1", 0.3}, {"2nd", 0.4}, {"", 0.6}};
    const std::string path = folder.UserFile("settings.xml");
    ASSERT_TRUE(WriteBufferToFile(path, SettingsToXml(s)));
    AppSettings back;
    std::string error;
    bool missing = true;
    ASSERT_TRUE(ReadSettingsFile(path, &back, &error, &missing)) << error;
    EXPECT_EQ(back.mVersion, s.mVersion);
    EXPECT_EQ(back.mSfxVolume, s.mSfxVolume);  // not overwritten by the "sfx" channel
    EXPECT_EQ(back.mChannelVolumes, (std::map<std::string, double>{{"music", 0.5}}));
}

TEST(Settings, MissingFileAndBadValues) {
    TempUserFolder folder;
    AppSettings s;
    std::string error;
    bool missing = false;
    EXPECT_TRUE(ReadSettingsFile(folder.UserFile("none.xml"), &s, &error, &missing));
    EXPECT_TRUE(missing);
    EXPECT_EQ(s, AppSettings());

    const std::string path = folder.UserFile("settings.xml");
    ASSERT_TRUE(
        WriteBufferToFile(path,
                          "<settings sfx-volume=\"7\" music-volume=\"loud\" mouse-speed=\"-3\" "
                          "windowed=\"maybe\" in-progress=\"1\"/>"));
    ASSERT_TRUE(ReadSettingsFile(path, &s, &error, &missing));
    EXPECT_EQ(s.mSfxVolume, 1.0);                   // clamped
    EXPECT_EQ(s.mChannelVolumes.at("music"), 0.8);  // bad text keeps the default
    EXPECT_EQ(s.mMouseSpeed, 1);
    EXPECT_TRUE(s.mWindowed);
    EXPECT_TRUE(s.mInProgress);
}

TEST(Settings, UnreadableFileGivesDefaultsAndIsKeptUntilAChange) {
    TempUserFolder folder;
    const std::string path = folder.UserFile("settings.xml");
    const std::string broken = "<settings sfx-volume=\"0.1\" <<< not xml";
    ASSERT_TRUE(WriteBufferToFile(path, broken));
    AppSettings s;
    std::string error;
    bool missing = false;
    EXPECT_FALSE(ReadSettingsFile(path, &s, &error, &missing));
    EXPECT_NE(error.find("settings.xml"), std::string::npos);
    EXPECT_NE(error.find(" on Line "), std::string::npos);
    EXPECT_EQ(s, AppSettings());

    {
        QuorAppBase app;
        ManualClock clock;
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        EXPECT_TRUE(app.WasSettingsFileUnreadable());
        EXPECT_EQ(app.GetSfxVolume(), AppSettings().mSfxVolume);
        EXPECT_EQ(ReadText(path), broken);  // the "in-progress" write was skipped
        app.Quit();
        EXPECT_FALSE(app.MainLoopStep());
        app.Shutdown();
        EXPECT_EQ(ReadText(path), broken);
    }
    {
        QuorAppBase app;
        ManualClock clock;
        app.SetClock(&clock);
        ASSERT_TRUE(app.Init());
        app.SetSfxVolume(0.3);  // the player changed something: now the file may be replaced
        app.Quit();
        app.MainLoopStep();
        app.Shutdown();
    }
    AppSettings after;
    ASSERT_TRUE(ReadSettingsFile(path, &after, &error, &missing)) << error;
    EXPECT_NEAR(after.mSfxVolume, 0.3, 1e-6);
    EXPECT_FALSE(after.mInProgress);
}

// A FIFO in the file's place would block the start for ever: it is refused at once, named, and
// the defaults are used.
TEST(Settings, AFifoInPlaceOfTheFileIsRefusedAtOnce) {
    TempUserFolder folder;
    const std::string path = folder.UserFile("settings.xml");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    AppSettings s;
    std::string error;
    bool missing = false;
    EXPECT_FALSE(ReadSettingsFile(path, &s, &error, &missing));
    EXPECT_NE(error.find("it is not a regular file"), std::string::npos) << error;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(s, AppSettings());
}

TEST(Settings, InProgressIsSetAtStartAndClearedAtQuit) {
    TempUserFolder folder;
    const std::string path = folder.UserFile("settings.xml");
    QuorAppBase app;
    ManualClock clock;
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    EXPECT_NE(ReadText(path).find("in-progress=\"true\""), std::string::npos);
    app.SetChannelVolume("music", 0.4);
    app.SetMouseSpeed(99);
    EXPECT_EQ(app.GetMouseSpeed(), 20);
    app.SetSfxVolume(std::nan(""));  // a script's 0/0 must not reach the mixer or the file
    EXPECT_EQ(app.GetSfxVolume(), 0.0);
    EXPECT_EQ(app.GetChannelVolume("nothing"), 0.0);
    app.Quit();
    EXPECT_FALSE(app.MainLoopStep());
    app.Shutdown();
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("in-progress=\"false\""), std::string::npos);
    EXPECT_NE(text.find("music-volume=\"0.400\""), std::string::npos);
}

TEST(Settings, ScreenSaverModeWritesNothing) {
    TempUserFolder folder;
    QuorAppBase app;
    ManualClock clock;
    app.SetClock(&clock);
    app.SetCommandLine({"-screensaver"});
    ASSERT_TRUE(app.Init());
    EXPECT_TRUE(app.mScreenSaverMode);
    app.Quit();
    app.MainLoopStep();
    app.Shutdown();
    EXPECT_FALSE(std::filesystem::exists(folder.UserFile("settings.xml")));
}
