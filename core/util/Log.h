#pragma once
// Logging and debug output. Safe to call from any thread.

#include <string>

// Formats a text and sends it to the debug output (standard error here). For developer detail
// that a player never needs.
void DebugOutput(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends one line to the log file when logging is on (see StartLogging), prefixed with the local
// date and time ("YYYY-MM-DD HH:MM:SS ") when withTime is set; does nothing while logging is off.
void WriteLogLine(const std::string& text, bool withTime = true);

// Reports a problem a player or maintainer should see (a bad file, a missing image): always to
// standard error, and to the log file when logging is on. Texts name the file and line.
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fixes the log's folder now: the desktop folder (GetDesktopFolder), else the per-user data folder.
// The application calls it before changing into its data folder, so that a relative HOME is taken
// as the player started the game and the log never lands among the game's data.
void SettleLogFolder();

// Switches logging on: opens "<product>.log" in the settled log folder (see SettleLogFolder;
// found as it describes when not settled) for
// appending and writes "Started <product>, version <version>". The application calls it at
// start-up when the named constant "logging" is set. False when the file can't be opened (the
// reason goes to standard error and logging stays off). A second call reopens the file.
bool StartLogging(const std::string& product, const std::string& version);

// Writes "Stopped Game" and closes the log file; nothing when logging is off.
void StopLogging();

// Whether the log file is open.
bool IsLogging();

// The path of the open log file; empty while logging is off.
std::string GetLogFilePath();
