#pragma once
// SIGINT and SIGTERM ask the game to quit cleanly (settings and profiles saved) instead of
// killing it; SIGUSR1 asks for the frame statistics in the log, so that a measurement from
// outside can mark the start and end of what it measures. The handlers only set flags that the
// main loop polls. SIGPIPE (the log written into a closed pipe) and SIGXFSZ (a file-size limit)
// are ignored: the write that meets them fails with an error its caller handles.

// Installs the handlers; call once on the main thread before the main loop.
void InstallQuitSignalHandlers();
// Whether a quit signal arrived since start (or since ClearQuitSignal).
bool QuitSignalReceived();
void ClearQuitSignal();
// Whether SIGUSR1 arrived since the last call; the answer clears it.
bool TakeStatisticsSignal();
