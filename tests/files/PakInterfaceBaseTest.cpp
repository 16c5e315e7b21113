#include "core/files/PakInterfaceBase.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/files/Parser.h"
#include "support/WorkingFolder.h"

class PakInterfaceBaseTest : public WorkingFolderTest {};

TEST_F(PakInterfaceBaseTest, StdioLikeReads) {
    Write("data/lines.txt", "first line\nsecond\nlast-no-newline");
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    PFILE* file = pak->FOpen("data\\lines.txt", "rb");
    ASSERT_NE(file, nullptr) << "backslash names open";

    char buffer[64];
    ASSERT_NE(pak->FGetS(buffer, sizeof(buffer), file), nullptr);
    EXPECT_STREQ(buffer, "first line\n");
    EXPECT_EQ(pak->FTell(file), 11);
    EXPECT_EQ(pak->FGetC(file), 's');
    EXPECT_EQ(pak->UnGetC('s', file), 's');
    EXPECT_EQ(pak->FGetC(file), 's');
    EXPECT_EQ(pak->FTell(file), 12);
    // A short buffer cuts the line and the rest follows.
    ASSERT_NE(pak->FGetS(buffer, 4, file), nullptr);
    EXPECT_STREQ(buffer, "eco");

    EXPECT_EQ(pak->FSeek(file, -4, SEEK_END), 0);
    EXPECT_EQ(pak->FRead(buffer, 1, sizeof(buffer), file), 4u);
    EXPECT_EQ(std::string(buffer, 4), "line");
    EXPECT_NE(pak->FEof(file), 0);
    EXPECT_EQ(pak->FGetC(file), EOF);
    EXPECT_EQ(pak->FGetS(buffer, sizeof(buffer), file), nullptr);

    EXPECT_EQ(pak->FSeek(file, 6, SEEK_SET), 0);
    EXPECT_EQ(pak->FSeek(file, 2, SEEK_CUR), 0);
    EXPECT_EQ(pak->FRead(buffer, 2, 2, file), 2u) << "counts whole elements";
    EXPECT_EQ(std::string(buffer, 4), "ne\ns");
    EXPECT_EQ(pak->FEof(file), 0);
    EXPECT_EQ(pak->FClose(file), 0);

    std::string whole;
    ASSERT_TRUE(pak->ReadWholeFile("data/lines.txt", &whole));
    EXPECT_EQ(whole, "first line\nsecond\nlast-no-newline");
    int64_t seconds = 0;
    EXPECT_TRUE(pak->GetFileTime("data\\lines.txt", &seconds));
    EXPECT_GT(seconds, 0);
}

TEST_F(PakInterfaceBaseTest, MissingFilesFoldersAndWriteModes) {
    Write("data/a.txt", "a");
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    EXPECT_EQ(pak->FOpen("data/missing.txt", "rb"), nullptr);
    EXPECT_EQ(pak->FOpen("data", "rb"), nullptr) << "a folder is not a file";
    EXPECT_EQ(pak->FOpen("data/a.txt", "wb"), nullptr);
    EXPECT_EQ(pak->FOpen("data/a.txt", "r+"), nullptr);
    EXPECT_EQ(pak->FOpen(nullptr, "r"), nullptr);
    std::string text = "kept";
    EXPECT_FALSE(pak->ReadWholeFile("nothing.bin", &text));
    EXPECT_EQ(text, "kept");
    int64_t seconds = 0;
    EXPECT_FALSE(pak->GetFileTime("nothing.bin", &seconds));
    EXPECT_EQ(pak->FClose(nullptr), 0);

    std::string large(200000, 'z');
    large[123456] = 'q';
    Write("big.bin", large);
    ASSERT_TRUE(pak->ReadWholeFile("big.bin", &text));
    EXPECT_EQ(text, large);
}

// What stands in a file's place is opened without blocking and read only when it is a regular
// file of bounded size; anything else is refused at once with its reason, also by the XML reader.
TEST_F(PakInterfaceBaseTest, StrangeFilesAreRefusedAtOnceWithTheReason) {
    ASSERT_EQ(::mkfifo("fifo.xml", 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", "zero.xml"), 0);
    Write("folder.xml/inside.txt", "x");
    Write("huge.xml", "<a/>");
    ASSERT_EQ(::truncate("huge.xml", PakInterfaceBase::kMaxFileBytes + 1), 0);  // sparse
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"fifo.xml", "it is not a regular file"},
        {"zero.xml", "it is not a regular file"},
        {"folder.xml", "it is a folder"},
        {"huge.xml", "it is larger than"},
        {"missing.xml", "No such file or directory"},
    };
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pak->FOpen(c.name, "rb"), nullptr);
        EXPECT_NE(PakInterfaceBase::LastOpenError().find(c.reason), std::string::npos)
            << PakInterfaceBase::LastOpenError();
        std::string text;
        EXPECT_FALSE(pak->ReadWholeFile(c.name, &text));
        Parser parser;
        EXPECT_FALSE(parser.ParseFileAtPath(c.name));
        EXPECT_EQ(parser.GetError(), std::string("Could not open the file (") +
                                         PakInterfaceBase::LastOpenError() +
                                         ") on Line 0 in File '" + c.name + "'");
        EXPECT_NE(parser.GetError().find(c.reason), std::string::npos);
    }
}

TEST_F(PakInterfaceBaseTest, CaseInsensitiveFallback) {
    Write("Properties/Fonts/Title.TXT", "mixed");
    Write("exact/name.txt", "lower");
    Write("exact/NAME.txt", "upper");
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    std::string text;
    ASSERT_TRUE(pak->ReadWholeFile("properties\\fonts\\title.txt", &text));
    EXPECT_EQ(text, "mixed");
    EXPECT_EQ(PakInterfaceBase::ResolvePath("PROPERTIES/fonts/TITLE.txt"),
              "Properties/Fonts/Title.TXT");
    // The exact spelling wins when it exists.
    ASSERT_TRUE(pak->ReadWholeFile("exact/NAME.txt", &text));
    EXPECT_EQ(text, "upper");
    ASSERT_TRUE(pak->ReadWholeFile("exact/name.txt", &text));
    EXPECT_EQ(text, "lower");
    // Without an exact match the choice is the smallest name, whatever the listing order.
    ASSERT_TRUE(pak->ReadWholeFile("Exact/Name.txt", &text));
    EXPECT_EQ(text, "upper");
    EXPECT_FALSE(pak->ReadWholeFile("properties/fonts/other.txt", &text));
}

TEST_F(PakInterfaceBaseTest, FindFiles) {
    Write("sounds/b.ogg", "");
    Write("sounds/A.OGG", "");
    Write("sounds/c.wav", "");
    Write("sounds/.hidden.ogg", "");
    std::filesystem::create_directories("sounds/sub.ogg");
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    PFindData found;
    PFindHandle* handle = pak->FindFirstFile("Sounds\\*.ogg", &found);
    ASSERT_NE(handle, nullptr);
    std::vector<std::string> names{found.mName};
    std::vector<bool> folders{found.mIsFolder};
    while (pak->FindNextFile(handle, &found)) {
        names.push_back(found.mName);
        folders.push_back(found.mIsFolder);
    }
    pak->FindClose(handle);
    EXPECT_EQ(names, (std::vector<std::string>{"A.OGG", "b.ogg", "sub.ogg"}));
    EXPECT_EQ(folders, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(pak->FindFirstFile("sounds/*.mp3", &found), nullptr);
    EXPECT_EQ(pak->FindFirstFile("nowhere/*", &found), nullptr);
}
