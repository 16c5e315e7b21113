#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "graphics/ImageAtlasPiece.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/assets/AudioAssetLoader.h"

namespace {

const char* kCatalogue = R"(<assets>
  <group name="Startup">
    <image name="button" path="images/button.png" cols="2"/>
    <image name="atlas" path="images/atlas.png">
      <piece name="star" x="0" y="0" width="8" height="8"/>
      <piece name="too_big" x="60" y="0" width="8" height="8"/>
    </image>
    <image name="missing" path="images/missing.png"/>
    <sound name="click" path="sounds/click.ogg"/>
    <sound name="broken" path="sounds/broken.ogg"/>
    <track name="title" path="music/title.ogg"/>
  </group>
  <group name="PlayAssets" load="demand">
    <image name="play_bg_ipad" path="images/play/bg_ipad.jpg"/>
    <image name="play_bg_pc" path="images/play/bg_pc.jpg"/>
    <image name="grid_ipad" path="images/play/grid_ipad.png"/>
    <track name="play_music_ipad" path="music/play_ipad.ogg"/>
  </group>
</assets>)";

class FakeAudio : public AudioAssetLoader {
public:
    int LoadSound(const std::string& path) override {
        return path.find("broken") != std::string::npos ? -1 : mNext++;
    }
    int LoadTrack(const std::string& /*path*/) override { return 100 + mNext++; }
    std::atomic<int> mNext{1};
};

// Makes 64 by 16 images for any path except the missing one, counting decodes.
AssetManager::ImageLoader CountingLoader(std::atomic<int>* decodes) {
    return [decodes](const AssetImageEntry& entry) -> std::shared_ptr<Image> {
        if (entry.mPath.find("missing") != std::string::npos) {
            return nullptr;
        }
        ++*decodes;
        auto image = std::make_shared<ImageSurface>();
        image->Create(64, 16);
        image->SetName(entry.mName);
        image->SetCells(entry.mCols, entry.mRows);
        return image;
    };
}

class AssetManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        AssetCatalogue catalogue;
        std::string error;
        ASSERT_TRUE(catalogue.ReadText(kCatalogue, "properties/assets.xml", &error)) << error;
        mManager.SetCatalogue(std::move(catalogue));
        mManager.SetImageLoader(CountingLoader(&mDecodes));
        mManager.SetAudioLoader(&mAudio);
    }

    AssetManager mManager;
    FakeAudio mAudio;
    std::atomic<int> mDecodes{0};
};

TEST_F(AssetManagerTest, StartupLoadsEverythingItCanAndCountsEveryEntry) {
    EXPECT_EQ(mManager.GetStartupEntryCount(), 8u);
    int progress = 0;
    mManager.LoadStartupAssets([&] { ++progress; });
    EXPECT_EQ(progress, 8);

    Image* button = mManager.FindImage("button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCols(), 2);
    EXPECT_EQ(mManager.FindImage("missing"), nullptr);  // logged, not fatal
    Image* star = mManager.FindImage("star");
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->GetWidth(), 8);
    EXPECT_EQ(star->GetBaseSurface(), mManager.FindImage("atlas"));
    EXPECT_EQ(mManager.FindImage("too_big"), nullptr);  // outside its atlas
    EXPECT_GT(mManager.FindSound("click"), 0);
    EXPECT_EQ(mManager.FindSound("broken"), -1);
    EXPECT_EQ(mManager.FindSound("nothing"), -1);
    EXPECT_GE(mManager.FindNamedId("title"), 100);
    EXPECT_EQ(mManager.FindImage("play_bg_ipad"), nullptr);  // on demand only

    // Loading again decodes nothing twice.
    const int decodes = mDecodes.load();
    mManager.LoadStartupAssets({});
    EXPECT_EQ(mDecodes.load(), decodes);
}

