#include "game/data/GameData.h"

namespace {
std::atomic<GameData*> gInstalled{nullptr};

GameData& DefaultData() {
    static GameData data;
    return data;
}
}  // namespace

GameData::~GameData() {
    // Profile states unlink themselves from the current-player pointers as they go, so they must
    // go while this object is still the one the lookups read.
    {
        std::lock_guard<std::mutex> lock(mProfiles.listMutex);
        mProfiles.profiles.clear();
    }
    GameData* self = this;
    gInstalled.compare_exchange_strong(self, nullptr);
}

GameData& CurrentGameData() {
    GameData* data = gInstalled.load();
    return data != nullptr ? *data : DefaultData();
}

void InstallGameData(GameData* data) {
    gInstalled.store(data);
}

ScopedGameData::ScopedGameData(GameData* data) : mPrevious(gInstalled.load()) {
    InstallGameData(data);
}

ScopedGameData::~ScopedGameData() {
    InstallGameData(mPrevious);
}
