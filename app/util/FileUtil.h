#pragma once
// Folders and whole-file writes.

#include <string>
#include <string_view>

// The per-user data folder, ending in '/': the studio's and then the product's folder under the
// XDG data home. Created on first use; safe from any thread once settled at start-up.
std::string GetAppDataFolder();

// Overrides the per-user data folder (tests, or start-up after reading the environment).
void SetAppDataFolder(const std::string& folder);

// The folder part of a path, up to and including the last '/' or '\\'; empty when none.
std::string GetFileDir(const std::string& path);

// Creates every folder along the path; true when the folder exists afterwards.
bool MkDir(const std::string& path);

// Writes the whole text to path, creating missing folders first. Atomic: a temporary file in the
// same folder is written, flushed and synced, then renamed over the old one, so the old file
// survives any failure. False on failure (the old file, if any, is untouched).
bool WriteBufferToFile(const std::string& path, std::string_view data);

// Kept for callers that grant access after writing; never makes a file world-writable here.
void AllowAllAccess(const std::string& path);
