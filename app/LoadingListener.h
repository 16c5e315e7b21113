#pragma once
// Told about the start-up loading progress (the title screen's loading bar). Always called on the
// main thread, during an update, never from the loading thread.

class LoadingListener {
public:
    virtual ~LoadingListener() = default;
    // count of total items loaded so far.
    virtual void LoadingProgressed(int count, int total) = 0;
};
