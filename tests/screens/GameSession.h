#pragma once
// The whole game, headless: the real MyGameApp on the SDL platform with an offscreen window and
// the dummy audio driver, on a manual clock with fixed random seeds, its per-user folder in a
// temporary folder with a "profiles.xml" the test writes, and the loading screens' asset loads
// made synchronous. Start loads the game, drops the start screens and leaves the title as the
// player would (the hand-over to the board); the test then opens screens through the screen flow
// and plays them with the pointer and keys. Load alone stops with the start screens up.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/expr/LiveObjectRegistry.h"
#include "core/util/FileUtil.h"
#include "core/util/Random.h"
#include "game/data/GameData.h"
#include "game/data/ProfileManager.h"
#include "game/data/ProfileRecord.h"
#include "game/data/PuzzleStats.h"
#include "game/screens/LoadingMenu.h"
#include "game/screens/MyGameApp.h"
#include "graphics/assets/LocalizedTexts.h"
#include "menus/NoticeMenu.h"
#include "menus/PopupMenu.h"
#include "platform/ManualClock.h"
#include "platform/NullPlatform.h"
#include "platform/SdlPlatform.h"
#include "support/AppTestSupport.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"
#include "widgets/anim/OverlayAnimation.h"
#include "widgets/controls/ButtonWidget.h"

inline std::string ReadWholeFile(const std::string& path) {
    return ReadText(path);
}

// A "profiles.xml" with one player in slot 0 (selected) whose progress has the shape of the
// shipped catalogue; edit changes the fresh state first.
inline std::string MakeProfilesXml(const std::string& name,
                                   const std::function<void(PlayerState&)>& edit) {
    GameData data;
    ScopedGameData scope(&data);
    const std::string catalogue =
        ReadWholeFile(std::string(P7_SOURCE_DIR) + "/content/properties/" + PuzzleStats::kFileName);
    EXPECT_TRUE(PuzzleStats().LoadText(catalogue, PuzzleStats::kFileName));
    std::vector<ProfileRecord> profiles(kProfileSlots);
    profiles[0].mName = name;
    profiles[0].mState = PlayerState();
    if (edit) {
        edit(profiles[0].mState);
    }
    return BuildProfilesXml(profiles, 0);
}

// The saved profiles read back (slot 0's state is the player's).
struct SavedProfiles {
    bool read = false;
    std::vector<ProfileRecord> profiles;
    int selected = -1;
};

class GameSession {
public:
    static constexpr uint32_t kSeed = 20240607;

    // Whether frames are drawn into the offscreen window: after every update, for a test that
    // reads what the screen shows; after one update in kDrawEvery, where the test looks only at
    // what the screens do (the drawing code still runs on every screen under the sanitizers, at
    // a fraction of the software renderer's cost); or nowhere (the null platform, no render
    // device), for long runs where only the screens' flow matters.
    enum class Frames { kEveryUpdate, kDrawn, kNotDrawn };
    static constexpr int kDrawEvery = 4;

