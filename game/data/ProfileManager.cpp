#include "game/data/ProfileManager.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "core/expr/MainThread.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "core/util/Utf8.h"
#include "game/data/GameData.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/XmlText.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProfilesName = "profiles.xml";

std::mutex gSaveFailureMutex;
std::function<void()> gSaveFailureHandler;  // guarded by gSaveFailureMutex
ProfilesLoadReport gLoadReport;             // guarded by gSaveFailureMutex
std::atomic<bool> gLastSaveFailed{false};

ProfileStore& Store() {
    return CurrentGameData().mProfiles;
}

// Runs task on the main thread: now when called there, else at the main thread's next update,
// and then only while the same game data is installed (a test's data may be gone by then).
void OnMainThread(std::function<void()> task) {
    if (IsMainThread()) {
        task();
        return;
    }
    const GameData* origin = &CurrentGameData();
    PostToMainThread([origin, task = std::move(task)] {
        if (&CurrentGameData() == origin) {
            task();
        }
    });
}

void Notify(bool typedCode, const std::string& name) {
    if (!IsMainThread()) {
        OnMainThread([typedCode, name] { Notify(typedCode, name); });
        return;
    }
    ProfileNameHandler handler;
    {
        std::lock_guard<std::mutex> lock(Store().handlerMutex);
        handler = typedCode ? Store().typedCodeHandler : Store().playerNameHandler;
    }
    // Outside the lock: the typed-code hook may save or select again.
    if (handler) {
        handler(name);
    }
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// Renames an unreadable file to a name that says so and that no earlier file holds; *kept is
// the new name.
bool MoveAside(const std::string& path, std::string* kept) {
    for (int n = 1; n < 1000; ++n) {
        const std::string target =
            path + ".unreadable" + (n == 1 ? std::string() : StrFormat("-%d", n));
        if (Exists(target)) {
            continue;
        }
        std::error_code error;
        fs::rename(path, target, error);
        if (error) {
            LogWarning("Could not move the unreadable '%s' to '%s': %s", path.c_str(),
                       target.c_str(), error.message().c_str());
            return false;
        }
        LogWarning("The unreadable '%s' was kept as '%s'", path.c_str(), target.c_str());
        *kept = target;
        return true;
    }
    return false;
}

// Temporaries left by a save that was cut short: ours ("profiles.xml.bak.tmp") and the atomic
// writer's (".profiles.xml.tmp" or, for a copied backup, ".profiles.xml.bak.tmp" + a unique
// suffix). Only one copy of the game runs, and it has not saved yet, so none of them is in use.
void RemoveStaleTemporaries(const std::string& folder) {
    std::error_code error;
    fs::remove(folder + kProfilesName + ".bak.tmp", error);
    const std::string prefixes[] = {std::string(".") + kProfilesName + ".tmp",
                                    std::string(".") + kProfilesName + ".bak.tmp"};
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (std::any_of(std::begin(prefixes), std::end(prefixes), [&](const std::string& prefix) {
                return name.compare(0, prefix.size(), prefix) == 0;
            })) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

// A free slot; else the last one, unless a player's progress is there: that is never handed to a
// new player. -1 when there is none.
int SlotForNewProfile(const std::vector<ProfileRecord>& profiles) {
    for (size_t i = 0; i < profiles.size(); ++i) {
        if (profiles[i].mName.empty() && !profiles[i].mState.HasProgress()) {
            return static_cast<int>(i);
        }
    }
    if (!profiles.empty() && !profiles.back().mState.HasProgress()) {
        return static_cast<int>(profiles.size()) - 1;
    }
    return -1;
}

void CommitList(std::vector<ProfileRecord> profiles, int selected) {
    Store().loaded.store(false);  // the selection below is read, not the player's: no save
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        PlayerState* current = GetCurrentPlayerState();
        for (ProfileRecord& record : Store().profiles) {
            if (&record.mState == current) {
                ClearCurrentPlayerState();
            }
        }
        Store().profiles = std::move(profiles);
        Store().selected = -1;
    }
    SelectProfile(selected);
    Store().loaded.store(true);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reading

ProfileManager::ProfileManager() {
    mProfiles.resize(kProfileSlots);
    mProfileLines.assign(kProfileSlots, 0);
}

bool ProfileManager::ReadFile(const std::string& path) {
    mProfiles.assign(kProfileSlots, ProfileRecord());
    return Finish(ParseFileAtPath(path));
}

bool ProfileManager::ReadText(const std::string& text, const std::string& fileName) {
    mProfiles.assign(kProfileSlots, ProfileRecord());
    return Finish(ParseText(text, fileName));
}

bool ProfileManager::Finish(bool parsed) {
    if (parsed && !mSawRoot) {
        Fail("The file holds no \"profiles\" element");
        parsed = false;
    }
    if (!parsed) {
        mProfiles.assign(kProfileSlots, ProfileRecord());
        mSelected = -1;
        return false;
    }
    if (mSelected < -1 || mSelected >= kProfileSlots) {
        LogWarning("The selected profile %d of '%s' is not one of the %d slots; none is selected",
                   mSelected, GetCurrentFile().c_str(), kProfileSlots);
        mSelected = -1;
    }
    // The screens index the story sets with current-country; keep it inside them.
    const int catalogSets = CountCatalogSets(kDefaultGameName, 0);
    for (size_t slot = 0; slot < mProfiles.size(); ++slot) {
        ProfileRecord& record = mProfiles[slot];
        PlayerState& state = record.mState;
        if (record.mName.empty() && state.HasProgress()) {
            // Without a name the player could not be chosen, and the slot would look free to the
            // next new player, who would take the progress over.
            record.mName = StrFormat("Player %c", static_cast<char>('A' + slot));
            LogWarning("'%s', line %d: profile %zu has progress but no name; it is called \"%s\"",
                       GetCurrentFile().c_str(), mProfileLines[slot], slot + 1,
                       record.mName.c_str());
            mRepaired = true;
        }
        const int sets =
            catalogSets > 0 ? catalogSets : static_cast<int>(state.mProgress[0].size());
        state.mCurrentCountry = std::clamp(state.mCurrentCountry, 0, std::max(0, sets - 1));
        state.NormalizePlayTime();
    }
    return true;
}

void ProfileManager::ReadInt(const char* name, int* out) {
    if (!HasAttribute(name)) {
        *out = 0;
        return;
    }
    const std::string text = GetAttribute(name);
    const char* begin = text.data();
    const char* end = begin + text.size();
    int value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        // One unreadable field costs that field, not every player's progress.
        LogWarning(
            "'%s', line %d: the \"%s\" value \"%s\" is not a whole number; it takes its "
            "default",
            GetCurrentFile().c_str(), GetCurrentLine(), name, text.c_str());
        mRepaired = true;
        return;
    }
    *out = value;
}

void ProfileManager::ReadStarted(bool* out) {
    const std::string text = GetAttribute("started");
    if (text.empty() || text == "0" || text == "false") {
        *out = false;
        return;
    }
    if (text == "1" || text == "true") {
        *out = true;
        return;
    }
    LogWarning("'%s', line %d: the \"started\" value \"%s\" is not 0 or 1; it takes its default",
               GetCurrentFile().c_str(), GetCurrentLine(), text.c_str());
    mRepaired = true;
    *out = false;
}

void ProfileManager::NoteTrimmed() {
    if (!mTrimmed) {
        mTrimmed = true;
        LogWarning(
            "'%s', line %d: progress past %d sets of a mode or %d puzzles of a set is more "
            "than a catalogue holds; it is left out",
            GetCurrentFile().c_str(), GetCurrentLine(), kMaxSetsKept, kMaxPuzzlesKept);
    }
}

void ProfileManager::CutName(std::string* name) {
    // Counted in characters, as typing counts them; a longer name is drawn across every screen
    // that greets the player, and a huge one stalls each of them.
    const size_t end = Utf8OffsetOf(*name, kMaxProfileNameLength);
    if (end == name->size()) {
        return;
    }
    name->resize(end);
    LogWarning("'%s', line %d: a profile name is longer than %zu letters; it keeps its first %zu",
               GetCurrentFile().c_str(), GetCurrentLine(), kMaxProfileNameLength,
               kMaxProfileNameLength);
    mRepaired = true;
}

void ProfileManager::ReadFlag(const char* name, bool* out) {
    int value = *out ? 1 : 0;
    ReadInt(name, &value);
    *out = value != 0;
}

void ProfileManager::HandleElementStart(const XMLElement& element) {
    const std::string& name = element.mName;
    if (!mSawRoot) {
        if (name != "profiles") {
            Fail("A profiles file starts with \"profiles\", not \"" + name + "\"");
            return;
        }
        mSawRoot = true;
        ReadInt("selected", &mSelected);
        return;
    }
    if (name == "profile") {
        ++mProfileIndex;
        // A profile past the eighth has no slot; its children are ignored with it.
        mProfile = mProfileIndex < kProfileSlots ? &mProfiles[static_cast<size_t>(mProfileIndex)]
                                                 : nullptr;
        if (mProfile != nullptr) {
            mProfile->mName = GetAttribute("name");
            mProfileLines[static_cast<size_t>(mProfileIndex)] = GetCurrentLine();
            CutName(&mProfile->mName);
        }
        mMode = -1;
        mSet = -1;
        return;
    }
    if (mProfile == nullptr) {
        return;  // no target before the first profile
    }
    PlayerState& state = mProfile->mState;
    if (name == "state") {
        ReadStarted(&state.mStarted);
        ReadInt("num-hints", &state.mNumHints);
        ReadFlag("seen-tutorial", &state.mSeenTutorial);
        ReadFlag("made-mistake", &state.mMadeMistake);
        ReadFlag("seen-hint", &state.mSeenHint);
        ReadFlag("disable-tips", &state.mDisableTips);
        ReadFlag("toggle-mode", &state.mToggleMode);
        ReadFlag("show-numbers", &state.mShowNumbers);
        ReadInt("hours", &state.mHours);
        ReadInt("minutes", &state.mMinutes);
        ReadInt("centiseconds", &state.mCentiseconds);
        mMode = -1;
    } else if (name == "game") {
        // The name is not taken over: the state follows the default game's catalogue.
        mMode = -1;
    } else if (name == "game-state") {
        ReadInt("current-country", &state.mCurrentCountry);
    } else if (name == "mode") {
        ++mMode;
        mSet = -1;
    } else if (name == "set") {
        if (mMode < 0 || mMode > 1) {
            return;
        }
        ++mSet;
        mPuzzle = -1;
        auto& sets = state.mProgress[static_cast<size_t>(mMode)];
        if (static_cast<size_t>(mSet) >= sets.size()) {
            // Progress of a set the catalogue no longer holds is kept, so that a later catalogue
            // with the set finds it again; but only a catalogue's worth, or a swollen file would
            // be held and rewritten whole on every save.
            if (mSet >= kMaxSetsKept) {
                NoteTrimmed();
                return;
            }
            sets.resize(static_cast<size_t>(mSet) + 1);
        }
        SetProgress& set = sets[static_cast<size_t>(mSet)];
        ReadInt("unlock", &set.mUnlock);
        ReadFlag("introduced", &set.mIntroduced);
    } else if (name == "puzzle") {
        if (mMode < 0 || mMode > 1 || mSet < 0) {
            return;
        }
        ++mPuzzle;
        auto& sets = state.mProgress[static_cast<size_t>(mMode)];
        if (static_cast<size_t>(mSet) >= sets.size()) {
            return;  // a set past the kept ones
        }
        auto& puzzles = sets[static_cast<size_t>(mSet)].mPuzzles;
        if (static_cast<size_t>(mPuzzle) >= puzzles.size()) {
            if (mPuzzle >= kMaxPuzzlesKept) {
                NoteTrimmed();
                return;
            }
            puzzles.resize(static_cast<size_t>(mPuzzle) + 1);
        }
        PuzzleProgress& puzzle = puzzles[static_cast<size_t>(mPuzzle)];
        ReadFlag("completed", &puzzle.mCompleted);
        ReadInt("best-time", &puzzle.mBestTime);
        ReadFlag("without-hints", &puzzle.mWithoutHints);
        ReadFlag("without-mistakes", &puzzle.mWithoutMistakes);
    }
}

// ---------------------------------------------------------------------------------------------
// The process-wide list

std::string GetProfilesPath() {
    return GetAppDataFolder() + kProfilesName;
}

std::string GetProfilesBackupPath() {
    return GetProfilesPath() + ".bak";
}

bool LoadProfiles() {
    const std::string path = GetProfilesPath();
    const std::string backup = GetProfilesBackupPath();
    RemoveStaleTemporaries(GetAppDataFolder());
    Store().savingBlocked.store(false);
    ProfilesLoadReport report;

    for (const std::string& candidate : {path, backup}) {
        if (!Exists(candidate)) {
            continue;
        }
        ProfileManager reader;
        if (reader.ReadFile(candidate)) {
            if (candidate == backup) {
                LogWarning("Your profiles were restored from the backup '%s'", backup.c_str());
                report.restoredFromBackup = true;
            }
            report.repaired = reader.WasRepaired();
            {
                std::lock_guard<std::mutex> lock(gSaveFailureMutex);
                gLoadReport = report;
            }
            CommitList(std::move(reader.GetProfiles()), reader.GetSelected());
            return true;
        }
        // A malformed file the reader has logged itself, with its line; one it could not open
        // (a FIFO, a folder, no permission) is logged here.
        if (reader.WasFileMissing()) {
            LogWarning("Your profiles could not be read: %s", reader.GetError().c_str());
        }
        std::string kept;
        if (MoveAside(candidate, &kept)) {
            if (candidate == path) {
                report.setAside = kept;
            }
        } else if (candidate == path) {
            // The file stays where a save would replace it: never save over it.
            Store().savingBlocked.store(true);
            LogWarning("Profiles will not be saved, so that '%s' is not overwritten", path.c_str());
        }
    }
    {
        std::lock_guard<std::mutex> lock(gSaveFailureMutex);
        gLoadReport = report;
    }
    CommitList(std::vector<ProfileRecord>(kProfileSlots), -1);
    return false;
}

bool AreProfilesLoaded() {
    return Store().loaded.load();
}

void SetProfileSavingAllowed(bool allowed) {
    Store().savingAllowed.store(allowed);
}

std::string BuildProfilesXml(const std::vector<ProfileRecord>& profiles, int selected) {
    std::string text = StrFormat("<profiles selected=\"%d\">", selected);
    for (const ProfileRecord& record : profiles) {
        text += "<profile name=\"" + EscapeXmlAttribute(record.mName) + "\">";
        text += record.mState.WriteXml();
        text += "</profile>";
    }
    text += "</profiles>";
    return text;
}

bool SaveProfiles() {
    if (!Store().loaded.load() || !Store().savingAllowed.load() || Store().savingBlocked.load()) {
        return false;
    }
    std::string text;
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        if (Store().profiles.empty()) {
            return false;
        }
        text = BuildProfilesXml(Store().profiles, Store().selected);
    }
    std::lock_guard<std::mutex> saveLock(Store().saveMutex);
    const std::string path = GetProfilesPath();
    const std::string backup = GetProfilesBackupPath();
    if (Exists(path)) {
        // Keep the previous file: a second name for it, swapped in atomically. Without hard links,
        // a copy written as atomically as the file itself. Only a plain file with no other name
        // is linked: a link would make the backup a link too (or another name of an outside
        // file), and the backup is to be a file of our own.
        const std::string temp = backup + ".tmp";
        std::error_code error;
        fs::remove(temp, error);
        // (A save cut short after the link leaves the backup the file's one other name.)
        std::error_code unlinkable;
        const uintmax_t names = fs::hard_link_count(path, unlinkable);
        const bool linkable =
            fs::is_regular_file(fs::symlink_status(path, unlinkable)) &&
            (names == 1 || (names == 2 && fs::equivalent(path, backup, unlinkable))) && !unlinkable;
        if (linkable) {
            fs::create_hard_link(path, temp, error);
            if (!error) {
                fs::rename(temp, backup, error);
            }
        }
        if (!linkable || error) {
            std::string previous;
            if (!PakInterfaceBase::Get()->ReadWholeFile(path, &previous) ||
                !WriteBufferToFile(backup, previous)) {
                LogWarning("Could not keep a backup of '%s'", path.c_str());
            }
        }
        // Whichever step failed (a full disk), the second name is never left behind.
        std::error_code ignored;
        fs::remove(temp, ignored);
    }
    if (!WriteBufferToFile(path, text)) {
        // A full disk fails every save: one line and one report until a save succeeds again.
        if (!gLastSaveFailed.exchange(true)) {
            LogWarning("Could not save the profiles to '%s': %s; the previous file is kept",
                       path.c_str(), std::strerror(errno));
            std::function<void()> handler;
            {
                std::lock_guard<std::mutex> lock(gSaveFailureMutex);
                handler = gSaveFailureHandler;
            }
            if (handler) {
                OnMainThread(std::move(handler));
            }
        }
        return false;
    }
    gLastSaveFailed.store(false);
    return true;
}

