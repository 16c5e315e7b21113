#pragma once
// The game-facing layer of the application object: the start-up loading on its own thread with a
// progress count, the start screens, the menu list, and the hooks that the game's application
// class overrides (button factories, script commands, typed codes, transitions).

#include <memory>
#include <string>
#include <vector>

#include "app/QuorAppBase.h"

class AnimationCommand;
class AnimationWidget;
class AppAudio;
class LoadingCompleteListener;
class MyBoard;
class PauseListener;
class SoundPlayer;

class GameApp : public QuorAppBase {
public:
    // title, version text and design size (the game passes 1024 by 768).
    GameApp(const std::string& title, const std::string& version, int width, int height);
    ~GameApp() override;

    // QuorAppBase's start-up; then the sound, the asset catalogue and font table, the loading
    // total and the first start screen.
    bool Init() override;

    // Base loading on the loading thread (named constants, the log); the game's override calls it
    // first, then loads its own data, calling AdvanceLoadingProgress after each step.
    void LoadingThreadProc() override;
    // Steps the game adds to the loading total.
    virtual int GetExtraLoadingSteps() { return 0; }
    // Counts one loaded item; any thread.
    void AdvanceLoadingProgress();
    // The hand-over when the player leaves the title screen (Menu::CloseThroughApp calls it):
    // the game's override calls it first and then creates its board. Main thread.
    virtual void LoadingComplete() {}
    // Shows the next start-up screen; called by the logo and splash screens as they leave.
    virtual void ShowNextStartScreen() {}

    // Button factories; the game's override makes its own buttons. The base makes none (null).
    virtual Widget* CreateMenuButton(int x, int y, const std::string& label, bool localize);
    // The fourth argument is not used.
    virtual Widget* CreateTextButton(int x, int y, const std::string& label, int unused);
    // The widget shown in a menu's place while it opens; the base shows the menu itself.
    virtual Widget* WrapMenuInTransition(Widget* menu) { return menu; }
    // A one-shot sound through the sound player: not replayed within minTicks updates (-1 never
    // holds back), at volume 0 to 1 times the effect volume.
    void PlaySoundEffect(int soundId, int minTicks, double volume) override;
    // Resolves a sound name through the asset tables and plays it once; unknown names are ignored.
    virtual void PlaySoundEffectByName(const std::string& name);
    // Releases every looping sound of the sound player.
    virtual void StopAllSounds();
    // The sound layer; null before Init.
    AppAudio* GetAudio() const { return mAppAudio.get(); }
    // The sound layer's services for the widgets' scripts; null before Init.
    SoundPlayer* GetSoundPlayer() override { return mSoundPlayer; }
    SoundManager* GetSoundManager() override;
    TrackInterface* GetMusic() override;
    std::string GetPlayerName() const override { return mCurrentPlayerName; }

    // The typed-code hook: the last eight typed characters, or a selected profile's name.
    virtual void HandleDeveloperCode(const std::string& text) { (void)text; }
    // The application's script-command hook: 0 not handled, 1 stop the script, 2 handled, go on.
    CommandAnswer HandleScriptCommand(const AnimationCommand& command,
                                      AnimationWidget* widget) override;

    // The menu list (menus in the widget manager, in the order added) and the active menu.
    virtual void SetActiveMenu(Widget* menu);
    Widget* GetActiveMenu() const { return mActiveMenu; }
    void RegisterMenu(Widget* menu);
    void UnregisterMenu(Widget* menu);
    const std::vector<Widget*>& GetMenus() const { return mMenus; }
    // Copies the menu list into the list of menus to close.
    void CollectOpenMenus();
    // Kills every collected menu through the dialog table, then empties the list.
    void KillCollectedMenus();
    // Both at once: every menu open now is killed.
    void KillOpenMenus() {
        CollectOpenMenus();
        KillCollectedMenus();
    }

    // The board's pause cover, told of every change of the pause count; not owned, null for
    // none. The board sets and clears it as it joins and leaves the widget manager.
    void SetPauseListener(PauseListener* listener) { mPauseListener = listener; }
    PauseListener* GetPauseListener() const { return mPauseListener; }

    std::string mCurrentPlayerName;  // empty while no profile is selected
    MyBoard* mBoard = nullptr;
    SoundPlayer* mSoundPlayer = nullptr;

protected:
    // Tells the current title screen (gTitleScreen) that loading has finished.
    void LoadingThreadFinished() override;
    // The active menu runs only while the count is 0; the board covers the screen above 0.
    void PauseCountChanged() override;
    // The sound player's and the music's fades, then the widget tree.
    void UpdateFrame() override;
    // The base's answer, and the sound fades that step with the updates.
    bool HasScheduledWork() const override;
    // Entries of the asset, font and animation tables, counted into the loading total.
    int mTableEntryCount = 0;
    // The scripts Init found: none means the game's data folder is missing or empty.
    int mScriptCount = 0;

private:
    std::unique_ptr<AppAudio> mAppAudio;
    PauseListener* mPauseListener = nullptr;
    Widget* mActiveMenu = nullptr;
    std::vector<Widget*> mMenus;
    std::vector<Widget*> mMenusToClose;
};

// The current title screen, set and cleared by the title screen itself; null when none.
extern LoadingCompleteListener* gTitleScreen;
