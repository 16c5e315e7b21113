#pragma once
// The start-up sequence on the application object: Init, then Start (which returns when the main
// loop has ended), then the destructor. Takes ownership of app; returns the process exit status.

class QuorAppBase;

int RunGame(QuorAppBase* app);
