// "profiles.xml": the exact format, round trips, clamps, bad and missing files, the backup, the
// profile operations and the selection hooks across threads.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "DataTestUtil.h"
#include "core/expr/GlobalVariables.h"
#include "core/expr/MainThread.h"
#include "core/util/StringUtil.h"
#include "game/data/ProfileManager.h"

namespace {

namespace fs = std::filesystem;
using datatest::ReadFile;
using datatest::WriteFile;

class ProfilesTest : public datatest::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        datatest::LoadSmallCatalog();
        mPath = GetProfilesPath();
    }
    void Reload() {
        ClearProfiles();
        LoadProfiles();
    }
    size_t CountOccurrences(const std::string& text, const std::string& word) {
        size_t count = 0;
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            ++count;
        }
        return count;
    }

    std::string mPath;
};

TEST_F(ProfilesTest, WritesTheExactFormat) {
    std::vector<ProfileRecord> profiles(1);
    profiles[0].mName = "Ann";
    PlayerState& state = profiles[0].mState;
    state.mProgress[0].resize(1);
    state.mProgress[0][0].mPuzzles.resize(1);
    state.mProgress[0][0].mPuzzles[0] = PuzzleProgress{true, 75, false, true};
    state.mProgress[1].clear();
    state.mHours = 1;
    EXPECT_EQ(BuildProfilesXml(profiles, 0),
              "<profiles selected=\"0\"><profile name=\"Ann\"><state seen-tutorial=\"0\" "
              "num-hints=\"0\" made-mistake=\"0\" seen-hint=\"0\" disable-tips=\"0\" "
              "toggle-mode=\"0\" show-numbers=\"1\" started=\"0\" hours=\"1\" minutes=\"0\" "
              "centiseconds=\"0\">\n"
              "<game name=\"pelnora7\">\n"
              "<game-state current-country=\"0\"/>\n"
              "<mode>\n"
              "<set unlock=\"1\" introduced=\"0\">\n"
              "<puzzle completed=\"1\" best-time=\"75\" without-hints=\"0\" "
              "without-mistakes=\"1\"/>\n"
              "</set>\n"
              "</mode>\n"
              "<mode>\n"
              "</mode>\n"
              "</game>\n"
              "</state>\n"
              "</profile></profiles>");
}

TEST_F(ProfilesTest, ReadsAFileInTheOriginalLayout) {
    fs::copy_file(datatest::FixturePath("profiles_plain.xml"), mPath);
    ASSERT_TRUE(LoadProfiles());
    EXPECT_EQ(GetSelectedProfile(), 1);
    const PlayerState& ann = GetProfileRecord(0)->mState;
    EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
    EXPECT_TRUE(ann.mSeenTutorial && ann.mMadeMistake && ann.mToggleMode && ann.mStarted);
    EXPECT_EQ(ann.mNumHints, 2);
    EXPECT_EQ(ann.mHours, 3);
    EXPECT_EQ(ann.mMinutes, 59);
    EXPECT_EQ(ann.mCentiseconds, 5999);
    EXPECT_EQ(ann.mProgress[0][0].mPuzzles[1], (PuzzleProgress{true, 120, false, true}));
    EXPECT_EQ(ann.mProgress[0][0].mUnlock, 2);
    // The second profile is selected and current.
    EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(1)->mState);
    // Written back unchanged, byte for byte.
    ASSERT_TRUE(SaveProfiles());
    const std::string original = ReadFile(datatest::FixturePath("profiles_plain.xml"));
    const std::string written = ReadFile(mPath);
    EXPECT_EQ(written.substr(0, original.find("</profile><profile name=\"Bo\"")),
              original.substr(0, original.find("</profile><profile name=\"Bo\"")));
    EXPECT_EQ(CountOccurrences(written, "<profile "), 8u);
}