bool IsProgressKept() {
    return Store().loaded.load() && Store().savingAllowed.load() && !Store().savingBlocked.load() &&
           !gLastSaveFailed.load();
}

void SetProfileSaveFailureHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> lock(gSaveFailureMutex);
    gSaveFailureHandler = std::move(handler);
}

ProfilesLoadReport GetProfilesLoadReport() {
    std::lock_guard<std::mutex> lock(gSaveFailureMutex);
    return gLoadReport;
}

void SelectProfile(int index) {
    if (index < 0) {
        return;
    }
    std::string name;
    bool selected = false;
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        Store().selected = index;
        if (static_cast<size_t>(index) < Store().profiles.size()) {
            ProfileRecord& record = Store().profiles[static_cast<size_t>(index)];
            record.mState.MakeCurrent();
            record.mState.GetNamedValues().Set("player_name", ExprValue::FromString(record.mName));
            name = record.mName;
            Store().playerName = name;
            selected = true;
        } else {
            ClearCurrentPlayerState();
            name = Store().playerName;
        }
    }
    OnMainThread(&InstallCurrentGlobals);
    // The player's choice is on disk at once (a no-op while the list is being read).
    SaveProfiles();
    if (selected) {
        Notify(false, name);
    }
    // The hook sees every selection, also one past the list (with the unchanged player name).
    Notify(true, name);
}

