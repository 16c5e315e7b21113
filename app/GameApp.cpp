#include "app/GameApp.h"

#include <algorithm>

#include "app/LoadingListener.h"
#include "app/expr/NamedConstants.h"
#include "app/util/Log.h"

TitleScreen* gTitleScreen = nullptr;

GameApp::GameApp(const std::string& title, const std::string& version, int width, int height) {
    mTitle = title;
    mProductName = title;
    mVersion = version;
    mWidth = width;
    mHeight = height;
    mNormalDisplaySize = Point(width, height);
    mStretchedDisplaySize = Point(width, height);
}

GameApp::~GameApp() = default;

bool GameApp::Init() {
    if (!QuorAppBase::Init()) {
        return false;
    }
    // The game's own steps, the entries of the tables read so far, and the base step.
    SetLoadingTotal(GetExtraLoadingSteps() + mTableEntryCount + 1);
    ShowNextStartScreen();
    return true;
}

void GameApp::LoadingThreadProc() {
    std::string error;
    if (!LoadConstants("constants.xml", &error) && !error.empty()) {
        LogWarning("%s", error.c_str());
    }
    ExprValue logging;
    if (FindConstant("logging", &logging) && logging.AsBool()) {
        StartLogging(mProductName, mVersion);
    }
    AdvanceLoadingProgress();
}

void GameApp::AdvanceLoadingProgress() {
    CountLoadedItem();
}

void GameApp::LoadingProgressed(int count, int total) {
    if (mLoadingListener != nullptr) {
        mLoadingListener->LoadingProgressed(count, total);
    }
}

void GameApp::LoadingComplete() {
    mLoadingListener = nullptr;
}

Widget* GameApp::CreateMenuButton(int x, int y, const std::string& label, bool localize) {
    (void)x, (void)y, (void)label, (void)localize;
    return nullptr;
}

Widget* GameApp::CreateTextButton(int x, int y, const std::string& label, int unused) {
    (void)x, (void)y, (void)label, (void)unused;
    return nullptr;
}

int GameApp::HandleScriptCommand(const AnimationCommand& command, AnimationWidget* widget) {
    (void)command, (void)widget;
    return 0;
}

void GameApp::SetActiveMenu(Widget* menu) {
    mActiveMenu = menu;
}

void GameApp::RegisterMenu(Widget* menu) {
    if (menu != nullptr && std::find(mMenus.begin(), mMenus.end(), menu) == mMenus.end()) {
        mMenus.push_back(menu);
    }
}

void GameApp::UnregisterMenu(Widget* menu) {
    std::erase(mMenus, menu);
    std::erase(mMenusToClose, menu);
    if (mActiveMenu == menu) {
        mActiveMenu = nullptr;
    }
}

void GameApp::CollectOpenMenus() {
    mMenusToClose = mMenus;
}

void GameApp::KillCollectedMenus() {
    // Killing a menu may unregister others; work from a copy.
    const std::vector<Widget*> toClose = std::move(mMenusToClose);
    mMenusToClose.clear();
    for (Widget* menu : toClose) {
        KillDialogByPointer(menu);
    }
}
