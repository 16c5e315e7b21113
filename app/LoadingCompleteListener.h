#pragma once
// Told once, on the main thread, that the start-up loading thread has finished (the title screen
// then offers its play button). The title screen registers itself through gTitleScreen.

class LoadingCompleteListener {
public:
    virtual ~LoadingCompleteListener() = default;
    virtual void LoadingComplete() = 0;
};