TEST_F(ProfilesTest, RoundTripKeepsEverySavedFieldAndEscapesNames) {
    EXPECT_FALSE(LoadProfiles());  // no file: eight free slots
    ASSERT_EQ(GetProfiles().size(), 8u);
    EXPECT_EQ(GetSelectedProfile(), -1);
    // Each within the ten characters a name read is held to.
    const std::string names[] = {"T&\"J\" <3'x", "Zoë\ttab", "plain"};
    for (const std::string& name : names) {
        AddProfile(name);
    }
    EXPECT_EQ(GetSelectedProfile(), 2);
    PlayerState& state = GetProfileRecord(1)->mState;
    state.mSeenTutorial = state.mMadeMistake = state.mSeenHint = true;
    state.mDisableTips = state.mToggleMode = state.mStarted = true;
    state.mShowNumbers = false;
    state.mNumHints = 3;
    state.mHours = 12;
    state.mMinutes = 34;
    state.mCentiseconds = 5678;
    state.mCurrentCountry = 2;
    state.mProgress[0][1].mUnlock = 3;
    state.mProgress[0][1].mIntroduced = true;
    state.mProgress[0][1].mPuzzles[2] = PuzzleProgress{true, 321, true, false};
    state.mProgress[1][1].mPuzzles[0] = PuzzleProgress{true, 9, false, true};
    // Not saved: they come back at their defaults.
    state.mMode = 1;
    state.mPuzzle = 2;
    state.mMusicAlternation = 1;
    state.mDeviceWord = "ipad";
    state.mGameName = "other";
    const PlayerState expected = state;
    ASSERT_TRUE(SaveProfiles());
    EXPECT_EQ(CountOccurrences(ReadFile(mPath), "<profile "), 8u);

    Reload();
    ASSERT_EQ(GetProfiles().size(), 8u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetProfileRecord(i)->mName, names[i]);
    }
    for (int i = 3; i < 8; ++i) {
        EXPECT_EQ(GetProfileRecord(i)->mName, "");
    }
    EXPECT_EQ(GetSelectedProfile(), 2);
    const PlayerState& read = GetProfileRecord(1)->mState;
    EXPECT_TRUE(read.mSeenTutorial && read.mMadeMistake && read.mSeenHint && read.mDisableTips &&
                read.mToggleMode && read.mStarted);
    EXPECT_FALSE(read.mShowNumbers);
    EXPECT_EQ(read.mNumHints, 3);
    EXPECT_EQ(read.mHours, 12);
    EXPECT_EQ(read.mMinutes, 34);
    EXPECT_EQ(read.mCentiseconds, 5678);
    EXPECT_EQ(read.mCurrentCountry, 2);
    EXPECT_EQ(read.mProgress, expected.mProgress);
    EXPECT_EQ(read.mMode, 0);
    EXPECT_EQ(read.mPuzzle, 0);
    EXPECT_EQ(read.mMusicAlternation, 0);
    EXPECT_EQ(read.mDeviceWord, "");
    EXPECT_EQ(read.mGameName, "pelnora7");
    EXPECT_EQ(read.mCurrentGameName, "pelnora7");
}

TEST_F(ProfilesTest, OutOfRangeValuesAreBroughtIntoRange) {
    WriteFile(mPath, R"(<profiles selected="9">
      <state num-hints="5"/><mode><set unlock="4"/></mode>
      <profile name="a"><state hours="2" minutes="75" centiseconds="6500"/>
        <game-state current-country="20"/>
        <set unlock="3"/>
      </profile>
      <profile name="b"><state minutes="-5" centiseconds="-1" show-numbers="0"/>
        <game-state current-country="-4"/></profile>
      <profile name="c"/><profile name="d"/><profile name="e"/><profile name="f"/>
      <profile name="g"/><profile name="h"/><profile name="ninth"><state num-hints="7"/></profile>
    </profiles>)");
    ASSERT_TRUE(LoadProfiles());
    EXPECT_EQ(GetSelectedProfile(), -1);
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);
    const PlayerState& a = GetProfileRecord(0)->mState;
    EXPECT_EQ(a.mHours, 3);
    EXPECT_EQ(a.mMinutes, 16);
    EXPECT_EQ(a.mCentiseconds, 500);
    EXPECT_EQ(a.mCurrentCountry, 2);          // three story sets
    EXPECT_EQ(a.mNumHints, 0);                // the state before any profile had no target
    EXPECT_FALSE(a.mShowNumbers);             // absent reads as off
    EXPECT_EQ(a.mProgress[0][0].mUnlock, 1);  // a set before its mode has no target
    const PlayerState& b = GetProfileRecord(1)->mState;
    EXPECT_EQ(b.mCurrentCountry, 0);
    EXPECT_EQ(b.mMinutes, 0);
    EXPECT_EQ(b.mCentiseconds, 0);
    EXPECT_EQ(GetProfileRecord(7)->mName, "h");
    EXPECT_EQ(GetProfileRecord(7)->mState.mNumHints, 0);
}

