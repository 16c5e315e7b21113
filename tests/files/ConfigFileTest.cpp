#include "core/files/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/WorkingFolder.h"

class ConfigFileTest : public WorkingFolderTest {};

TEST_F(ConfigFileTest, ShippedConfigLoads) {
    // The source tree from the environment, else from where this file was compiled.
    const char* fromEnv = std::getenv("P7_SOURCE_DIR");
    const std::string source =
        fromEnv != nullptr
            ? std::string(fromEnv)
            : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
    ConfigFile config;
    ASSERT_TRUE(config.LoadFromPath(source + "/content/properties/config.xml"))
        << config.GetError();
    EXPECT_EQ(config.GetTitle(), "Pelnora 7");
    for (int cursor = 0; cursor <= 3; ++cursor) {
        EXPECT_TRUE(config.GetCursorHotSpot(cursor, nullptr, nullptr)) << cursor;
    }
}

TEST_F(ConfigFileTest, ReadsTitleAndHotSpots) {
    Write("properties/config.xml",
          "<config>\n"
          "  <window title=\"Test Title\"/>\n"
          "  <cursor number=\"0\" x=\"1\" y=\"2\"/>\n"
          "  <cursor number=\"3\" x=\"2*4\" y=\"10\"/>\n"
          "</config>\n");
    ConfigFile config;
    ASSERT_TRUE(config.Load()) << config.GetError();
    EXPECT_EQ(config.GetTitle(), "Test Title");
    int x = -1;
    int y = -1;
    EXPECT_TRUE(config.GetCursorHotSpot(3, &x, &y));
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 10);
    EXPECT_FALSE(config.GetCursorHotSpot(1, &x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(config.GetCursorHotSpots().size(), 2u);
}

TEST_F(ConfigFileTest, BadFilesChangeNothing) {
    Write("properties/config.xml",
          "<config><window title=\"Good\"/><cursor number=\"1\" x=\"3\" y=\"4\"/></config>");
    ConfigFile config;
    ASSERT_TRUE(config.Load());

    struct Case {
        const char* text;
        const char* errorPart;
    };
    const Case cases[] = {
        {"<settings/>", "root element must be config, not settings on Line 1"},
        {"<config>\n<cursor number=\"1\" x=\"0\" y=\"0\"/>\n</config>", "No window element"},
        {"<config>\n<window/>\n</config>", "needs a title on Line 2"},
        {"<config><window title=\"a\"/><window title=\"b\"/></config>", "given twice"},
        {"<config><window title=\"a\"/>\n<cursor x=\"0\" y=\"0\"/></config>",
         "needs a number from 0 to 63 on Line 2"},
        {"<config><window title=\"a\"/><cursor number=\"64\" x=\"0\" y=\"0\"/></config>",
         "needs a number"},
        {"<config><window title=\"a\"/><cursor number=\"0\" x=\"0\"/></config>",
         "Cursor 0 needs x and y"},
        {"<config><window title=\"a\"/><cursor number=\"0\" x=\"-1\" y=\"0\"/></config>",
         "Cursor 0 needs x and y"},
        {"<config><window title=\"a\"/><cursor number=\"0\" x=\"left\" y=\"0\"/></config>",
         "Cursor 0 needs x and y"},
        {"<config><window title=\"a\"/><cursor number=\"2\" x=\"0\" y=\"0\"/>"
         "<cursor number=\"2\" x=\"1\" y=\"1\"/></config>",
         "Cursor 2 is given twice"},
        {"<config><window title=\"a\"/><colour/></config>", "Unknown element colour"},
        {"<config><window title=\"a\"><cursor number=\"1\" x=\"0\" y=\"0\"/></window></config>",
         "may not stand inside"},
        {"<config><window title=\"a\">words</window></config>", "Unexpected text"},
        {"<config><window title=\"a\"/>", "in File 'properties/config.xml'"},
    };
    for (const Case& c : cases) {
        Write("properties/config.xml", c.text);
        EXPECT_FALSE(config.Load()) << c.text;
        EXPECT_NE(config.GetError().find(c.errorPart), std::string::npos)
            << c.text << " -> " << config.GetError();
        EXPECT_EQ(config.GetTitle(), "Good");
        int x = 0;
        int y = 0;
        EXPECT_TRUE(config.GetCursorHotSpot(1, &x, &y));
        EXPECT_EQ(x, 3);
        EXPECT_EQ(y, 4);
        EXPECT_EQ(config.GetCursorHotSpots().size(), 1u);
    }
}
