#pragma once
// The game's application class. For now it only names the game and keeps the base start-up;
// the screens hook in here as they arrive.

#include "app/GameApp.h"

class MyGameApp : public GameApp {
public:
    MyGameApp();
    ~MyGameApp() override;
};