TEST_F(ProfilesTest, ProgressBeyondTheCatalogueSurvivesARewrite) {
    WriteFile(mPath, R"(<profiles selected="0"><profile name="a"><state><game name="pelnora7">
      <mode>
        <set unlock="2"><puzzle completed="1"/><puzzle/><puzzle completed="1" best-time="4"/></set>
        <set/><set/>
        <set unlock="5" introduced="1"><puzzle completed="1" best-time="8"/></set>
      </mode><mode/><mode><set unlock="9"/></mode></game></state></profile></profiles>)");
    ASSERT_TRUE(LoadProfiles());
    const PlayerState& a = GetProfileRecord(0)->mState;
    ASSERT_EQ(a.mProgress[0].size(), 4u);
    ASSERT_EQ(a.mProgress[0][0].mPuzzles.size(), 3u);
    EXPECT_EQ(a.mProgress[0][0].mPuzzles[2], (PuzzleProgress{true, 4, false, false}));
    EXPECT_EQ(a.mProgress[0][3].mUnlock, 5);
    EXPECT_TRUE(a.mProgress[0][3].mIntroduced);
    EXPECT_EQ(a.mProgress[1].size(), 2u);  // the catalogue's bonus sets; a third mode is ignored
    const auto before = a.mProgress;
    ASSERT_TRUE(SaveProfiles());
    Reload();
    EXPECT_EQ(GetProfileRecord(0)->mState.mProgress, before);
}

TEST_F(ProfilesTest, UnreadableFilesAreMovedAsideNeverOverwritten) {
    const std::string bad[] = {
        "<profiles selected=\"0\"><profile name=\"a\"><state num-hints=\"1\"",  // truncated
        std::string("\x01\x02garbage\xff", 11),
        "<settings/>",  // not a profiles file
        "",
    };
    int n = 0;
    for (const std::string& text : bad) {
        ClearProfiles();
        WriteFile(mPath, text);
        EXPECT_FALSE(LoadProfiles()) << text;
        EXPECT_EQ(GetProfiles().size(), 8u);
        EXPECT_EQ(GetSelectedProfile(), -1);
        EXPECT_FALSE(fs::exists(mPath));
        const std::string aside =
            mPath + ".unreadable" + (n == 0 ? std::string() : "-" + std::to_string(n + 1));
        EXPECT_EQ(ReadFile(aside), text);
        EXPECT_EQ(GetProfilesLoadReport().setAside, aside);
        ++n;
        // A save now writes a new file and leaves the moved file alone.
        AddProfile("new");
        ASSERT_TRUE(SaveProfiles());
        EXPECT_EQ(ReadFile(aside), text);
        fs::remove(mPath);
        fs::remove(GetProfilesBackupPath());
    }
    // Neither a list read whole nor the next list after clearing reports an earlier file.
    WriteFile(mPath, bad[0]);
    EXPECT_FALSE(LoadProfiles());
    EXPECT_NE(GetProfilesLoadReport().setAside, "");
    AddProfile("good");
    ASSERT_TRUE(SaveProfiles());
    ClearProfiles();
    EXPECT_EQ(GetProfilesLoadReport().setAside, "");
    EXPECT_TRUE(LoadProfiles());
    EXPECT_EQ(GetProfilesLoadReport().setAside, "");
}

