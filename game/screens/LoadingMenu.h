#pragma once
// The screen between choosing something and playing it: while its intro script ("set_loading_menu")
// plays over a picture of the screen being left, a worker thread loads an asset group; once both
// are finished the screen starts the music, opens the next screen and leaves. The two loading
// screens (a set's, a puzzle's) share everything but what they load and what they open.
//
// The worker touches only the asset manager (which locks its tables), the done and abort flags
// and the application's loader table (which stops it when the game quits); everything else runs
// on the main thread. The worker is joined when it has finished (on the first update after) or
// when the screen leaves.

#include <atomic>
#include <string>
#include <thread>

#include "game/board/WeakWidget.h"
#include "graphics/assets/AssetSet.h"
#include "menus/Menu.h"

class LoadingMenu : public Menu {
public:
    // The script every loading screen runs.
    static constexpr const char* kScript = "set_loading_menu";

    // Joins a worker still running (after asking it to stop).
    ~LoadingMenu() override;

    // Tests only: group loads run on the calling thread when the screen is added, so a test's
    // screens move on in a known update. Main thread.
    static void SetSynchronousLoading(bool on);
    static bool IsSynchronousLoading();

    // No worker runs (true before the load starts and after it ends).
    bool IsDone() const { return mDone.load(); }
    // The intro script has said "intro_finished".
    bool IsCovered() const { return mCovered; }

    // --- operations it replaces ---
    // "intro_finished": the screen covers itself and drops the picture of the old screen.
    void AnimationEvent(uint32_t id, const std::string& message) override;
    // While covered, only the cover is drawn.
    void DrawAll(WidgetFlagState& state, Graphics* g) override;
    // Asks the worker to stop and waits for it, then the base removal.
    void RemovedFromManager(WidgetManager* manager) override;
    // "map_to_select_transition" over the screen being left.
    Widget* CreateTransition() override;
    // The base update; once loaded and covered, moves on (once).
    void Update() override;

protected:
    // Builds the screen on its script with the picture of the current screen as "screenshot".
    LoadingMenu();

    // Loads names of group on the worker (or at once when loading is synchronous). Main thread,
    // once, from AddedToManager.
    void StartLoading(const AssetSet& names, const std::string& group);
    // Adds names of a second group to load after the first. Main thread, before StartLoading.
    void AlsoLoad(const AssetSet& names, const std::string& group);
    // Makes name (a music track) the script variable "c_music" and plays "playmusictutorial",
    // which starts it. An empty name plays nothing.
    void StartMusic(const std::string& name);
    // Loaded and covered: open the next screen. The screen marks itself for removal after.
    virtual void MoveOn() = 0;

private:
    void RunLoad();
    void JoinWorker();

    std::thread mWorker;
    std::atomic<bool> mDone{true};
    std::atomic<bool> mAbort{false};
    bool mCovered = false;
    bool mMovedOn = false;
    AssetSet mNames;
    std::string mGroup;
    AssetSet mMoreNames;
    std::string mMoreGroup;
    WeakWidget<Widget> mScreenshot;
};
