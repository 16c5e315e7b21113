#pragma once
// The base of the game's first screen. The application finds it through gTitleScreen and tells
// it when the start-up loading has finished; it never suspends itself (it keeps its loading bar
// moving under other menus and while the application is paused). CloseThroughApp hands the
// application over to the game when the player starts. Main thread only.

#include "app/LoadingCompleteListener.h"
#include "menus/Menu.h"

class TitleScreen : public Menu, public LoadingCompleteListener {
public:
    // background is not owned. Becomes gTitleScreen.
    explicit TitleScreen(Image* background);
    // Clears gTitleScreen when it is this screen.
    ~TitleScreen() override;

    // Loading has finished (once, from the main loop); the base redraws, the game adds its play
    // button.
    void LoadingComplete() override;
    bool IsUpdateSuspended() override { return false; }
};