// A field that can't be read costs that field only: it takes its default, with one log line
// naming the file, the line and the field, and every other field and profile is read.
TEST_F(ProfilesTest, AMalformedFieldTakesItsDefaultAndEverythingElseIsRead) {
    const std::string good =
        "<profiles selected=\"1\">\n"
        "<profile name=\"Ann\"><state started=\"1\" num-hints=\"3\" seen-tutorial=\"1\" "
        "hours=\"7\" minutes=\"4\" show-numbers=\"0\">\n"
        "<game name=\"pelnora7\"><game-state current-country=\"1\"/><mode>\n"
        "<set unlock=\"2\" introduced=\"1\"><puzzle completed=\"1\" "
        "best-time=\"40\"/></set></mode><mode/></game></state></profile>\n"
        "<profile name=\"Bob\"><state num-hints=\"5\" hours=\"2\"/></profile>"
        "</profiles>";
    const struct {
        const char* from;  // the good attribute
        const char* to;    // the malformed one
        int line;
        const char* field;
        std::function<void()> check;  // the field is back at its default
    } cases[] = {
        {"hours=\"7\"", "hours=\"+5\"", 2, "hours",
         [] { EXPECT_EQ(GetProfileRecord(0)->mState.mHours, 0); }},
        {"hours=\"7\"", "hours=\"1.5\"", 2, "hours",
         [] { EXPECT_EQ(GetProfileRecord(0)->mState.mHours, 0); }},
        {"num-hints=\"3\"", "num-hints=\"0x10\"", 2, "num-hints",
         [] { EXPECT_EQ(GetProfileRecord(0)->mState.mNumHints, 0); }},
        {"hours=\"7\"", "hours=\"12345678901234567890\"", 2, "hours",
         [] { EXPECT_EQ(GetProfileRecord(0)->mState.mHours, 0); }},
        {"seen-tutorial=\"1\"", "seen-tutorial=\"yes\"", 2, "seen-tutorial",
         [] { EXPECT_FALSE(GetProfileRecord(0)->mState.mSeenTutorial); }},
        {"show-numbers=\"0\"", "show-numbers=\"off\"", 2, "show-numbers",
         [] { EXPECT_TRUE(GetProfileRecord(0)->mState.mShowNumbers); }},
        {"started=\"1\"", "started=\"x\"", 2, "started",
         [] { EXPECT_FALSE(GetProfileRecord(0)->mState.mStarted); }},
        {"selected=\"1\"", "selected=\"abc\"", 1, "selected",
         [] { EXPECT_EQ(GetSelectedProfile(), -1); }},
        {"best-time=\"40\"", "best-time=\"4e1\"", 4, "best-time",
         [] { EXPECT_EQ(GetProfileRecord(0)->mState.mProgress[0][0].mPuzzles[0].mBestTime, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        std::string text = good;
        text.replace(text.find(c.from), std::string(c.from).size(), c.to);
        ClearProfiles();
        WriteFile(mPath, text);
        testing::internal::CaptureStderr();
        EXPECT_TRUE(LoadProfiles());
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ReadFile(mPath), text) << "the file is kept where it is";
        EXPECT_FALSE(fs::exists(mPath + ".unreadable"));
        EXPECT_TRUE(GetProfilesLoadReport().repaired);
        const std::string line =
            "'" + mPath + "', line " + std::to_string(c.line) + ": the \"" + c.field + "\" value";
        EXPECT_EQ(CountOccurrences(log, line), 1u) << log;
        EXPECT_EQ(CountOccurrences(log, "\n"), 1u) << log;
        c.check();
        const PlayerState& ann = GetProfileRecord(0)->mState;
        EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
        EXPECT_EQ(ann.mMinutes, 4);
        EXPECT_EQ(ann.mCurrentCountry, 1);
        EXPECT_EQ(ann.mProgress[0][0].mUnlock, 2);
        EXPECT_TRUE(ann.mProgress[0][0].mPuzzles[0].mCompleted);
        EXPECT_EQ(GetProfileRecord(1)->mName, "Bob");
        EXPECT_EQ(GetProfileRecord(1)->mState.mNumHints, 5);
        EXPECT_EQ(GetProfileRecord(1)->mState.mHours, 2);
    }
    // A clean file reports nothing to repair.
    ClearProfiles();
    WriteFile(mPath, good);
    EXPECT_TRUE(LoadProfiles());
    EXPECT_FALSE(GetProfilesLoadReport().repaired);
    EXPECT_EQ(GetSelectedProfile(), 1);
}

// A swollen file keeps only what a catalogue can use; it is not held and rewritten whole.
TEST_F(ProfilesTest, ProgressFarPastTheCatalogueIsLeftOut) {
    std::string text =
        "<profiles selected=\"0\"><profile name=\"a\"><state><game name=\"p\"><mode>"
        "<set unlock=\"1\">";
    for (int i = 0; i < 100000; ++i) {
        text += "<puzzle completed=\"1\"/>";
    }
    text += "</set>";
    for (int i = 0; i < 1000; ++i) {
        text += "<set unlock=\"1\"><puzzle completed=\"1\"/></set>";
    }
    text += "</mode></game></state></profile></profiles>";
    WriteFile(mPath, text);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(LoadProfiles());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOccurrences(log, "is left out"), 1u) << log;
    const PlayerState& a = GetProfileRecord(0)->mState;
    ASSERT_EQ(a.mProgress[0].size(), static_cast<size_t>(ProfileManager::kMaxSetsKept));
    EXPECT_EQ(a.mProgress[0][0].mPuzzles.size(),
              static_cast<size_t>(ProfileManager::kMaxPuzzlesKept));
    EXPECT_TRUE(a.mProgress[0][1].mPuzzles[0].mCompleted);
    ASSERT_TRUE(SaveProfiles());
    EXPECT_LT(ReadFile(mPath).size(), 300000u);
}

// A FIFO in the file's place is refused at once (reading it would block for ever) and named.
TEST_F(ProfilesTest, AFifoInPlaceOfTheFileIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(mPath.c_str(), 0644), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadProfiles());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("it is not a regular file"), std::string::npos) << log;
    EXPECT_NE(log.find(mPath), std::string::npos) << log;
    EXPECT_EQ(GetProfiles().size(), 8u);
    EXPECT_EQ(GetSelectedProfile(), -1);
}

