#include "game/screens/MyGameApp.h"

MyGameApp::MyGameApp() : GameApp("Pelnora 7", "v1.2", 1024, 768) {}

MyGameApp::~MyGameApp() = default;
