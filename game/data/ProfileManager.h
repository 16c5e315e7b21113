#pragma once
// The eight profile slots, the selected profile and "profiles.xml" in the per-user data folder.
//
// Threads: LoadProfiles runs once on the start-up loader; everything else runs on the main thread
// after loading. Nothing is saved before the list has been read, so a quit during loading cannot
// overwrite the player's file with empty slots.
//
// Safety of the file (see also docs/design/game-data.md):
// - a save writes a temporary file and renames it over "profiles.xml" (WriteBufferToFile), after
//   keeping the previous file as "profiles.xml.bak";
// - a file that cannot be read is never overwritten: it is renamed to
//   "profiles.xml.unreadable" (or "-2", "-3"... when that name is taken), the player is told in
//   the log, and the backup is read instead; when it cannot be renamed, saving stays off;
// - reading fills a temporary list that replaces the slots only when the whole file was read.

#include <functional>
#include <string>
#include <vector>

#include "core/files/Parser.h"
#include "game/data/GameData.h"
#include "game/data/ProfileRecord.h"

// Reads the text of a profiles file into eight fresh slots, without touching the process-wide
// list. Numbers must be plain decimal integers (the game writes nothing else); a field that is not
// one keeps its default, with one log line naming the file, line and field (WasRepaired). A
// profile with progress but no name is given one ("Player A" for the first slot, and so on), so
// that the player can be chosen and the slot is not taken for free (also logged and repaired).
// Progress past the catalogue is kept up to kMaxSetsKept sets of a mode and kMaxPuzzlesKept
// puzzles of a set, so that a later catalogue finds it; more than that is left out. A name longer
// than a player can type is cut to kMaxProfileNameLength characters (logged and repaired).
class ProfileManager : public Parser {
public:
    static constexpr int kMaxSetsKept = 64;
    static constexpr int kMaxPuzzlesKept = 256;

    ProfileManager();

    // Read a whole file or text; false (GetError names the file and line) when it is not XML or
    // not a profiles file, leaving eight empty slots and no selection, so a broken file is never
    // taken for a partly read one. Any thread.
    bool ReadFile(const std::string& path);
    bool ReadText(const std::string& text, const std::string& fileName);

    // The slots and the selected index read, with out-of-range values brought into range:
    // selected outside the slots reads as -1, current-country outside the story sets as the
    // nearest set, play time carried up.
    std::vector<ProfileRecord>& GetProfiles() { return mProfiles; }
    int GetSelected() const { return mSelected; }
    // Whether a field could not be read and took its default.
    bool WasRepaired() const { return mRepaired; }

protected:
    void HandleElementStart(const XMLElement& element) override;

private:
    bool Finish(bool parsed);
    // Absent reads as 0; unreadable keeps *out (the field's default) and is logged.
    void ReadInt(const char* name, int* out);
    void ReadFlag(const char* name, bool* out);
    // "started": "1" or "true", "0" or "false" (or absent); anything else is logged and false.
    void ReadStarted(bool* out);
    void NoteTrimmed();
    // Holds a name read to the letters a player can type, logged when it was longer.
    void CutName(std::string* name);

    std::vector<ProfileRecord> mProfiles;
    std::vector<int> mProfileLines;  // the line of each slot's "profile" element, for messages
    int mSelected = -1;
    bool mSawRoot = false;
    bool mRepaired = false;
    bool mTrimmed = false;
    int mProfileIndex = -1;
    ProfileRecord* mProfile = nullptr;
    int mMode = -1;
    int mSet = -1;
    int mPuzzle = -1;
};

// Where the profiles live: the per-user data folder + "profiles.xml", and its backup.
std::string GetProfilesPath();
std::string GetProfilesBackupPath();

// Reads "profiles.xml" (or, when it is missing or unreadable, its backup) into the eight slots and
// selects the saved profile. Without either file the slots stay empty and nothing is selected.
// True when a saved list was read. Start-up loader, once the single-instance lock is held.
bool LoadProfiles();

// Whether the list has been read (saving is possible from then on).
bool AreProfilesLoaded();

// Rewrites "profiles.xml" with all eight slots. False when nothing was written: before the list
// was read, while saving is off (screen-saver mode, or an unreadable file could not be moved
// aside) or when the write failed (the old file then stays). Main thread.
bool SaveProfiles();

// Whether the player's progress is being kept: the list was read, saving is on, and the last save
// (if any) succeeded. Any thread.
bool IsProgressKept();

// Called once (on the main thread) when a save fails after the last one succeeded, so that the
// game can tell the player; null for none. Any thread.
void SetProfileSaveFailureHandler(std::function<void()> handler);

// What the last LoadProfiles had to do that the player should hear of.
struct ProfilesLoadReport {
    // The name an unreadable "profiles.xml" was kept under; empty when nothing was set aside.
    std::string setAside;
    // The profiles came from "profiles.xml.bak".
    bool restoredFromBackup = false;
    // A field could not be read and took its default (each one logged).
    bool repaired = false;
};
ProfilesLoadReport GetProfilesLoadReport();

// Screen-saver mode never writes the profiles. Any thread, before or after loading.
void SetProfileSavingAllowed(bool allowed);

// Selects slot index: makes its state current, stores its name in the state's "player_name",
// saves the profiles, and hands the name to the player-name and typed-code handlers. Negative
// indices are ignored; an index past the slots selects nothing. On a thread other than the main
// thread the globals and both handlers are posted to the main thread (PostToMainThread), in that
// order.
void SelectProfile(int index);

// No profile is selected any more, and the saved file says so: the next start asks for a name.
// The current state stays until another profile is selected. Main thread.
void DeselectProfile();

// Names slot index and saves the profiles. A new name for a free slot, or an empty name (deleting
// the profile), gives the slot a fresh state; a deleted profile's state stops being current.
// Renaming a named profile keeps its progress. The player-name handler hears of a change to the
// selected slot. Ignored outside the slots or when the name is the same.
void SetProfile(int index, const std::string& name);

// Puts a new player in the first free slot, or in the last slot when all are named (replacing
// that player), with a fresh state, and selects it (which saves). A slot holding progress is never
// taken. Returns the slot, or -1 for an empty name, before the list was read, or when every slot
// left holds a player's progress.
int AddProfile(const std::string& name);
// Whether AddProfile would find a slot: false before the list was read and when every slot left
// holds a player's progress.
bool HasSlotForNewProfile();

// Empties the list (at exit, after the last save); saving is then impossible.
void ClearProfiles();

// The slots (empty before loading and after ClearProfiles), the selected index (-1 for none) and
// one slot (null outside the list). Main thread after loading.
const std::vector<ProfileRecord>& GetProfiles();
int GetSelectedProfile();
ProfileRecord* GetProfileRecord(int index);

// The whole text of "profiles.xml" for a list and a selected index.
std::string BuildProfilesXml(const std::vector<ProfileRecord>& profiles, int selected);

// The application's current player name and its typed-code hook; both run on the main thread.
void SetPlayerNameHandler(ProfileNameHandler handler);
void SetTypedCodeHandler(ProfileNameHandler handler);