TEST_F(ProfilesTest, TheBackupReplacesAnUnreadableOrMissingFile) {
    LoadProfiles();
    AddProfile("first");
    GetProfileRecord(0)->mState.mNumHints = 1;
    ASSERT_TRUE(SaveProfiles());
    GetProfileRecord(0)->mState.mNumHints = 2;
    ASSERT_TRUE(SaveProfiles());
    GetProfileRecord(0)->mState.mNumHints = 3;
    ASSERT_TRUE(SaveProfiles());
    // The backup is the save before the last one.
    const std::string backup = ReadFile(GetProfilesBackupPath());
    EXPECT_NE(backup.find("num-hints=\"2\""), std::string::npos);

    WriteFile(mPath, "<profiles selected=\"0\"><prof");
    testing::internal::CaptureStderr();
    Reload();
    const std::string log = testing::internal::GetCapturedStderr();
    // The parse error once, where it was kept, and the restore: one line each.
    EXPECT_EQ(CountOccurrences(log, "on Line"), 1u) << log;
    EXPECT_EQ(CountOccurrences(log, "\n"), 3u) << log;
    // The player hears of the restore on screen, not only in the log.
    EXPECT_TRUE(GetProfilesLoadReport().restoredFromBackup);
    EXPECT_EQ(GetProfileRecord(0)->mName, "first");
    EXPECT_EQ(GetProfileRecord(0)->mState.mNumHints, 2);
    EXPECT_EQ(GetSelectedProfile(), 0);
    EXPECT_TRUE(fs::exists(mPath + ".unreadable"));

    // The first save after that keeps the backup that was read (there is no main file to keep).
    ASSERT_TRUE(SaveProfiles());
    EXPECT_EQ(ReadFile(GetProfilesBackupPath()), backup);

    fs::remove(mPath);
    Reload();
    EXPECT_EQ(GetProfileRecord(0)->mState.mNumHints, 2);
}

