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
class LoadingListener;
class MyBoard;
class SoundPlayer;
class TitleScreen;

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
    // Counts one loaded item; any thread. The listener hears of it on the main thread's next
    // update.
    void AdvanceLoadingProgress();
    // The one-time step on the main thread after loading: clears the loading listener. The game's
    // override calls it first.
    void LoadingComplete() override;
    // Shows the next start-up screen; called by the logo and splash screens as they leave.
    virtual void ShowNextStartScreen() {}

    // Button factories; the game's override makes its own buttons. The base makes none (null).
    virtual Widget* CreateMenuButton(int x, int y, const std::string& label, bool localize);
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

    // The loading listener (the title screen's bar); not owned, null for none.
    void SetLoadingListener(LoadingListener* listener) { mLoadingListener = listener; }

    std::string mCurrentPlayerName;  // empty while no profile is selected
    MyBoard* mBoard = nullptr;
    SoundPlayer* mSoundPlayer = nullptr;

protected:
    void LoadingProgressed(int count, int total) override;
    // The widget tree, then the sound player's and the music's fades.
    void UpdateFrame() override;
    // Entries of the asset, font and animation tables, counted into the loading total.
    int mTableEntryCount = 0;

private:
    std::unique_ptr<AppAudio> mAppAudio;
    LoadingListener* mLoadingListener = nullptr;
    Widget* mActiveMenu = nullptr;
    std::vector<Widget*> mMenus;
    std::vector<Widget*> mMenusToClose;
};

// The current title screen, set and cleared by the title screen itself; null when none.
extern TitleScreen* gTitleScreen;
