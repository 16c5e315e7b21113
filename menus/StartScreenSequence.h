#pragma once
// The screens of a run before the title: the logo (not in screen-saver mode), then the
// distributor splashes "splash" and "splash2", then the title screen the game makes. The
// application calls ShowNext once at start-up and each start screen calls it (through
// GameApp::ShowNextStartScreen) as it leaves. Main thread.

#include <functional>

class Menu;
class Widget;

class StartScreenSequence {
public:
    // createTitle makes the game's title screen (shown through the dialog table; a menu shows
    // itself through Menu::ShowAsDialog).
    explicit StartScreenSequence(std::function<Widget*()> createTitle);

    // Shows the next screen; after the title nothing more.
    void ShowNext(bool screenSaverMode);
    int GetStep() const { return mStep; }

private:
    std::function<Widget*()> mCreateTitle;
    int mStep = 0;
};

// Ends a start screen once: marks *finished, removes the screen and asks the application for the
// next start screen. A screen already finished is left alone. Main thread.
void FinishStartScreen(Menu* screen, bool* finished);
