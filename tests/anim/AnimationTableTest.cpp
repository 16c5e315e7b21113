#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "support/WorkingFolder.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

namespace {

class AnimationTableTest : public WorkingFolderTest {
protected:
    // Reads the files written below properties/ into mTable.
    bool Load(AnimationStats* stats) { return stats->ReadAll(); }

    AnimationTable mTable;
};

TEST_F(AnimationTableTest, CommandsParametersConditionsAndBlocks) {
    Write("properties/animations.xml", R"(<animations>
  <animation name="intro">
    <set id="self" property="x" value="5" if="ready" unless="done"/>
    <loop count="2">
      <wait-for time="10"/>
      <if cond="a">
        <print message="'deep'"/>
      </if>
    </loop>
    <unknown-word anything="1">text is not used</unknown-word>
  </animation>
</animations>)");
    AnimationStats stats(false, &mTable);
    ASSERT_TRUE(Load(&stats)) << (stats.GetErrors().empty() ? "" : stats.GetErrors()[0]);
    const auto intro = mTable.Find("intro");
    ASSERT_TRUE(intro);
    EXPECT_EQ(intro->mName, "intro");
    ASSERT_EQ(intro->mCommands.size(), 3u);
    const AnimationCommand& set = intro->mCommands[0];
    EXPECT_EQ(set.mCommand, "set");
    EXPECT_EQ(set.mIf, "ready");
    EXPECT_EQ(set.mUnless, "done");
    EXPECT_FALSE(set.HasParam("if"));
    EXPECT_FALSE(set.HasParam("unless"));
    EXPECT_EQ(*set.FindParam("value"), "5");
    EXPECT_EQ(set.mParams.size(), 3u);
    const AnimationCommand& loop = intro->mCommands[1];
    ASSERT_EQ(loop.mChildren.size(), 2u);
    EXPECT_EQ(loop.mChildren[0].mCommand, "wait-for");
    ASSERT_EQ(loop.mChildren[1].mChildren.size(), 1u);
    EXPECT_EQ(loop.mChildren[1].mChildren[0].mCommand, "print");
    EXPECT_EQ(*loop.mChildren[1].mChildren[0].FindParam("message"), "'deep'");
    EXPECT_EQ(intro->mCommands[2].mCommand, "unknown-word");
    EXPECT_TRUE(intro->mCommands[2].mChildren.empty());
}

TEST_F(AnimationTableTest, IncludesAreReadInQueueOrderAndLaterDefinitionsWin) {
    Write("properties/animations.xml", R"(<animations>
  <include file="b.xml"/>
  <animation name="shared"><first/></animation>
  <animation name="main">
    <include file="c.xml"/>
    <still-main/>
  </animation>
</animations>)");
    Write("properties/b.xml", R"(<animations>
  <include file="d.xml"/>
  <animation name="shared"><from-b/></animation>
</animations>)");
    Write("properties/c.xml", R"(<animations><animation name="c"><x/></animation></animations>)");
    Write("properties/d.xml", R"(<animations>
  <animation name="shared"><from-d/><from-d-again/></animation>
</animations>)");
    int progress = 0;
    AnimationStats stats(false, &mTable, [&progress] { ++progress; });
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Load(&stats));
    const std::string log = testing::internal::GetCapturedStderr();
    // Every repeat is named with the file of the definition it replaces and its own.
    EXPECT_NE(log.find("Script 'shared' is defined in 'animations.xml' and again in 'b.xml'"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Script 'shared' is defined in 'b.xml' and again in 'd.xml'"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("'main'"), std::string::npos) << log;
    EXPECT_EQ(stats.GetFilesRead(),
              (std::vector<std::string>{"animations.xml", "b.xml", "c.xml", "d.xml"}));
    // d is read last, so its definition alone remains.
    const auto shared = mTable.Find("shared");
    ASSERT_EQ(shared->mCommands.size(), 2u);
    EXPECT_EQ(shared->mCommands[0].mCommand, "from-d");
    // An include inside an animation does not end it.
    const auto main = mTable.Find("main");
    ASSERT_EQ(main->mCommands.size(), 1u);
    EXPECT_EQ(main->mCommands[0].mCommand, "still-main");
    EXPECT_EQ(progress, 5);
    EXPECT_EQ(stats.GetCount(), 5);
    EXPECT_EQ(mTable.Size(), 3u);

    // Counting mode follows the includes too and stores nothing.
    AnimationTable untouched;
    AnimationStats counting(true, &untouched, [&progress] { ++progress; });
    ASSERT_TRUE(Load(&counting));
    EXPECT_EQ(counting.GetCount(), 5);
    EXPECT_EQ(untouched.Size(), 0u);
    EXPECT_EQ(progress, 5);
}

TEST_F(AnimationTableTest, RedefinitionKeepsTheOldRecordAliveForItsHolders) {
    Write("properties/animations.xml", R"(<animations>
  <animation name="a"><one/></animation>
</animations>)");
    AnimationStats first(false, &mTable);
    ASSERT_TRUE(Load(&first));
    const auto old = mTable.Find("a");
    Write("properties/animations.xml", R"(<animations>
  <animation name="a"><two/><three/></animation>
  <animation name="a"><four/></animation>
</animations>)");
    AnimationStats second(false, &mTable);
    ASSERT_TRUE(Load(&second));
    ASSERT_EQ(old->mCommands.size(), 1u);
    EXPECT_EQ(old->mCommands[0].mCommand, "one");
    const auto now = mTable.Find("a");
    ASSERT_EQ(now->mCommands.size(), 1u);
    EXPECT_EQ(now->mCommands[0].mCommand, "four");
}

TEST_F(AnimationTableTest, IncludeCyclesEndAndRepeatsAreReadOnce) {
    Write("properties/animations.xml", R"(<animations>
  <include file="a.xml"/><include file="animations.xml"/>
  <animation name="top"/>
</animations>)");
    Write("properties/a.xml", R"(<animations>
  <include file="b.xml"/><include file="./A.xml"/>
</animations>)");
    Write("properties/b.xml", R"(<animations>
  <include file="a.xml"/><include file="animations.xml"/>
  <animation name="from-b"/>
</animations>)");
    AnimationStats stats(false, &mTable);
    ASSERT_TRUE(Load(&stats));
    EXPECT_EQ(stats.GetFilesRead(), (std::vector<std::string>{"animations.xml", "a.xml", "b.xml"}));
    EXPECT_TRUE(mTable.Contains("top"));
    EXPECT_TRUE(mTable.Contains("from-b"));
}

TEST_F(AnimationTableTest, CommandsOutsideAnimationsAreReportedAndSkipped) {
    Write("properties/animations.xml", R"(<animations>
  <set id="self" property="x" value="1">
    <child/>
  </set>
  <animation name="kept"><print message="'ok'"/></animation>
  <animation><lost/></animation>
</animations>)");
    AnimationStats stats(false, &mTable);
    EXPECT_FALSE(Load(&stats));
    ASSERT_EQ(stats.GetErrors().size(), 2u);
    EXPECT_NE(stats.GetErrors()[0].find("\"set\""), std::string::npos);
    EXPECT_NE(stats.GetErrors()[0].find(" on Line 2"), std::string::npos);
    EXPECT_NE(stats.GetErrors()[0].find("animations.xml'"), std::string::npos);
    EXPECT_NE(stats.GetErrors()[1].find(" on Line 6"), std::string::npos);
    // The rest of the file is read.
    const auto kept = mTable.Find("kept");
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->mCommands.size(), 1u);
    EXPECT_EQ(mTable.Size(), 1u);
}

TEST_F(AnimationTableTest, ABrokenFileAddsNothingAndTheOthersStillLoad) {
    Write("properties/animations.xml", R"(<animations>
  <include file="broken.xml"/><include file="missing.xml"/><include file="good.xml"/>
</animations>)");
    Write("properties/broken.xml", R"(<animations>
  <animation name="half"><one/></animation>
  <include file="never.xml"/>
  <animation name="bad"><oops></animation>
</animations>)");
    Write("properties/never.xml", R"(<animations><animation name="never"/></animations>)");
    Write("properties/good.xml", R"(<animations><animation name="good"/></animations>)");
    AnimationStats stats(false, &mTable);
    EXPECT_FALSE(Load(&stats));
    ASSERT_EQ(stats.GetErrors().size(), 2u);
    EXPECT_NE(stats.GetErrors()[0].find("broken.xml"), std::string::npos);
    EXPECT_NE(stats.GetErrors()[0].find(" on Line 4"), std::string::npos);
    EXPECT_NE(stats.GetErrors()[1].find("missing.xml"), std::string::npos);
    EXPECT_FALSE(mTable.Contains("half"));
    EXPECT_FALSE(mTable.Contains("never"));
    EXPECT_TRUE(mTable.Contains("good"));
}

TEST_F(AnimationTableTest, LookupsInsertOnlyOnTheMainThread) {
    const auto missing = mTable.Lookup("nowhere");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->IsEmpty());
    EXPECT_EQ(missing->mName, "nowhere");
    EXPECT_TRUE(mTable.Contains("nowhere"));

