#include "app/GameApp.h"

#include <algorithm>

#include "app/AppAudio.h"
#include "app/LoadingCompleteListener.h"
#include "app/PauseListener.h"
#include "audio/SoundManager.h"
#include "audio/SoundPlayer.h"
#include "audio/TrackInterface.h"
#include "core/expr/NamedConstants.h"
#include "core/files/Parser.h"
#include "core/util/Log.h"
#include "graphics/ShaderEffect.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/MenuInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

LoadingCompleteListener* gTitleScreen = nullptr;

GameApp::GameApp(const std::string& title, const std::string& version, int width, int height) {
    mTitle = title;
    mProductName = title;
    mVersion = version;
    mWidth = width;
    mHeight = height;
    mNormalDisplaySize = Point(width, height);
    mStretchedDisplaySize = Point(width, height);
}

GameApp::~GameApp() {
    // The loading thread reads the tables cleared below.
    StopLoadingThread();
    // Assets hold sound ids and fonts hold glyph pages: both go before the sound layer and the
    // renderer they point into.
    Parser::SetNamedIdResolver(nullptr);
    AssetManager::Get().SetAudioLoader(nullptr);
    AssetManager::Get().Clear();
    Fonts::Clear();
    AnimationTable::Get().Clear();
    AnimationWidget::SetPlayingQueries({}, {});
    SetAudioControl(nullptr);
    mSoundPlayer = nullptr;
    mAppAudio.reset();
}

bool GameApp::Init() {
    if (!QuorAppBase::Init()) {
        return false;
    }
    mAppAudio = std::make_unique<AppAudio>(true, [this] { return GetSfxVolume(); });
    mSoundPlayer = mAppAudio->GetSoundPlayer();
    SetAudioControl(mAppAudio.get());
    AssetManager::Get().SetAudioLoader(mAppAudio.get());
    // Scripts that wait for a sound or a track ask the sound layer whether it still plays.
    AnimationWidget::SetPlayingQueries(
        [this](int soundId) {
            return mAppAudio != nullptr &&
                   mAppAudio->GetSoundManager()->FindPlayingInstance(soundId) != nullptr;
        },
        [this](int trackId) {
            return mAppAudio != nullptr && mAppAudio->GetMusic()->IsTrackPlaying(trackId);
        });
    // XML readers resolve named ids (music tracks) through the asset tables.
    Parser::SetNamedIdResolver(&LookupNamedId);

    // A broken table is reported by its reader with its file and line; the game goes on without
    // its entries.
    AssetManager::Get().ReadCatalogue("assets.xml", nullptr);
    Fonts::ReadTable("fonts.xml", nullptr);
    mTableEntryCount += static_cast<int>(AssetManager::Get().GetStartupEntryCount());
    mTableEntryCount += static_cast<int>(Fonts::GetEntryCount());
    // The scripts are counted now and read on the loading thread, one step per script.
    AnimationStats counter(true);
    counter.ReadAll();
    mTableEntryCount += counter.GetCount();
    mScriptCount = counter.GetCount();
    // The game's own steps, the entries of the tables read so far, and the base step.
    SetLoadingTotal(GetExtraLoadingSteps() + mTableEntryCount + 1);
    ShowNextStartScreen();
    return true;
}

void GameApp::LoadingThreadProc() {
    // The readers report a broken file themselves, with its line and name.
    LoadConstants("constants.xml", nullptr);
    ExprValue logging;
    if (FindConstant("logging", &logging) && logging.AsBool()) {
        StartLogging(mProductName, mVersion);
    }
    AdvanceLoadingProgress();
    const auto entryDone = [this] { AdvanceLoadingProgress(); };
    AssetManager::Get().LoadStartupAssets(entryDone, &LoadingAbortFlag());
    Fonts::LoadFonts(entryDone);
    // A broken script file is logged with its file and line by the reader itself.
    AnimationStats reader(false, nullptr, entryDone);
    reader.ReadAll();
    PrepareShaderEffects(LoadingAbortFlag());
}

void GameApp::UpdateFrame() {
    // Sound fades and throttles step before the tree, so a script that asks for a sound in this
    // update sees this update's tick.
    if (mAppAudio != nullptr) {
        mAppAudio->Update();
    }
    QuorAppBase::UpdateFrame();
}

bool GameApp::HasScheduledWork() const {
    return QuorAppBase::HasScheduledWork() || (mAppAudio != nullptr && mAppAudio->IsFading());
}

void GameApp::PlaySoundEffect(int soundId, int minTicks, double volume) {
    if (mSoundPlayer != nullptr) {
        mSoundPlayer->PlaySound(soundId, minTicks, volume);
    }
}

void GameApp::PlaySoundEffectByName(const std::string& name) {
    const int id = AssetManager::Get().FindSound(name);
    if (id >= 0) {
        PlaySoundEffect(id, -1, 1.0);
    }
}

SoundManager* GameApp::GetSoundManager() {
    return mAppAudio != nullptr ? mAppAudio->GetSoundManager() : nullptr;
}

TrackInterface* GameApp::GetMusic() {
    return mAppAudio != nullptr ? mAppAudio->GetMusic() : nullptr;
}

void GameApp::StopAllSounds() {
    if (mSoundPlayer != nullptr) {
        mSoundPlayer->ReleaseAll();
    }
}

void GameApp::AdvanceLoadingProgress() {
    CountLoadedItem();
}

void GameApp::LoadingThreadFinished() {
    if (gTitleScreen != nullptr) {
        gTitleScreen->LoadingComplete();
    }
}

void GameApp::PauseCountChanged() {
    const int count = GetPauseCount();
    if (auto* menu = dynamic_cast<MenuInterface*>(mActiveMenu)) {
        menu->SetActive(count == 0);
    }
    if (mPauseListener != nullptr) {
        mPauseListener->SetPaused(count > 0);
    }
}

Widget* GameApp::CreateMenuButton(int x, int y, const std::string& label, bool localize) {
    (void)x, (void)y, (void)label, (void)localize;
    return nullptr;
}

Widget* GameApp::CreateTextButton(int /*x*/, int /*y*/, const std::string& /*label*/,
                                  int /*unused*/) {
    return nullptr;
}

CommandAnswer GameApp::HandleScriptCommand(const AnimationCommand& command,
                                           AnimationWidget* widget) {
    (void)command, (void)widget;
    return CommandAnswer::kNotHandled;
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
