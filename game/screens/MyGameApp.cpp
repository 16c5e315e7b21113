#include "game/screens/MyGameApp.h"

#include "core/expr/MainThread.h"
#include "core/util/Log.h"
#include "game/data/GameDataCheck.h"
#include "game/data/GameStats.h"
#include "game/data/MyLocalization.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleStats.h"
#include "game/data/SetStats.h"
#include "graphics/assets/AssetManager.h"

MyGameApp::MyGameApp()
    : GameApp("Pelnora 7", "v1.2", 1024, 768), mGameData(std::make_unique<GameData>()) {
    InstallGameData(mGameData.get());
}

MyGameApp::~MyGameApp() {
    // The loading thread reads the profiles this clears: it must have ended first.
    StopLoadingThread();
    // With no profile chosen there is no progress to keep, and a player who never made one gets
    // no file of eight empty slots.
    if (GetSelectedProfile() >= 0) {
        SaveProfiles();
    }
    mGameData.reset();
}

bool MyGameApp::Init() {
    SetPlayerNameHandler([this](const std::string& name) { mCurrentPlayerName = name; });
    SetTypedCodeHandler([this](const std::string& text) { HandleDeveloperCode(text); });
    if (!GameApp::Init()) {
        return false;
    }
    SetProfileSavingAllowed(!mScreenSaverMode);
    return true;
}

void MyGameApp::LoadingThreadProc() {
    GameApp::LoadingThreadProc();
    // Each reader logs its own errors with file and line and keeps its table empty on failure;
    // the game goes on with what did load.
    PuzzleStats().Load();
    AdvanceLoadingProgress();
    GameStats().Load();
    AdvanceLoadingProgress();
    SetStats([](const std::string& music) {
        return AssetManager::Get().FindNamedId(music);
    }).Load();
    AdvanceLoadingProgress();
    LoadProfiles();
    // The selection made while reading sets globals and calls handlers that belong to the main
    // thread; they run there at its next update, long before the player leaves the title.
    PostToMainThread(&RunDeferredProfileWork);
    AdvanceLoadingProgress();
    MyLocalization().Load();
    AdvanceLoadingProgress();
    for (const std::string& problem : CheckGameData()) {
        LogWarning("%s", problem.c_str());
    }
    AdvanceLoadingProgress();
}
