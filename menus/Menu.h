#pragma once
// The base of every screen, popup and dialog: a scripted widget shown through the application's
// dialog table. The menu takes the focus when it joins the widget manager and then is the
// application's one active menu; a menu that is not active (or any menu while the application is
// paused) suspends its whole subtree, stops taking mouse hits and mutes the looping sounds it
// started, which it releases when it goes. It keeps the last eight typed characters for the
// application's typed-code hook and can take a picture of the screen for transitions.
// Main thread only.

#include <map>
#include <memory>
#include <string>
#include <typeinfo>

#include "widgets/MenuInterface.h"
#include "widgets/anim/AnimationWidget.h"

class ButtonWidget;
class GameApp;
class Image;
class WidgetContainer;

class Menu : public AnimationWidget, public MenuInterface {
public:
    // background is not owned (the asset tables keep it); with one the menu takes its size and,
    // when centered, stands in the middle of the design area; without one it covers the design
    // area. raised puts it at drawPriority and zOrder 2.
    Menu(Image* background, bool raised, bool centered);
    // A full-screen menu that plays the named script at once.
    explicit Menu(const std::string& scriptName);
    // A menu deleted while still linked leaves the tree first, so its own clean-up runs.
    ~Menu() override;

    // Hands m (or, when m->mShowThroughTransition is set, m->CreateTransition()) to the dialog
    // table, which owns it from then on. Returns the widget shown; null for null.
    static Widget* ShowAsDialog(Menu* m);
    // Hands m->CreateTransition() to the dialog table whatever m's flag says. Returns the widget
    // shown; null for null.
    static Widget* ShowWithTransition(Menu* m);
    // The widget shown in the menu's place (the application wraps it; the base shows the menu).
    virtual Widget* CreateTransition();

    // Button factories: the widget is added to container (not owned by the caller afterwards).
    static ButtonWidget* AddButton(WidgetContainer* container, int x, int y,
                                   const std::string& type, const std::string& label,
                                   bool localize);
    // The application's own menu button (GameApp::CreateMenuButton with localize true); null when
    // the application makes none.
    static Widget* AddWidgetFromApp(WidgetContainer* container, int x, int y,
                                    const std::string& label);

    // MenuInterface.
    bool WantsBaseLayer() const override { return mWantsBaseLayer; }
    void SetActive(bool active) override;
    bool SetPausesWhenInactive(bool pauses) override;
    void StartLoopingSound(int soundId, float fadeInRate) override;
    void StopLoopingSound(int soundId, float fadeOutRate) override;
    Widget* OpenNotice(const std::string& key) override;

    // Stops every loop once per start still counted, then forgets them.
    void StopAllLoopingSounds(float fadeOutRate);
    // The number of starts of soundId still counted.
    int GetLoopingSoundCount(int soundId) const;

    // Replaces the snapshot: the widget tree drawn into a new surface of the menu's size
    // (renderTree), or a copy of the last presented screen (null without a render device).
    void SnapshotScreen(bool renderTree);
    // The last snapshot, owned by the menu; null before the first.
    Image* GetSnapshot() const { return mSnapshot.get(); }

    // The title screen's closing step: the application's hand-over to the game
    // (GameApp::LoadingComplete), then MarkForRemoval.
    void CloseThroughApp();

    bool IsActive() const { return mActive; }
    bool GetPausesWhenInactive() const { return mPausesWhenInactive; }
    const std::string& GetTypedChars() const { return mTypedChars; }
    // The mouse flag the menu took from itself while suspended (0 or 4).
    uint32_t GetRemovedBySuspension() const { return mRemovedBySuspension; }

    // --- operations it replaces ---
    bool IsUpdateSuspended() override;
    // The menus add no updates of their own to the scripted widget's.
    bool HasScheduledWork() const override;
    void GotFocus() override;
    void KeyChar(char c) override;
    void MouseDown(int x, int y, int clickCount) override;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void AddedToParent(WidgetContainer* parent) override;
    // Asks the application to kill the dialog, which deletes it after the current pass; a menu
    // that is not in the dialog table leaves its parent the plain widget way. Twice is harmless.
    void MarkForRemoval() override;

    // The game's screens show themselves through their transition.
    bool mShowThroughTransition = false;

protected:
    // Takes the mouse flag off (once, and only when the menu held it) and mutes the loops while
    // suspended; gives both back otherwise.
    void RefreshSuspension();
    // The application as a GameApp; null without one (widget tests without an application).
    static GameApp* App();
    // Called from the constructor of a derived menu that adds no updates of its own, with that
    // menu's own type: it then rests when its script and widgets do. A class derived from it
    // again stays busy until it says the same of itself.
    void DeclareNoUpdatesOfItsOwn(const std::type_info& type) { mRestingType = &type; }

private:
    void SharedSetUp();

    bool mWantsBaseLayer = true;
    bool mActive = false;
    uint32_t mRemovedBySuspension = 0;
    std::string mTypedChars;
    std::unique_ptr<Image> mSnapshot;
    std::map<int, int> mLoopingSounds;  // sound id -> starts not yet stopped
    bool mPausesWhenInactive = true;
    const std::type_info* mRestingType = nullptr;
};