void DeselectProfile() {
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        Store().selected = -1;
    }
    SaveProfiles();
}

void SetProfile(int index, const std::string& name) {
    bool notify = false;
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        if (index < 0 || static_cast<size_t>(index) >= Store().profiles.size()) {
            return;
        }
        ProfileRecord& record = Store().profiles[static_cast<size_t>(index)];
        if (record.mName == name) {
            return;
        }
        // A new player in a free slot, or a deleted one, starts over; a renamed player keeps the
        // progress the name belongs to.
        if (record.mName.empty() || name.empty()) {
            record.mState = PlayerState();
        }
        // A deleted player's state must not stay current: the board would count play time into
        // the free slot, which would then be saved as an unnamed player with progress.
        if (name.empty() && (GetCurrentPlayerState() == &record.mState ||
                             GetCurrentBasicPlayerState() == &record.mState)) {
            ClearCurrentPlayerState();
        }
        record.mName = name;
        notify = index == Store().selected;
        if (notify) {
            Store().playerName = name;
        }
    }
    // A new, renamed or deleted profile is on disk at once.
    SaveProfiles();
    if (notify) {
        Notify(false, name);
    }
}

int AddProfile(const std::string& name) {
    if (name.empty()) {
        return -1;
    }
    int slot = -1;
    {
        std::lock_guard<std::mutex> lock(Store().listMutex);
        slot = SlotForNewProfile(Store().profiles);
        if (slot < 0) {
            return -1;
        }
        ProfileRecord& record = Store().profiles[static_cast<size_t>(slot)];
        record.mName = name;
        record.mState = PlayerState();
    }
    SelectProfile(slot);
    return slot;
}