// A profiles file that is a link to a file elsewhere: the saves replace the link with a file of
// their own and keep the backup as a plain file too, never a second link to the outside file,
// which stays as it was.
TEST_F(ProfilesTest, ALinkedFileLeavesAPlainBackup) {
    LoadProfiles();
    AddProfile("linked");
    ASSERT_TRUE(SaveProfiles());
    TempFolder elsewhere;
    const std::string outside = elsewhere.Path() + "profiles.xml";
    fs::rename(mPath, outside);
    fs::create_symlink(outside, mPath);
    const std::string outsideText = ReadFile(outside);
    ASSERT_TRUE(SaveProfiles());
    const std::string backup = GetProfilesBackupPath();
    EXPECT_FALSE(fs::is_symlink(backup));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(backup)));
    EXPECT_EQ(fs::hard_link_count(backup), 1u);
    EXPECT_EQ(ReadFile(backup), outsideText);
    EXPECT_FALSE(fs::is_symlink(mPath));
    EXPECT_EQ(ReadFile(outside), outsideText);
    // Another name of the profiles file (a hard link from outside) is not shared either.
    fs::remove(outside);
    fs::create_hard_link(mPath, outside);
    ASSERT_TRUE(SaveProfiles());
    EXPECT_EQ(fs::hard_link_count(backup), 1u);
    EXPECT_EQ(fs::hard_link_count(outside), 1u);
}

// A profile with progress and an empty name would be invisible, and its slot would look free: it
// is named and logged when read, and no new player ever takes a slot holding progress.
TEST_F(ProfilesTest, AnUnnamedProfileWithProgressIsKeptAndNamed) {
    const std::string text =
        "<profiles selected=\"-1\">\n"
        "<profile name=\"\"><state hours=\"0\" minutes=\"0\"/></profile>\n"
        "<profile name=\"\"><state started=\"1\" hours=\"3\">\n"
        "<game name=\"pelnora7\"><mode><set unlock=\"2\"><puzzle completed=\"1\"/></set>"
        "</mode><mode/></game></state></profile>\n"
        "</profiles>";
    WriteFile(mPath, text);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadProfiles());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("'" + mPath + "', line 3: profile 2 has progress but no name"),
              std::string::npos)
        << log;
    EXPECT_TRUE(GetProfilesLoadReport().repaired);
    EXPECT_EQ(GetProfileRecord(0)->mName, "");
    EXPECT_EQ(GetProfileRecord(1)->mName, "Player B");
    EXPECT_EQ(GetProfileRecord(1)->mState.mHours, 3);

    // New players fill the free slots around it and then the last one, never slot 1.
    EXPECT_EQ(AddProfile("new"), 0);
    for (int i = 2; i < kProfileSlots; ++i) {
        EXPECT_EQ(AddProfile("p" + std::to_string(i)), i);
    }
    EXPECT_EQ(AddProfile("again"), kProfileSlots - 1);
    EXPECT_EQ(GetProfileRecord(1)->mName, "Player B");
    EXPECT_TRUE(GetProfileRecord(1)->mState.mProgress[0][0].mPuzzles[0].mCompleted);
    // When the last slot holds progress too, no slot is taken.
    GetProfileRecord(kProfileSlots - 1)->mState.mStarted = true;
    EXPECT_EQ(AddProfile("none"), -1);
    EXPECT_EQ(GetProfileRecord(kProfileSlots - 1)->mName, "again");
    EXPECT_TRUE(GetProfileRecord(kProfileSlots - 1)->mState.mStarted);
}

TEST_F(ProfilesTest, AnInterruptedSaveLeavesTheOldFile) {
    LoadProfiles();
    AddProfile("kept");
    ASSERT_TRUE(SaveProfiles());
    const std::string good = ReadFile(mPath);
    // What a kill between writing the temporary and renaming it leaves behind.
    WriteFile(mFolder + ".profiles.xml.tmpAb12Cd", good.substr(0, good.size() / 2));
    WriteFile(mFolder + "profiles.xml.bak.tmp", "half");
    Reload();
    EXPECT_EQ(GetProfileRecord(0)->mName, "kept");
    EXPECT_FALSE(fs::exists(mFolder + ".profiles.xml.tmpAb12Cd"));
    EXPECT_FALSE(fs::exists(mFolder + "profiles.xml.bak.tmp"));
}