    std::shared_ptr<const Animation> fromLoader;
    std::thread loader([&] { fromLoader = mTable.Lookup("elsewhere"); });
    loader.join();
    ASSERT_TRUE(fromLoader);
    EXPECT_TRUE(fromLoader->IsEmpty());
    EXPECT_EQ(fromLoader->mName, "elsewhere");
    EXPECT_FALSE(mTable.Contains("elsewhere"));
    EXPECT_EQ(mTable.Find("elsewhere"), nullptr);
}

TEST_F(AnimationTableTest, LookupsWhileAnotherThreadLoads) {
    std::string text = "<animations>\n";
    for (int i = 0; i < 300; ++i) {
        text +=
            "<animation name=\"s" + std::to_string(i) + "\"><wait-for time=\"1\"/></animation>\n";
    }
    text += "</animations>\n";
    Write("properties/animations.xml", text);
    std::thread loader([this] {
        for (int round = 0; round < 5; ++round) {
            AnimationStats stats(false, &mTable);
            stats.ReadAll();
        }
    });
    size_t seen = 0;
    for (int i = 0; i < 2000; ++i) {
        const auto script = mTable.Lookup("s" + std::to_string(i % 300));
        seen += script->mCommands.size();
    }
    loader.join();
    EXPECT_EQ(mTable.Find("s299")->mCommands.size(), 1u);
    (void)seen;
}

TEST(AnimationContent, TheShippedScriptFileReadsCleanly) {
    AnimationTable table;
    AnimationStats stats(false, &table);
    const std::string folder = std::string(std::getenv("P7_SOURCE_DIR")) + "/content/properties/";
    testing::internal::CaptureStderr();
    EXPECT_TRUE(stats.ReadAll("animations.xml", folder))
        << (stats.GetErrors().empty() ? "" : stats.GetErrors()[0]);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("is defined in"), std::string::npos) << "one script per name\n" << log;
    // Loading screens open with their transition's sound.
    bool sound = false;
    for (const AnimationCommand& command : table.Find("map_to_select_transition")->mCommands) {
        sound = sound || (command.mCommand == "sound" && command.FindParam("name") != nullptr &&
                          *command.FindParam("name") == "'transition'");
    }
    EXPECT_TRUE(sound);
}

}  // namespace
