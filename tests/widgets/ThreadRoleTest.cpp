// The widget tree, the dialog table and the sound player belong to the main thread: touching them
// from another thread stops the program with a message instead of racing the main loop.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "audio/SoundPlayer.h"
#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "graphics/assets/LocalizedTexts.h"
#include "support/UiHarness.h"
#include "widgets/Widget.h"

namespace {

#ifndef NDEBUG
template <typename Work>
void RunOnOtherThread(Work work) {
    std::thread other(work);
    other.join();
}

TEST(ThreadRoleDeathTest, WidgetTreeMutationOffTheMainThreadStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            WidgetHarness h;
            Widget child;
            RunOnOtherThread([&] { h.app.GetWidgetManager()->AddWidget(&child); });
        },
        "WidgetContainer::AddWidget called off the main thread");
}

TEST(ThreadRoleDeathTest, DialogTableChangeOffTheMainThreadStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            WidgetHarness h;
            Widget* dialog = new Widget();
            RunOnOtherThread([&] { h.app.AddDialog(dialog); });
        },
        "QuorAppBase::AddDialog called off the main thread");
}

TEST(ThreadRoleDeathTest, SoundPlayerCallOffTheMainThreadStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SoundPlayer player(nullptr, [] { return 1.0; });
            RunOnOtherThread([&] { player.ReleaseAll(); });
        },
        "SoundPlayer::ReleaseAll called off the main thread");
}
#endif

TEST(ThreadRole, LoaderLookupsNeverInsert) {
    ClearConstants();
    LocalizedTexts::Clear();
    std::thread loader([] {
        ExprValue value;
        EXPECT_FALSE(FindConstant("absent_constant", &value));
        std::string text;
        EXPECT_FALSE(LocalizedTexts::Find("absent_text", &text));
    });
    loader.join();
    EXPECT_FALSE(HasConstant("absent_constant"));
    EXPECT_FALSE(LocalizedTexts::Contains("absent_text"));
    LocalizedTexts::Set("greeting", "Hello");
    std::string text;
    EXPECT_TRUE(LocalizedTexts::Find("greeting", &text));
    EXPECT_EQ(text, "Hello");
    LocalizedTexts::Clear();
}

}  // namespace
