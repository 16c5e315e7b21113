#pragma once
// The owner of the game's data: grid settings, the puzzle catalogue, the set table, the localized
// puzzle names and the profile store with the current player. The game's application holds one
// and installs it before the loading thread starts; the loader fills it through the readers, and
// the main thread reads it once loading has completed. A test makes its own and installs it for
// its lifetime (ScopedGameData), so no test sees another's tables.
//
// The free lookups of the data layer (FindPuzzle, FindGridSettings, GetProfiles ...) read the
// installed object; with none installed they read a process default.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "game/data/GridSettings.h"
#include "game/data/MyLocalization.h"
#include "game/data/ProfileRecord.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetRecord.h"

using ProfileNameHandler = std::function<void(const std::string& name)>;

// The profile list and what goes with it. The list is built on the loader and then used on the
// main thread; listMutex keeps a quit during loading (save, clear) apart from the loader's commit.
struct ProfileStore {
    std::mutex listMutex;
    std::vector<ProfileRecord> profiles;
    int selected = -1;
    std::atomic<bool> loaded{false};
    std::atomic<bool> savingAllowed{true};
    std::atomic<bool> savingBlocked{false};  // an unreadable file could not be moved aside
    std::mutex saveMutex;                    // one save at a time (backup, then write)

    // The handlers of a selection; off the main thread their calls are posted to it.
    std::mutex handlerMutex;
    ProfileNameHandler playerNameHandler;
    ProfileNameHandler typedCodeHandler;
    // The name last handed to the player-name handler (under listMutex): a selection past the
    // list keeps it and hands it to the typed-code hook again.
    std::string playerName;
};

class GameData {
public:
    GameData() = default;
    // Drops the profiles while the current-player links still exist, then uninstalls itself
    // when it is the installed data.
    ~GameData();
    GameData(const GameData&) = delete;
    GameData& operator=(const GameData&) = delete;

    std::map<int, GridSettings> mGridSettings;
    std::map<std::string, GameCatalog> mCatalog;
    std::vector<GameSets> mSets;

    // A developer code reloads the names on the main thread while nothing else reads them, but
    // the first load runs on the loader: the swap and the lookups stay apart all the same.
    std::mutex mSetNamesMutex;
    std::map<std::string, LocalizedSetNames> mSetNames;

    // Written by the loader while it builds the profile list and by the main thread afterwards;
    // the atomics make the loader's last write visible to the main thread without a lock.
    std::atomic<BasicPlayerState*> mCurrentBasic{nullptr};
    std::atomic<PlayerState*> mCurrentPlayer{nullptr};
    ProfileStore mProfiles;
};

// The installed data, or the process default when none is installed. Any thread; the pointer is
// swapped only on the main thread while no loader runs.
GameData& CurrentGameData();
// Installs data (not owned; null restores the default). Main thread, before the loading thread
// starts or after it has ended.
void InstallGameData(GameData* data);

// Installs a data object for a scope and restores the previous one after.
class ScopedGameData {
public:
    explicit ScopedGameData(GameData* data);
    ~ScopedGameData();
    ScopedGameData(const ScopedGameData&) = delete;
    ScopedGameData& operator=(const ScopedGameData&) = delete;

private:
    GameData* mPrevious;
};