TEST_F(ProfilesTest, NothingIsSavedBeforeTheListIsReadOrInScreenSaverMode) {
    EXPECT_FALSE(SaveProfiles());
    EXPECT_FALSE(fs::exists(mPath));
    EXPECT_EQ(AddProfile("early"), -1);
    LoadProfiles();
    SetProfileSavingAllowed(false);
    AddProfile("screen");
    EXPECT_FALSE(SaveProfiles());
    EXPECT_FALSE(fs::exists(mPath));
    SetProfileSavingAllowed(true);
    EXPECT_TRUE(SaveProfiles());
    ClearProfiles();
    EXPECT_FALSE(SaveProfiles());
}

// Every change of the list is on disk at once: a kill right after it loses nothing.
TEST_F(ProfilesTest, EveryChangeOfTheListIsOnDiskAtOnce) {
    LoadProfiles();
    const struct {
        const char* what;
        std::function<void()> change;
        size_t slot;
        const char* name;
        int selected;
    } steps[] = {
        {"add", [] { AddProfile("ada"); }, 0, "ada", 0},
        {"add another", [] { AddProfile("bo"); }, 1, "bo", 1},
        {"select", [] { SelectProfile(0); }, 0, "ada", 0},
        {"rename", [] { SetProfile(1, "bea"); }, 1, "bea", 0},
        {"delete", [] { SetProfile(1, ""); }, 1, "", 0},
    };
    for (const auto& step : steps) {
        step.change();
        ProfileManager onDisk;
        ASSERT_TRUE(onDisk.ReadFile(mPath)) << step.what;
        EXPECT_EQ(onDisk.GetProfiles()[step.slot].mName, step.name) << step.what;
        EXPECT_EQ(onDisk.GetSelected(), step.selected) << step.what;
    }
}

TEST_F(ProfilesTest, AddSetAndSelectProfiles) {
    LoadProfiles();
    std::vector<std::string> names;
    std::vector<std::string> codes;
    SetPlayerNameHandler([&](const std::string& name) { names.push_back(name); });
    SetTypedCodeHandler([&](const std::string& name) { codes.push_back(name); });

    EXPECT_EQ(AddProfile(""), -1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(AddProfile("p" + std::to_string(i)), i);
    }
    EXPECT_EQ(codes.back(), "p7");
    GetProfileRecord(7)->mState.mNumHints = 4;
    // All eight named: the eighth is replaced, with a fresh state, and selected.
    EXPECT_EQ(AddProfile("ninth"), 7);
    EXPECT_EQ(GetProfileRecord(7)->mName, "ninth");
    EXPECT_EQ(GetProfileRecord(7)->mState.mNumHints, 0);
    EXPECT_EQ(GetSelectedProfile(), 7);

    SelectProfile(2);
    PlayerState* current = GetCurrentPlayerState();
    ASSERT_EQ(current, &GetProfileRecord(2)->mState);
    EXPECT_EQ(GetCurrentBasicPlayerState(), current);
    EXPECT_EQ(GetGlobalVariables(), &current->GetNamedValues());
    EXPECT_EQ(current->GetNamedValues().Find("player_name")->AsString(), "p2");
    EXPECT_EQ(names.back(), "p2");
    EXPECT_EQ(codes.back(), "p2");
    SelectProfile(-1);  // ignored
    EXPECT_EQ(GetSelectedProfile(), 2);

    current->mNumHints = 2;
    const size_t heard = names.size();
    SetProfile(2, "p2");  // same name: nothing
    EXPECT_EQ(names.size(), heard);
    SetProfile(2, "renamed");  // a rename keeps the progress
    EXPECT_EQ(current->mNumHints, 2);
    EXPECT_EQ(names.back(), "renamed");
    SetProfile(3, "other");  // not selected: the application's name stays
    EXPECT_EQ(names.back(), "renamed");
    SetProfile(9, "outside");
    SetProfile(-1, "outside");

    SetProfile(2, "");  // deleting frees the slot and its progress
    EXPECT_EQ(GetProfileRecord(2)->mName, "");
    EXPECT_EQ(current->mNumHints, 0);
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);  // a deleted player is no longer played
    GetProfileRecord(2)->mState.mNumHints = 5;
    SetProfile(2, "fresh");  // a free slot takes a new player
    EXPECT_EQ(GetProfileRecord(2)->mState.mNumHints, 0);

    const size_t codesBefore = codes.size();
    SelectProfile(8);  // past the slots: nothing is current
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);
    // The typed-code hook still hears the selection, with the unchanged player name.
    ASSERT_EQ(codes.size(), codesBefore + 1);
    EXPECT_EQ(codes.back(), "fresh");
    EXPECT_EQ(names.back(), "fresh");
    EXPECT_EQ(GetGlobalVariables(), nullptr);
    ClearProfiles();
    EXPECT_EQ(GetCurrentPlayerState(), nullptr);
}

