#pragma once
// The real game, headless, for the tests of the title side of the game: MyGameApp on a manual
// clock with no window and the shipped content, a fresh per-user folder, and input through the
// application's own event entry points.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "game/screens/MyGameApp.h"
#include "platform/ManualClock.h"
#include "platform/NullPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetContainer.h"
#include "widgets/controls/ButtonWidget.h"

class TitleFlowHarness {
public:
    TitleFlowHarness() {
        app = std::make_unique<MyGameApp>();
        app->SetPlatform(std::make_unique<NullPlatform>());
        app->SetClock(&clock);
        app->SetDefaultDataFolder(std::string(P7_SOURCE_DIR) + "/content/");
    }
    ~TitleFlowHarness() { Close(); }

    // Init, the loading thread, and updates until loading has completed.
    void Start() {
        ASSERT_TRUE(app->Init());
        app->BeginRun();
        // The loader runs on its own thread: wait for it (a busy machine may take a while), then
        // let the main thread run its completion step.
        for (int i = 0; i < 60000 && !app->IsLoadingComplete(); ++i) {
            if (app->GetLoadingThreadProgress() < 1.0f) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            Run(1);
        }
        ASSERT_TRUE(app->IsLoadingComplete())
            << "loading stopped at " << app->GetLoadingThreadProgress();
    }
    // Quits (if nothing did yet) and destroys the application, which saves the profiles.
    void Close() {
        if (!app) {
            return;
        }
        app->Quit();
        app->MainLoopStep();
        app->Shutdown();
        app.reset();
    }

    void Run(int updates) {
        for (int i = 0; i < updates; ++i) {
            clock.Advance(10);
            app->MainLoopStep();
        }
    }
    // Runs until pred holds (at most limit updates); false when it never did.
    template <typename Pred>
    bool RunUntil(Pred pred, int limit = 6000) {
        for (int i = 0; i < limit; ++i) {
            if (pred()) {
                return true;
            }
            Run(1);
        }
        return pred();
    }

    // The screen on top: the application's active menu, as T (null when it is another class).
    template <typename T>
    T* Top() const {
        return dynamic_cast<T*>(app->GetActiveMenu());
    }

    static void GlobalPosition(const Widget* w, float* x, float* y) {
        *x = 0.0f;
        *y = 0.0f;
        for (const Widget* at = w; at != nullptr; at = dynamic_cast<const Widget*>(at->mParent)) {
            *x += at->mX;
            *y += at->mY;
        }
    }
    // A left click in the middle of w, then one update.
    void Click(const Widget* w) {
        float x = 0.0f;
        float y = 0.0f;
        GlobalPosition(w, &x, &y);
        ClickAt(static_cast<int>(x) + w->mWidth / 2, static_cast<int>(y) + w->mHeight / 2);
    }
    void ClickAt(int x, int y) {
        app->OnMouseMove(x, y);
        app->OnMouseDown(x, y, 1);
        app->OnMouseUp(x, y, 1);
        Run(1);
    }
    // Characters as the window system delivers typed text.
    void Type(const std::string& text) {
        for (char c : text) {
            app->OnKeyChar(c);
        }
        Run(1);
    }
    // A key with the control character the window system sends with it (Enter 13, Backspace 8).
    void Key(int code) {
        app->OnKeyDown(code);
        app->OnKeyChar(static_cast<char>(code));
        app->OnKeyUp(code);
        Run(1);
    }

    // The first button under root (depth first) whose label is text; null when none.
    static ButtonWidget* FindButton(const WidgetContainer* root, const std::string& label) {
        for (Widget* child : root->GetChildren()) {
            if (auto* button = dynamic_cast<ButtonWidget*>(child)) {
                if (button->GetLabel() == label && button->mVisible) {
                    return button;
                }
            }
            if (ButtonWidget* found = FindButton(child, label)) {
                return found;
            }
        }
        return nullptr;
    }

    std::string ProfilesXml() const { return ReadText(folder.UserFile("profiles.xml")); }
    std::string SettingsXml() const { return ReadText(folder.UserFile("settings.xml")); }

    TempUserFolder folder;
    ManualClock clock;
    std::unique_ptr<MyGameApp> app;
};
