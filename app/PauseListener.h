#pragma once
// Told whenever the application's pause count changes whether the game is paused (count above
// 0). The board registers itself with GameApp::SetPauseListener while it is in the widget
// manager, and draws its paused cover. Main thread.

class PauseListener {
public:
    virtual ~PauseListener() = default;
    virtual void SetPaused(bool paused) = 0;
};
