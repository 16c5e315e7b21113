#pragma once
// Folders and whole-file writes. Paths may use '/' or '\\' as separators.

#include <string>
#include <string_view>

// The per-user data folder, ending in '/': "Pelnora Studio/Pelnora 7/" under the XDG data home
// ($XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share). Always absolute: a
// relative HOME is taken against the working folder of the moment the folder is first settled.
// Created on first use. Safe from any thread.
std::string GetAppDataFolder();

// Settles the per-user data folder before anything changes the working folder. False, with a
// message for the player in *error, when neither XDG_DATA_HOME nor HOME names a folder, or the
// folder would lie inside the game's data folder dataFolder (one holding "properties/"); nothing
// is created then.
bool SettleAppDataFolder(const std::string& dataFolder, std::string* error);

// Overrides the per-user data folder (tests, or start-up after reading the environment); a
// missing trailing '/' is added and a relative path is made absolute. An empty text returns to
// the default.
void SetAppDataFolder(const std::string& folder);

// Whether files can be written in the per-user data folder: false when it could not be created
// or is not writable (a read-only home). The game then plays on without saving. *reason, when
// given, says why for the log.
bool IsAppDataFolderWritable(std::string* reason = nullptr);

// Removes the temporaries a cut-short WriteBufferToFile leaves (".<name>.tmp" and six
// characters) anywhere below folder. Only for a folder no other process writes to.
void RemoveLeftoverTemporaries(const std::string& folder);

// The desktop folder, ending in '/': $XDG_DESKTOP_DIR, else XDG_DESKTOP_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (~/.config/user-dirs.dirs), when that folder exists; else the
// home folder; empty without HOME (never the working folder). Log files go there.
std::string GetDesktopFolder();

// The folder part of a path, up to and including the last '/' or '\\'; empty when none.
std::string GetFileDir(const std::string& path);

// The first part of path below base (a folder) that is a symbolic link, as a full path; empty when
// none is (parts that don't exist yet are no links). Writing through such a link would put files
// outside base.
std::string FindLinkBelow(const std::string& base, const std::string& path);

// True for names that may have a file in the per-user cache: longer than 2 characters, not
// starting with '\\' or '/', no drive colon as the second character, and no ".." folder that
// would point out of the cache.
bool IsRelativeCacheName(const std::string& name);

// The per-user cache file of a relative name: the per-user data folder + "cached/" + name +
// suffix, with '\\' turned into '/'. Empty for names that are not relative (links are the
// caller's to check).
std::string GetUserCachePath(const std::string& name, const std::string& suffix);

// Creates every folder along the path; true when the folder exists afterwards.
bool MkDir(const std::string& path);

// Writes the whole text to path, creating missing folders first. Atomic: a temporary file in the
// same folder is written, flushed and synced, then renamed over the old one and the folder
// synced, so the old file survives any failure and no temporary file is left behind. False on
// failure (the old file, if any, is untouched). A new file gets mode 0644, a replaced one keeps
// its mode.
bool WriteBufferToFile(const std::string& path, std::string_view data);