// A name read is held to the ten letters a player can type, counted in characters: a huge one
// stalled every screen that greets the player and was drawn across them.
TEST_F(ProfilesTest, ANameReadIsCutToTheLettersAPlayerCanType) {
    const std::string huge(size_t{64} << 20, 'A');
    const std::string e = "\xC3\xA9";  // one letter, two bytes
    std::string accented;
    for (int i = 0; i < 12; ++i) {
        accented += e;
    }
    WriteFile(mPath, "<profiles selected=\"0\">\n<profile name=\"" + huge +
                         "\"><state hours=\"1\"/></profile>\n<profile name=\"" + accented +
                         "\"/>\n<profile name=\"Abcdefghij\"/></profiles>");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadProfiles());
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(GetProfileRecord(0)->mName.size(), 10u);  // (a failure must not print it whole)
    EXPECT_EQ(GetProfileRecord(0)->mName, std::string(10, 'A'));
    EXPECT_EQ(GetProfileRecord(0)->mState.mHours, 1);
    EXPECT_EQ(GetProfileRecord(1)->mName, accented.substr(0, 10 * e.size()));
    EXPECT_EQ(GetProfileRecord(2)->mName, "Abcdefghij");
    EXPECT_EQ(GetCurrentPlayerState()->GetNamedValues().Find("player_name")->AsString(),
              std::string(10, 'A'));
    for (const int line : {2, 3}) {
        EXPECT_NE(log.find(StrFormat("'%s', line %d: a profile name is longer than 10 letters",
                                     mPath.c_str(), line)),
                  std::string::npos)
            << log.substr(0, 2000);
    }
    EXPECT_EQ(CountOccurrences(log, "is longer than"), 2u);
    EXPECT_TRUE(GetProfilesLoadReport().repaired);
}

TEST_F(ProfilesTest, SelectionOnTheLoaderWaitsForTheMainThread) {
    fs::copy_file(datatest::FixturePath("profiles_plain.xml"), mPath);
    std::vector<std::string> heard;
    std::thread::id heardOn;
    SetTypedCodeHandler([&](const std::string& name) {
        heard.push_back(name);
        heardOn = std::this_thread::get_id();
    });
    SetGlobalVariables(nullptr);
    std::thread loader([] { LoadProfiles(); });
    loader.join();
    ASSERT_TRUE(AreProfilesLoaded());
    EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(1)->mState);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(GetGlobalVariables(), nullptr);
    RunMainThreadTasks();
    EXPECT_EQ(heard, std::vector<std::string>{"Bo"});
    EXPECT_EQ(heardOn, std::this_thread::get_id());
    EXPECT_EQ(GetGlobalVariables(), &GetProfileRecord(1)->mState.GetNamedValues());
    RunMainThreadTasks();
    EXPECT_EQ(heard.size(), 1u);
}

}  // namespace

TEST_F(ProfilesTest, AccentedNamesTypedAsUtf8ComeBackUnchanged) {
    LoadProfiles();
    // The bytes a text field holds after "José" and "Łukasz" were typed.
    const std::string jose = "Jos\xC3\xA9";
    const std::string lukasz = "\xC5\x81ukasz";
    AddProfile(jose);
    AddProfile(lukasz);
    ASSERT_TRUE(SaveProfiles());
    const std::string written = ReadFile(mPath);
    EXPECT_NE(written.find("name=\"" + jose + "\""), std::string::npos) << written;
    EXPECT_EQ(written.find("Jos?"), std::string::npos);
    Reload();
    EXPECT_EQ(GetProfileRecord(0)->mName, jose);
    EXPECT_EQ(GetProfileRecord(1)->mName, lukasz);
}