bool HasSlotForNewProfile() {
    std::lock_guard<std::mutex> lock(Store().listMutex);
    return SlotForNewProfile(Store().profiles) >= 0;
}

void ClearProfiles() {
    std::lock_guard<std::mutex> lock(Store().listMutex);
    PlayerState* current = GetCurrentPlayerState();
    for (ProfileRecord& record : Store().profiles) {
        if (&record.mState == current) {
            ClearCurrentPlayerState();
        }
    }
    Store().profiles.clear();
    Store().selected = -1;
    Store().loaded.store(false);
    // The next list starts with a clean record: its first failed save is reported again, and
    // nothing of this list's load is told of it.
    gLastSaveFailed.store(false);
    std::lock_guard<std::mutex> failureLock(gSaveFailureMutex);
    gLoadReport = ProfilesLoadReport();
}

const std::vector<ProfileRecord>& GetProfiles() {
    return Store().profiles;
}

int GetSelectedProfile() {
    return Store().selected;
}

ProfileRecord* GetProfileRecord(int index) {
    if (index < 0 || static_cast<size_t>(index) >= Store().profiles.size()) {
        return nullptr;
    }
    return &Store().profiles[static_cast<size_t>(index)];
}

void SetPlayerNameHandler(ProfileNameHandler handler) {
    std::lock_guard<std::mutex> lock(Store().handlerMutex);
    Store().playerNameHandler = std::move(handler);
}

void SetTypedCodeHandler(ProfileNameHandler handler) {
    std::lock_guard<std::mutex> lock(Store().handlerMutex);
    Store().typedCodeHandler = std::move(handler);
}
