// The pointer the application shows: a tool's custom pointer widget becomes the window system's
// own colour pointer (so it follows the pointer at once), the system pointer returns when the
// option is off or the widget goes; and the chosen mouse speed moves the pointer only in full
// screen, where its slider is.

#include <fstream>
#include <memory>
#include <vector>

#include "core/util/FileUtil.h"
#include "graphics/ImageSurface.h"
#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/DynamicWidget.h"

namespace {

std::unique_ptr<ImageSurface> Picture(int width, int height, uint32_t first) {
    std::vector<uint32_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.push_back(0xFF000000u | (first + static_cast<uint32_t>(i)));
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetPixels(width, height, std::move(pixels));
    return image;
}

uint32_t At(const NullPlatform& platform, int x, int y) {
    return platform.GetCursorPixels()[static_cast<size_t>(y * platform.GetCursorWidth() + x)];
}

}  // namespace

TEST(Pointer, TheCustomPointerIsTheWidgetsPictureWithItsOriginAsTheHotSpot) {
    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
    auto owned = std::make_unique<NullPlatform>();
    NullPlatform* platform = owned.get();
    app.SetPlatform(std::move(owned));
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    app.BeginRun();

    // A hidden pointer widget, as the play screen makes it: a 4x3 picture whose top left is
    // (-1, -2) from the widget, and a 2x2 one at (2, 0) over its corner.
    const auto brush = Picture(4, 3, 0x100);
    const auto dot = Picture(2, 2, 0x200);
    auto* cursor = new DynamicWidget(0, 0, nullptr, 1.0f);
    cursor->SetVisible(false);
    app.GetWidgetManager()->AddWidget(cursor);
    cursor->AddWidget(new DynamicWidget(-1, -2, brush.get(), 1.0f));

    app.SetCursorImage(cursor);
    ASSERT_TRUE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorWidth(), 4);
    EXPECT_EQ(platform->GetCursorPixels().size(), 12u);
    EXPECT_EQ(platform->GetCursorHotX(), 1);
    EXPECT_EQ(platform->GetCursorHotY(), 2);
    EXPECT_EQ(At(*platform, 0, 0), 0xFF000100u);
    EXPECT_EQ(At(*platform, 3, 2), 0xFF00010Bu);

    // The option off: the system's arrow, never a hidden pointer.
    app.SetCustomCursorsEnabled(false);
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorNumber(), 0);
    app.SetCustomCursorsEnabled(true);
    EXPECT_TRUE(platform->HasCursorImage());
    app.SetCursorImage(nullptr);
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorNumber(), 0);

    // A widget whose script has not added its picture yet: the arrow meanwhile, the picture as
    // soon as it has one, laid out over the union of its parts.
    auto* late = new DynamicWidget(0, 0, nullptr, 1.0f);
    late->SetVisible(false);
    app.GetWidgetManager()->AddWidget(late);
    app.SetCursorImage(late);
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorNumber(), 0);
    late->AddWidget(new DynamicWidget(-1, -2, brush.get(), 1.0f));
    late->AddWidget(new DynamicWidget(2, 0, dot.get(), 1.0f));
    clock.Advance(20);
    app.MainLoopStep();
    ASSERT_TRUE(platform->HasCursorImage());
    EXPECT_EQ(platform->GetCursorWidth(), 5);
    EXPECT_EQ(platform->GetCursorPixels().size(), 20u);
    EXPECT_EQ(platform->GetCursorHotX(), 1);
    EXPECT_EQ(platform->GetCursorHotY(), 2);
    EXPECT_EQ(At(*platform, 3, 2), 0xFF000200u);  // the dot lies over the brush
    EXPECT_EQ(At(*platform, 4, 3), 0xFF000203u);
    EXPECT_EQ(At(*platform, 0, 3), 0u);  // covered by neither

    // The widget goes: the system pointer comes back.
    late->MarkForRemoval();
    for (int i = 0; i < 3; ++i) {
        clock.Advance(20);
        app.MainLoopStep();
    }
    EXPECT_FALSE(platform->HasCursorImage());
    EXPECT_EQ(app.GetCursorImage(), nullptr);
}

TEST(Pointer, TheMouseSpeedMovesThePointerOnlyInFullScreen) {
    TempUserFolder folder;
    // Left at the slowest in full screen, then a window chosen: the next start is windowed.
    MkDir(folder.UserFile(""));
    std::ofstream(folder.UserFile("settings.xml")) << "<settings mouse-speed=\"1\"/>\n";
    ManualClock clock;
    QuorAppBase app;
    auto owned = std::make_unique<NullPlatform>();
    NullPlatform* platform = owned.get();
    app.SetPlatform(std::move(owned));
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    ASSERT_TRUE(app.mWindowed);
    EXPECT_EQ(app.GetMouseSpeed(), 1);
    EXPECT_EQ(platform->GetMouseSpeed(), 10);  // a window keeps the desktop's own

    app.SetMouseSpeed(3);
    EXPECT_EQ(platform->GetMouseSpeed(), 10);
    app.SwitchScreenMode(false, false);
    EXPECT_EQ(platform->GetMouseSpeed(), 3);
    app.SetMouseSpeed(17);
    EXPECT_EQ(platform->GetMouseSpeed(), 17);
    app.SwitchScreenMode(true, false);
    EXPECT_EQ(platform->GetMouseSpeed(), 10);
    EXPECT_EQ(app.GetMouseSpeed(), 17);  // kept for the next full screen
}
