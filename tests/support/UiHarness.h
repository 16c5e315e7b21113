#pragma once
// The widget test harness: a windowless application (gApp) on a manual clock with its widget
// manager sized 1024 x 768, drawing into a Graphics that only measures. Input goes through the
// application's own input routine, so capture, click counts and deferred deletion behave as in
// the game.
//
//   WidgetHarness h;
//   auto* w = h.Add(new ProbeWidget("a", &log), 10, 10, 50, 20);  // on the root (or a parent)
//   h.MoveTo(15, 15); h.Press(15, 15); h.MoveTo(80, 15); h.Release(80, 15);
//   h.Click(15, 15); h.Click(15, 15, 2) (double); h.Click(15, 15, -1) (right); h.Scroll(-2);
//   h.Key(37); h.KeyDown(16) ... h.KeyUp(16); h.Type("abc"); h.Char(3);
//   h.RunUpdates(5);   // fixed updates, each followed by a float update of 1.0
//   h.Draw();          // one draw pass; true when the tree was dirty and was drawn
//   h.LoadScripts("<animation name=\"a\">...</animation>");  // into the script table
//   auto* w = h.Own(std::make_unique<MyWidget>());  // deleted with the harness
//   WidgetHarness bare(WidgetHarness::kNoHost);  // widgets see no host (GetWidgetHost() null)
// Sounds, cursors and the clipboard land in h.app (sounds, cursor, GetClipboard()). HarnessFont
// is a fixed-width font (8 pixels a character, 16 high) for layout tests; ProbeWidget logs every
// call it receives as "name:event".

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/GameApp.h"
#include "graphics/Graphics.h"
#include "platform/ManualClock.h"
#include "support/HarnessFont.h"
#include "support/TempFolder.h"
#include "widgets/Widget.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

// The application as the harness runs it: no window, no sound device; it records what the
// widgets ask of it.
class HarnessApp : public GameApp {
public:
    HarnessApp() : GameApp("Harness", "v1.2", 1024, 768) {}

    void PlaySample(int soundId) override { sounds.push_back(soundId); }
    void PlaySoundEffect(int soundId, int minTicks, double volume) override {
        (void)minTicks, (void)volume;
        sounds.push_back(soundId);
    }
    void SetCursor(int number) override {
        QuorAppBase::SetCursor(number);
        cursorChanges.push_back(number);
    }

    // One fixed update (the tree, then queued deletions) and one float update of 1.0.
    void Tick() {
        UpdateFrame();
        UpdateFramesF(1.0f);
    }
    void DrawNow() { DrawFrame(); }

    std::vector<int> sounds;
    std::vector<int> cursorChanges;
};

