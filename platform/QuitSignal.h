#pragma once
// SIGINT and SIGTERM ask the game to quit cleanly (settings and profiles saved) instead of
// killing it. The handler only sets a flag that the main loop polls.

// Installs the handlers; call once on the main thread before the main loop.
void InstallQuitSignalHandlers();
// Whether a quit signal arrived since start (or since ClearQuitSignal).
bool QuitSignalReceived();
void ClearQuitSignal();