    // profilesXml: the file the game finds at start-up (empty: none).
    explicit GameSession(const std::string& profilesXml, Frames frames = Frames::kDrawn) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!profilesXml.empty()) {
            std::ofstream(ProfilesPath(), std::ios::binary) << profilesXml;
        }
        LoadingMenu::SetSynchronousLoading(true);
        app = std::make_unique<MyGameApp>();
        if (frames != Frames::kNotDrawn) {
            app->SetPlatform(std::make_unique<SdlPlatform>());
            if (frames == Frames::kDrawn) {
                app->SetDrawSpacingMs(kDrawEvery * QuorAppBase::kUpdatePeriodMs);
            }
        } else {
            app->SetPlatform(std::make_unique<NullPlatform>());
        }
        app->SetClock(&clock);
        app->SetDefaultDataFolder(std::string(P7_SOURCE_DIR) + "/content/");
    }

    // The per-user folder goes (with the member) after the application has saved into it.
    ~GameSession() {
        End();
        LoadingMenu::SetSynchronousLoading(false);
    }

    std::string ProfilesPath() const { return folder.UserFile("profiles.xml"); }
    // A file of the per-user folder as it is now (empty when missing).
    std::string UserText(const std::string& name) const { return ReadText(folder.UserFile(name)); }

    // Init and the loading thread to its end; the start screens are still up. False (with a test
    // failure) when a step failed.
    bool Load() {
        if (!app->Init()) {
            ADD_FAILURE() << "the application did not start";
            return false;
        }
        SeedRandom(kSeed);
        std::srand(kSeed);
        app->BeginRun();
        // The loader runs on its own thread: wait for it (a busy machine may take a while), then
        // let the main thread run its completion step.
        for (int i = 0; i < 60000 && !app->IsLoadingComplete(); ++i) {
            if (app->GetLoadingThreadProgress() < 1.0f) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            Step(1);
        }
        if (!app->IsLoadingComplete()) {
            ADD_FAILURE() << "loading stopped at " << app->GetLoadingThreadProgress();
            return false;
        }
        return true;
    }

    // Load, then the start screens dropped and the title left. False (with a test failure) when
    // a step failed.
    bool Start() {
        if (!Load()) {
            return false;
        }
        // The logo and splashes would take seconds of updates: the player is past them.
        app->KillOpenMenus();
        Step(1);
        // Leaving the title: the application's hand-over builds the board and its main menu.
        app->LoadingComplete();
        Step(2);
        return true;
    }

    // Ends the run as the game does: quit, shutdown, the application deleted (saving).
    void End() {
        if (!app) {
            return;
        }
        app->Quit();
        app->MainLoopStep();
        app->Shutdown();
        app.reset();
    }

    void Step(int updates) {
        for (int i = 0; i < updates; ++i) {
            clock.Advance(10);
            app->MainLoopStep();
            if (afterUpdate) {
                afterUpdate();
            }
        }
    }

    // Steps until done answers true; false after limit updates.
    bool StepUntil(const std::function<bool()>& done, int limit = 3000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) {
                return true;
            }
            Step(1);
        }
        return done();
    }

    // The topmost open menu of class T, or null.
    template <typename T>
    T* FindMenu() const {
        const std::vector<Widget*>& menus = app->GetMenus();
        for (auto it = menus.rbegin(); it != menus.rend(); ++it) {
            if (auto* menu = dynamic_cast<T*>(*it)) {
                return menu;
            }
        }
        return nullptr;
    }

    // How many open menus of class T are not yet removed.
    template <typename T>
    int CountMenus() const {
        int count = 0;
        for (Widget* menu : app->GetMenus()) {
            count += dynamic_cast<T*>(menu) != nullptr && !menu->mRemoved ? 1 : 0;
        }
        return count;
    }

    // The screen on top: the application's active menu, as T (null when it is another class).
    template <typename T>
    T* Top() const {
        return dynamic_cast<T*>(app->GetActiveMenu());
    }

    // The first button under root (depth first) that match accepts; null when none.
    static ButtonWidget* FindButtonWhere(const WidgetContainer* root,
                                         const std::function<bool(const ButtonWidget&)>& match) {
        for (Widget* child : root->GetChildren()) {
            if (auto* button = dynamic_cast<ButtonWidget*>(child);
                button != nullptr && match(*button)) {
                return button;
            }
            if (ButtonWidget* found = FindButtonWhere(child, match)) {
                return found;
            }
        }
        return nullptr;
    }

    // The first visible button under root (depth first) whose label is label; null when none.
    static ButtonWidget* FindButton(const WidgetContainer* root, const std::string& label) {
        return FindButtonWhere(root, [&](const ButtonWidget& button) {
            return button.GetLabel() == label && button.mVisible;
        });
    }

    // A click where a player would click once no popup is moving.
    void Click(int x, int y, int clickCount = 1) {
        SettlePopups();
        app->OnMouseMove(x, y);
        app->OnMouseDown(x, y, clickCount);
        app->OnMouseUp(x, y, clickCount > 0 ? 1 : (clickCount < 0 ? -1 : 0));
        Step(1);
    }
    // A click in the middle of a widget (root coordinates).
    void ClickWidget(const Widget* widget) {
        if (IsPopupMoving()) {
            // The wait may take the widget away (a screen that closes meanwhile): no click then.
            const uint32_t live =
                LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget);
            SettlePopups();
            widget = live != 0 ? LiveObjectRegistry::ResolveWidget(live) : nullptr;
            if (widget == nullptr) {
                return;
            }
        }
        const FPoint at = widget->LocalToGlobal();
        Click(static_cast<int>(at.mX) + widget->mWidth / 2,
              static_cast<int>(at.mY) + widget->mHeight / 2);
    }
    // Whether a popup is opening or closing: its overlay then takes every click meant for the
    // screens.
    bool IsPopupMoving() const {
        for (const Widget* top : app->GetWidgetManager()->GetChildren()) {
            if (dynamic_cast<const PopupMenu*>(top) == nullptr || top->mRemoved) {
                continue;
            }
            for (const Widget* child : top->GetChildren()) {
                const auto* overlay = dynamic_cast<const OverlayAnimation*>(child);
                const Animation* script =
                    overlay != nullptr ? overlay->GetCurrentAnimation().get() : nullptr;
                if (script != nullptr && !overlay->mRemoved &&
                    (script->mName == "popup_intro" || script->mName == "popup_outro")) {
                    return true;
                }
            }
        }
        return false;
    }
    // Steps until no popup is opening or closing, as a player waits for a card to settle.
    void SettlePopups() {
        StepUntil([&] { return !IsPopupMoving(); }, 300);
    }

    // Steps until a button under screen labelled with the localized text of key can be pressed
    // (no popup is moving), then clicks it; false when none appears.
    bool ClickLabelled(const Widget* screen, const std::string& key) {
        const std::string label = LocalizedTexts::Lookup(key);
        ButtonWidget* button = nullptr;
        const bool found = StepUntil([&] {
            button = FindButtonWhere(screen, [&](const ButtonWidget& candidate) {
                return candidate.GetLabel() == label && !candidate.mRemoved;
            });
            return button != nullptr && !button->mDisabled && !IsPopupMoving();
        });
        if (found) {
            ClickWidget(button);
        }
        return found;
    }
    // Reads the open notice, if any, and closes it with its button as a player does; true when
    // one was closed.
    bool CloseNotice() {
        NoticeMenu* notice = FindMenu<NoticeMenu>();
        if (notice == nullptr) {
            return false;
        }
        const ButtonWidget* button = nullptr;
        StepUntil([&] {
            for (const Widget* child : notice->GetChildren()) {
                if ((button = dynamic_cast<const ButtonWidget*>(child)) != nullptr) {
                    return !IsPopupMoving();
                }
            }
            return false;
        });
        if (button == nullptr) {
            return false;
        }
        ClickWidget(button);
        return StepUntil([&] { return FindMenu<NoticeMenu>() == nullptr; });
    }
    // A key with the control character the window system sends with it (Enter 13, Backspace 8).
    void Key(int code) {
        app->OnKeyDown(code);
        app->OnKeyChar(static_cast<char>(code));
        app->OnKeyUp(code);
        Step(1);
    }
    // Characters as the window system delivers typed text.
    void Type(const std::string& text) {
        for (char c : text) {
            app->OnKeyChar(c);
        }
        Step(1);
    }

    SavedProfiles ReadSaved() const {
        SavedProfiles saved;
        ProfileManager reader;
        saved.read = reader.ReadFile(ProfilesPath());
        saved.profiles = reader.GetProfiles();
        saved.selected = reader.GetSelected();
        return saved;
    }

    TempUserFolder folder;  // before app: the application writes into it until it is deleted
    ManualClock clock;
    std::unique_ptr<MyGameApp> app;
    // Run after each update that Step makes (a test's own sound player keeps time with it).
    std::function<void()> afterUpdate;
};
