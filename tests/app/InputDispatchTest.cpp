// The application's input routine: a press takes the capture and reaches the widget with its
// click count, the release frees the capture, wheel steps are the delta over 120, a lost capture
// releases the pressed widget, and window focus loss releases held keys.

#include <string>
#include <vector>

#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace {

class LoggingWidget : public Widget {
public:
    LoggingWidget() {
        mMouseVisible = true;
        mWantsFocus = true;
    }
    void MouseDown(int x, int y, int c) override {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::to_string(c));
    }
    void MouseUpClicks(int x, int y, int c) override {
        (void)x, (void)y;
        log.push_back("up " + std::to_string(c));
    }
    void MouseEnter() override { log.push_back("enter"); }
    void MouseLeave() override { log.push_back("leave"); }
    void MouseWheel(int d) override { log.push_back("wheel " + std::to_string(d)); }
    void KeyUp(int k) override { log.push_back("keyup " + std::to_string(k)); }
    void KeyChar(char c) override { log.push_back(std::string("char ") + c); }
    std::vector<std::string> log;
};

}  // namespace

TEST(InputDispatch, PressCaptureWheelAndFocus) {
    TempUserFolder folder;
    ManualClock clock;
    QuorAppBase app;
    auto platform = std::make_unique<NullPlatform>();
    NullPlatform* null = platform.get();
    app.SetPlatform(std::move(platform));
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());
    auto* w = new LoggingWidget;
    w->Resize(100, 100, 50, 50);
    app.GetWidgetManager()->AddWidget(w);

    app.OnMouseMove(110, 120);
    app.OnMouseDown(110, 120, 2);
    EXPECT_TRUE(null->IsCaptured());
    EXPECT_EQ(app.GetWidgetManager()->GetFocusWidget(), w);
    app.OnMouseDown(300, 300, -1);  // second button goes to the pressed widget
    app.OnMouseUp(300, 300, 1);
    EXPECT_TRUE(null->IsCaptured());  // the right button is still held
    app.OnCaptureLost();              // the window lost it: the widget is released
    app.OnMouseMove(120, 120);
    app.OnMouseWheel(-240);
    app.OnKeyDown(65);
    app.OnKeyChar('a');
    app.OnFocusLost();
    // The press of the second button first moves the pointer off the widget (it leaves), yet
    // the press still reaches the widget that holds the pointer.
    const std::vector<std::string> expected = {"enter",  "down 10,20 2", "leave", "down 200,200 -1",
                                               "up 1",   "up -1",        "enter", "wheel -2",
                                               "char a", "keyup 65"};
    EXPECT_EQ(w->log, expected);
}

TEST(InputDispatch, MouseAreaMapsOntoTheDesignArea) {
    TempUserFolder folder;
    QuorAppBase app;
    ASSERT_TRUE(app.Init());
    WidgetManager* m = app.GetWidgetManager();
    m->SetAreaRects(Rect(0, 0, 1024, 768), Rect(128, 0, 1536, 1152));
    int x = 128 + 768;
    int y = 576;
    m->RemapMousePosition(&x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);
    m->SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 0, 0));  // not sized yet: no division
    x = 7;
    y = 9;
    m->RemapMousePosition(&x, &y);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 9);
}
