#pragma once
// Utilities shared by the game-data tests: a scratch per-user folder and a small catalogue.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/util/FileUtil.h"
#include "game/data/GameData.h"
#include "game/data/GameStats.h"
#include "game/data/MyLocalization.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleStats.h"
#include "game/data/SetStats.h"
#include "support/TempFolder.h"

namespace datatest {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string FixturePath(const std::string& name) {
    const char* source = std::getenv("P7_SOURCE_DIR");
    const std::string root = source != nullptr ? source : ".";
    return root + "/tests/data/fixtures/" + name;
}

// Three story sets of 2, 3 and 1 puzzles and two bonus sets of 2 and 1, all 2 by 2.
inline const char* kSmallCatalog = R"(<puzzles>
<game name="pelnora7">
 <mode>
  <set><puzzle name="a"><grid>10 01</grid></puzzle><puzzle name="b"><grid>11 01</grid></puzzle></set>
  <set><puzzle name="c"><grid>10 00</grid></puzzle><puzzle name="d"><grid>01 00</grid></puzzle>
       <puzzle name="e"><grid>11 11</grid></puzzle></set>
  <set><puzzle name="f"><grid>10 10</grid></puzzle></set>
 </mode>
 <mode>
  <set><puzzle name="g"><grid>01 01</grid></puzzle><puzzle name="h"><grid>11 10</grid></puzzle></set>
  <set><puzzle name="i"><grid>10 11</grid></puzzle></set>
 </mode>
</game>
</puzzles>)";

inline void LoadSmallCatalog() {
    PuzzleStats reader;
    ASSERT_TRUE(reader.LoadText(kSmallCatalog, "small.xml")) << reader.GetError();
}

// Every test starts from empty tables and a fresh per-user folder of its own.
class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        mData = std::make_unique<GameData>();
        mScope = std::make_unique<ScopedGameData>(mData.get());
        mTemp = std::make_unique<TempFolder>();
        mFolder = mTemp->Path();
        SetAppDataFolder(mFolder);
    }
    void TearDown() override {
        mScope.reset();
        mData.reset();
        mTemp.reset();
    }

    std::unique_ptr<TempFolder> mTemp;
    std::string mFolder;              // ends in '/'
    std::unique_ptr<GameData> mData;  // every table of this test, none shared with another
    std::unique_ptr<ScopedGameData> mScope;
};

}  // namespace datatest
