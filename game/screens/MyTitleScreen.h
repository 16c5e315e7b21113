#pragma once
// The game's first screen: the title picture with the logo, a loading bar while the start-up
// loading runs, and then the play button. Play goes on to the game when a player is selected,
// else to name entry first. Main thread only.

#include <cstdint>

#include "menus/TitleScreen.h"

class ButtonWidget;
class Image;

class MyTitleScreen : public TitleScreen {
public:
    // Built on "TitleBackground"; finds "GameLogo", "Loadingbar_base" and "Loadingbar_Top".
    MyTitleScreen();

    // Adds the play button "play_game_btn", centred at three quarters of the screen's height.
    // Once; a second call changes nothing.
    void LoadingComplete() override;
    // The play button; null until loading has completed.
    ButtonWidget* GetPlayButton() const;

    // Loading that finished before this screen joined the manager still brings the play button.
    void AddedToManager(WidgetManager* manager) override;
    // Redraws while the loading bar moves.
    void Update() override;
    // Busy while the loading bar may still grow.
    bool HasScheduledWork() const override;
    void Draw(Graphics* g) override;
    void ButtonDepress(uint32_t id) override;

private:
    Image* mLogo;
    Image* mBarBase;
    Image* mBarTop;
    uint32_t mPlayButtonLiveId = 0;
    uint32_t mPlayButtonId = 0;
    int mShownFill = -1;
};
