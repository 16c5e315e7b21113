#pragma once
// Logging and debug output. Safe to call from any thread.

#include <string>

// Formats a text and sends it to the debug output (standard error here). For developer detail
// that a player never needs.
void DebugOutput(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends one line to the log file when logging is on (the named constant "logging"), prefixed
// with the date and time when withTime is set; does nothing while logging is off.
void WriteLogLine(const std::string& text, bool withTime = true);

// Reports a problem a player or maintainer should see (a bad file, a missing image): always to
// standard error, and to the log file when logging is on. Texts name the file and line.
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
