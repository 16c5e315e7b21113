#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "graphics/assets/AssetCatalogue.h"
#include "graphics/fonts/Fonts.h"

namespace {

const char* kGood = R"(<assets>
  <group name="Startup">
    <image name="menubutton" path="images/menubutton.png" cols="1" rows="4"/>
    <image name="ui" path="images/ui_atlas.png">
      <piece name="star" x="0" y="0" width="32" height="32"/>
      <piece name="stars" x="32" y="0" width="64" height="32" cols="2"/>
    </image>
    <sound name="click" path="sounds/click.ogg"/>
    <track name="title_music" path="music/title.ogg"/>
  </group>
  <group name="PlayAssets" load="demand">
    <image name="play_bg_ipad" path="images/play/bg_ipad.jpg" flags="1"/>
  </group>
</assets>)";

TEST(AssetCatalogueTest, ReadsGroupsImagesPiecesSoundsAndTracks) {
    AssetCatalogue catalogue;
    std::string error;
    ASSERT_TRUE(catalogue.ReadText(kGood, "properties/assets.xml", &error)) << error;
    ASSERT_EQ(catalogue.GetGroups().size(), 2u);
    const AssetGroupEntry* startup = catalogue.FindGroup("Startup");
    ASSERT_NE(startup, nullptr);
    EXPECT_TRUE(startup->mStartup);
    ASSERT_EQ(startup->mImages.size(), 2u);
    EXPECT_EQ(startup->mImages[0].mRows, 4);
    EXPECT_EQ(startup->mImages[0].mLine, 3);
    ASSERT_EQ(startup->mImages[1].mPieces.size(), 2u);
    EXPECT_EQ(startup->mImages[1].mPieces[1].mCols, 2);
    EXPECT_EQ(startup->mImages[1].mPieces[1].mX, 32);
    EXPECT_EQ(startup->mSounds.at(0).mPath, "sounds/click.ogg");
    EXPECT_EQ(startup->mTracks.at(0).mName, "title_music");
    const AssetGroupEntry* play = catalogue.FindGroup("PlayAssets");
    ASSERT_NE(play, nullptr);
    EXPECT_FALSE(play->mStartup);
    EXPECT_EQ(play->mImages.at(0).mFlags, 1);
    EXPECT_EQ(catalogue.FindGroup("SetAssets"), nullptr);
    // Two images, two pieces, a sound and a track; the on-demand group does not count.
    EXPECT_EQ(catalogue.CountStartupEntries(), 6u);
}

TEST(AssetCatalogueTest, MalformedCataloguesNameFileAndLineAndKeepTheOldOne) {
    struct Case {
        const char* text;
        int line;
        const char* words;
    };
    const Case cases[] = {
        {"<assets>\n<group name=\"a\">\n<imag name=\"x\" path=\"p\"/></group></assets>", 3,
         "Unknown element"},
        {"<assets>\n<group name=\"a\">\n<image path=\"p\"/></group></assets>", 3, "\"name\""},
        {"<assets>\n<group name=\"a\">\n<image name=\"x\" path=\"p\" cols=\"two\"/>"
         "</group></assets>",
         3, "\"cols\""},
        {"<assets>\n<group name=\"a\">\n<image name=\"x\" path=\"p\" rows=\"0\"/>"
         "</group></assets>",
         3, "at least 1"},
        {"<assets><group name=\"a\">\n<image name=\"x\" path=\"p\"/>\n<image name=\"x\" "
         "path=\"q\"/></group></assets>",
         3, "used twice"},
        {"<assets><group name=\"a\"><image name=\"x\" path=\"p\">\n<piece name=\"y\" x=\"0\" "
         "y=\"0\" width=\"4\"/></image></group></assets>",
         2, "\"height\""},
        {"<assets>\n<image name=\"x\" path=\"p\"/></assets>", 2, "inside a \"group\""},
        {"<assets>\n<group name=\"a\" load=\"later\"/></assets>", 2, "\"load\""},
        {"<assets>\n<group name=\"a\">\n<sound name=\"s\"/></group></assets>", 3, "\"path\""},
        {"<assets>\n<group name=\"a\">\n</assets>", 3, ""},
        // Sizes the loader allocates from are bounded: each side, and the cells as a whole.
        {"<assets><group name=\"a\">\n<image name=\"x\" path=\"p\" rows=\"100000\" "
         "cols=\"100000\"/></group></assets>",
         2, "\"cols\" must be at most 4096"},
        {"<assets><group name=\"a\">\n<image name=\"x\" path=\"p\" rows=\"4096\" "
         "cols=\"4096\"/></group></assets>",
         2, "(4096 x 4096) are more than 4096"},
        {"<assets><group name=\"a\"><image name=\"x\" path=\"p\">\n<piece name=\"y\" x=\"0\" "
         "y=\"0\" width=\"100000\" height=\"4\"/></image></group></assets>",
         2, "\"width\" must be at most 16384"},
    };
    for (const Case& c : cases) {
        AssetCatalogue catalogue;
        ASSERT_TRUE(catalogue.ReadText(kGood, "assets.xml", nullptr));
        std::string error;
        EXPECT_FALSE(catalogue.ReadText(c.text, "properties/assets.xml", &error)) << c.text;
        EXPECT_NE(error.find(" on Line " + std::to_string(c.line)), std::string::npos) << error;
        EXPECT_NE(error.find("in File 'properties/assets.xml'"), std::string::npos) << error;
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
        EXPECT_EQ(catalogue.GetGroups().size(), 2u) << "a failed read must not change the table";
    }
}

}  // namespace

namespace {

std::string ReadContent(const std::string& name) {
    const char* root = std::getenv("P7_SOURCE_DIR");
    std::ifstream in(std::string(root != nullptr ? root : ".") + "/content/properties/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The shipped tables must read cleanly, whatever art is missing.
TEST(AssetCatalogueTest, ShippedCatalogueAndFontTableRead) {
    AssetCatalogue catalogue;
    std::string error;
    const std::string assets = ReadContent("assets.xml");
    ASSERT_FALSE(assets.empty());
    ASSERT_TRUE(catalogue.ReadText(assets, "properties/assets.xml", &error)) << error;
    EXPECT_NE(catalogue.FindGroup("PlayAssets"), nullptr);
    EXPECT_NE(catalogue.FindGroup("SetAssets"), nullptr);
    EXPECT_GT(catalogue.CountStartupEntries(), 10u);

    std::vector<FontEntry> entries;
    const std::string fonts = ReadContent("fonts.xml");
    ASSERT_TRUE(Fonts::ParseEntries(&fonts, "properties/fonts.xml", &entries, &error)) << error;
    std::set<std::string> names;
    for (const FontEntry& entry : entries) {
        names.insert(entry.mName);
    }
    for (const char* used : {"button", "menu", "large", "normal17", "hud_title", "hud_title2"}) {
        EXPECT_EQ(names.count(used), 1u) << used;
    }
}

}  // namespace
