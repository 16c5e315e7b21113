#include "menus/TitleScreen.h"

#include "app/GameApp.h"

TitleScreen::TitleScreen(Image* background) : Menu(background, false, false) {
    gTitleScreen = this;
}

TitleScreen::~TitleScreen() {
    if (gTitleScreen == this) {
        gTitleScreen = nullptr;
    }
}

void TitleScreen::LoadingComplete() {
    MarkDirty();
}