TEST_F(AssetManagerTest, GroupsLoadOnlyTheCollectedNames) {
    AssetSet names;
    mManager.CollectAssetsMatching("_ipad", &names);
    EXPECT_EQ(names.mImages, (std::set<std::string>{"play_bg_ipad", "grid_ipad"}));
    EXPECT_EQ(names.mTracks, (std::set<std::string>{"play_music_ipad"}));
    AssetSet atlasNames;
    mManager.CollectAssetsMatching("atlas", &atlasNames);
    EXPECT_EQ(atlasNames.mImages, (std::set<std::string>{"atlas", "star", "too_big"}));

    AssetSet copy;
    copy = names;
    EXPECT_EQ(copy.mImages, names.mImages);

    std::string result;
    EXPECT_TRUE(mManager.LoadGroup(&result, copy, nullptr, "PlayAssets"));
    EXPECT_NE(mManager.FindImage("play_bg_ipad"), nullptr);
    EXPECT_NE(mManager.FindImage("grid_ipad"), nullptr);
    EXPECT_EQ(mManager.FindImage("play_bg_pc"), nullptr);
    EXPECT_GE(mManager.FindNamedId("play_music_ipad"), 100);
    EXPECT_NE(result.find("3 loaded"), std::string::npos) << result;

    EXPECT_FALSE(mManager.LoadGroup(&result, copy, nullptr, "NoSuchGroup"));
    EXPECT_NE(result.find("NoSuchGroup"), std::string::npos);
}

TEST_F(AssetManagerTest, AbortStopsTheLoadingEarly) {
    AssetCatalogue catalogue;
    std::string text = "<assets><group name=\"Big\" load=\"demand\">";
    for (int i = 0; i < 200; ++i) {
        text += "<image name=\"i" + std::to_string(i) + "\" path=\"p" + std::to_string(i) + "\"/>";
    }
    text += "</group></assets>";
    ASSERT_TRUE(catalogue.ReadText(text, "assets.xml", nullptr));
    mManager.SetCatalogue(std::move(catalogue));

    std::atomic<bool> abort{false};
    std::atomic<int> decodes{0};
    auto inner = CountingLoader(&decodes);
    mManager.SetImageLoader([&](const AssetImageEntry& entry) {
        if (decodes.load() >= 10) {
            abort = true;  // as a loading screen removed while its thread runs
        }
        return inner(entry);
    });
    AssetSet all;
    all.mAll = true;
    std::string result;
    EXPECT_FALSE(mManager.LoadGroup(&result, all, &abort, "Big"));
    EXPECT_NE(result.find("aborted"), std::string::npos) << result;
    EXPECT_LT(decodes.load(), 30);  // each worker stops after the image it holds

    // Already set before the start: nothing loads.
    decodes = 0;
    EXPECT_FALSE(mManager.LoadGroup(nullptr, all, &abort, "Big"));
    EXPECT_EQ(decodes.load(), 0);
}

TEST_F(AssetManagerTest, LookupsRunWhileALoaderFillsTheTablesAndImagesOutliveReplacement) {
    AssetSet all;
    all.mAll = true;
    std::thread loader([&] { mManager.LoadStartupAssets({}); });
    int found = 0;
    for (int i = 0; i < 2000; ++i) {
        found += mManager.FindImage("button") != nullptr ? 1 : 0;
        found += mManager.FindSound("click") > 0 ? 1 : 0;
        found += mManager.FindNamedId("title") > 0 ? 1 : 0;
    }
    loader.join();
    EXPECT_GE(found, 0);

    // A widget holding the plain pointer keeps a valid image after the name is replaced.
    Image* old = mManager.FindImage("button");
    ASSERT_NE(old, nullptr);
    mManager.SetImage("button", std::make_shared<ImageSurface>());
    EXPECT_NE(mManager.FindImage("button"), old);
    EXPECT_EQ(old->GetCols(), 2);  // still alive
    std::shared_ptr<Image> shared = mManager.FindImageShared("star");
    mManager.Clear();
    EXPECT_EQ(mManager.FindImage("star"), nullptr);
    EXPECT_EQ(shared->GetWidth(), 8);  // shared owners keep theirs
}

}  // namespace
