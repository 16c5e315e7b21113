#pragma once
// The real game, headless, for the tests of the title side of the game: a game session with no
// window and no saved profiles that stops once loading is done, so the tests meet the start
// screens and the title as a first-time player does. The names here are the ones those tests
// speak in (Run, Top, ClickAt, Key...) over the session's own steps.

#include <string>

#include "GameSession.h"
#include "widgets/Widget.h"
#include "widgets/WidgetContainer.h"
#include "widgets/controls/ButtonWidget.h"

class TitleFlowHarness : public GameSession {
public:
    TitleFlowHarness() : GameSession(std::string(), Frames::kNotDrawn) {}

    // Init, the loading thread, and updates until loading has completed; the title is not left.
    void Start() { Load(); }
    // Quits (if nothing did yet) and destroys the application, which saves the profiles.
    void Close() { End(); }

    void Run(int updates) { Step(updates); }
    // Runs until pred holds (at most limit updates); false when it never did.
    template <typename Pred>
    bool RunUntil(Pred pred, int limit = 6000) {
        return StepUntil(pred, limit);
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
    void ClickAt(int x, int y) { GameSession::Click(x, y); }
    // A key with the control character the window system sends with it (Enter 13, Backspace 8).
    void Key(int code) {
        app->OnKeyDown(code);
        app->OnKeyChar(static_cast<char>(code));
        app->OnKeyUp(code);
        Run(1);
    }

    // The first button under root (depth first) whose label is text; null when none.
    static ButtonWidget* FindButton(const WidgetContainer* root, const std::string& label) {
        return FindButtonWhere(root, [&](const ButtonWidget& button) {
            return button.GetLabel() == label && button.mVisible;
        });
    }

    std::string ProfilesXml() const { return ReadText(ProfilesPath()); }
    std::string SettingsXml() const { return ReadText(folder.UserFile("settings.xml")); }
};
