#pragma once
// The start-up sequence on the application object: Init, then Start (which returns when the main
// loop has ended), then the destructor. Takes ownership of app; returns the process exit status.

class QuorAppBase;

// Main thread; app must be heap-allocated and is deleted before the function returns.
int RunGame(QuorAppBase* app);