// A widget that logs every call it receives into a shared log as "name:event".
class ProbeWidget : public Widget {
public:
    ProbeWidget(std::string name, std::vector<std::string>* log)
        : mName(std::move(name)), mLog(log) {
        mMouseVisible = true;
    }
    void Note(const std::string& event) {
        if (mLog != nullptr) {
            mLog->push_back(mName + ":" + event);
        }
    }
    void Update() override {
        if (logUpdates) {
            Note("update");
        }
    }
    void Draw(Graphics* g) override {
        (void)g;
        Note("draw");
    }
    void DrawOverlayAtPriority(Graphics* g, int priority) override {
        (void)g;
        Note("overlay " + std::to_string(priority));
    }
    void MouseEnter() override { Note("enter"); }
    void MouseLeave() override { Note("leave"); }
    void MouseMove(int x, int y) override {
        if (logMoves) {
            Note("move " + std::to_string(x) + "," + std::to_string(y));
        }
    }
    void MouseDown(int x, int y, int c) override {
        Note("down " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
    }
    void MouseUpClicks(int x, int y, int c) override {
        Note("up " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
    }
    void MouseDrag(int x, int y) override {
        Note("drag " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseWheel(int d) override { Note("wheel " + std::to_string(d)); }
    void KeyDown(int k) override {
        Note("keydown " + std::to_string(k));
        Widget::KeyDown(k);
    }
    void KeyUp(int k) override { Note("keyup " + std::to_string(k)); }
    void KeyChar(char c) override { Note(std::string("char ") + c); }
    void GotFocus() override {
        Widget::GotFocus();
        Note("focus");
    }
    void LostFocus() override {
        Widget::LostFocus();
        Note("blur");
    }

    bool logUpdates = false;
    bool logMoves = false;

private:
    std::string mName;
    std::vector<std::string>* mLog;
};

class WidgetHarness {
public:
    enum HostMode { kWithHost, kNoHost };

    // kNoHost runs the same tree and input with no widget host installed, as the widget layer
    // meets it in a program without an application object.
    explicit WidgetHarness(HostMode mode = kWithHost) {
        app.SetClock(&clock);
        manager = app.GetWidgetManager();
        manager->SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
        if (mode == kNoHost) {
            SetWidgetHost(nullptr);
        }
    }
    ~WidgetHarness() {
        // Owned widgets leave the tree before the application and its manager go.
        for (auto it = mOwned.rbegin(); it != mOwned.rend(); ++it) {
            if (WidgetContainer* parent = (*it)->GetParent()) {
                parent->RemoveWidget(it->get());
            }
        }
        mOwned.clear();
        AnimationTable::Get().Clear();
    }

    // Keeps the widget alive until the harness ends (its removal from the tree then deletes
    // nothing); returns it.
    template <typename W>
    W* Own(std::unique_ptr<W> widget) {
        W* raw = widget.get();
        raw->mDeleteOnRemove = false;
        mOwned.push_back(std::move(widget));
        return raw;
    }

    // Reads "<animations>" + body + "</animations>" into the process-wide script table.
    void LoadScripts(const std::string& body) {
        TempFolder folder;
        std::ofstream(folder.Path() + "animations.xml") << "<animations>" + body + "</animations>";
        AnimationStats stats(false);
        ASSERT_TRUE(stats.ReadAll("animations.xml", folder.Path()))
            << (stats.GetErrors().empty() ? "" : stats.GetErrors()[0]);
    }

    // Places the widget and adds it to parent (the root when null); returns it.
    template <typename W>
    W* Add(W* widget, float x, float y, int width, int height, WidgetContainer* parent = nullptr) {
        widget->Resize(x, y, width, height);
        (parent != nullptr ? parent : manager)->AddWidget(widget);
        return widget;
    }

    void MoveTo(int x, int y) { app.OnMouseMove(x, y); }
    // clickCount: 1 left, 2 left double, -1 right, -2 right double, 0 middle.
    void Press(int x, int y, int clickCount = 1) { app.OnMouseDown(x, y, clickCount); }
    // A release passes 1, -1 or 0 as the application does.
    void Release(int x, int y, int clickCount = 1) {
        app.OnMouseUp(x, y, clickCount > 0 ? 1 : (clickCount < 0 ? -1 : 0));
    }
    void Click(int x, int y, int clickCount = 1) {
        MoveTo(x, y);
        Press(x, y, clickCount);
        Release(x, y, clickCount);
    }
    // Press at the start, move in steps to the end, release there.
    void Drag(int x0, int y0, int x1, int y1, int steps = 4) {
        MoveTo(x0, y0);
        Press(x0, y0);
        for (int i = 1; i <= steps; ++i) {
            MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        }
        Release(x1, y1);
    }
    // Wheel steps (the system delta is steps times 120).
    void Scroll(int steps) { app.OnMouseWheel(steps * 120); }
    void KeyDown(int key) { app.OnKeyDown(key); }
    void KeyUp(int key) { app.OnKeyUp(key); }
    void Key(int key) {
        KeyDown(key);
        KeyUp(key);
    }
    // A key with a modifier held (16 Shift, 17 Control).
    void KeyWith(int modifier, int key) {
        KeyDown(modifier);
        Key(key);
        KeyUp(modifier);
    }
    void Char(char c) { app.OnKeyChar(c); }
    void Type(const std::string& text) {
        for (char c : text) {
            Char(c);
        }
    }

    void RunUpdates(int count) {
        for (int i = 0; i < count; ++i) {
            clock.Advance(10);
            app.Tick();
        }
    }
    bool Draw() {
        const uint64_t before = app.GetDrawCount();
        app.DrawNow();
        return app.GetDrawCount() != before;
    }

    ManualClock clock;
    HarnessApp app;
    WidgetManager* manager = nullptr;

private:
    std::vector<std::unique_ptr<Widget>> mOwned;
};
