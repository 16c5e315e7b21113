#pragma once
// The game's application class: names the game, loads the game's data on the loading thread and
// keeps the players' progress. The screens hook in here as they arrive.

#include <memory>
#include <string>

#include "app/GameApp.h"
#include "game/data/GameData.h"
#include "menus/StartScreenSequence.h"

class MyGameApp : public GameApp {
public:
    MyGameApp();
    // Saves the profiles when a profile is selected and saving is allowed (never before they were
    // read, never in screen-saver mode).
    ~MyGameApp() override;

    bool Init() override;
    // The base loading, then the puzzle catalogue, the grid settings, the sets, the profiles and
    // the localized names, one progress step each.
    void LoadingThreadProc() override;
    int GetExtraLoadingSteps() override { return kGameLoadingSteps; }
    // The logo, the two distributor splashes, then the title screen.
    void ShowNextStartScreen() override;
    // The logo screen's background, which opens every run but the screen saver's.
    bool GetFirstPictureColor(uint32_t* rgb) const override;
    // The game's title screen, shown after the start screens.
    virtual Widget* CreateTitleScreen();

    // The hand-over when the player leaves the title (Menu::CloseThroughApp): the base step, then
    // the board joins the widget manager and the current player's device word becomes "ipad".
    // Runs once; a second call does nothing.
    void LoadingComplete() override;
    // A "menubutton" centred on (x, y) with the "button" images; label is a text id when
    // localize is set. Owned by the caller until added.
    Widget* CreateMenuButton(int x, int y, const std::string& label, bool localize) override;
    // A menu button sized to its localized label in its font, centred horizontally on x with its
    // top at y, as high as the font; the fourth argument is not used.
    Widget* CreateTextButton(int x, int y, const std::string& label, int unused) override;
    // The "transition"" script over the screen being left, opening menu beneath it.
    Widget* WrapMenuInTransition(Widget* menu) override;
    // The typed developer codes: exactly one of seven eight-letter words acts; anything else
    // does nothing. Main thread.
    void HandleDeveloperCode(const std::string& text) override;

    // Cleared by the code that quits without saving; the destructor saves only while it is set.
    void SetSaveProfilesAtExit(bool save) { mSaveProfilesAtExit = save; }
    bool GetSaveProfilesAtExit() const { return mSaveProfilesAtExit; }

protected:
    // GameApp's update, then the notices waiting for the player once the title or the board
    // shows: saving is off or failed, or the profiles file was set aside.
    void UpdateFrame() override;
    // The players' progress is saved as at a normal exit before the process ends without the
    // loader (none while the start-up loader may still be reading it).
    void LeaveLoadingThreadRunning() override;

private:
    // The chosen player's progress, unless saving at exit was turned off. Main thread.
    void SaveProgressAtExit();
    static constexpr int kGameLoadingSteps = 6;
    // The progress codes: every set of both modes that the player and the set table both hold.
    void UnlockAllSets(bool allPuzzles, bool complete);

    bool mSaveProfilesAtExit = true;
    bool mSetAsideShown = false;
    // Installed from construction to destruction; the loading thread fills it.
    std::unique_ptr<GameData> mGameData;
    StartScreenSequence mStartScreens{[this] { return CreateTitleScreen(); }};
};
