#include "game/screens/MyGameApp.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "core/expr/MainThread.h"
#include "core/util/Log.h"
#include "game/board/ArtTiles.h"
#include "game/board/BoardAssets.h"
#include "game/data/GameDataCheck.h"
#include "game/data/GameStats.h"
#include "game/data/MyLocalization.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/PuzzleStats.h"
#include "game/data/SetStats.h"
#include "game/data/SetTable.h"
#include "game/screens/MyBoard.h"
#include "game/screens/MyTitleScreen.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/TextboxPopup.h"
#include "graphics/Image.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Font.h"
#include "menus/LogoScreen.h"
#include "menus/Menu.h"
#include "menus/NoticeMenu.h"
#include "menus/TitleScreen.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/ButtonWidget.h"

MyGameApp::MyGameApp()
    : GameApp("Pelnora 7", "v1.2", 1024, 768), mGameData(std::make_unique<GameData>()) {
    InstallGameData(mGameData.get());
}

MyGameApp::~MyGameApp() {
    // The loading thread reads the profiles this clears: it must have ended first.
    StopLoadingThread();
    // The screens go first: a play screen saves as it goes, and none may outlive the profiles.
    if (mWidgetManager != nullptr) {
        mWidgetManager->RemoveAllWidgets(true, true);
        ProcessDeletionQueue();
    }
    SaveProgressAtExit();
    SetProfileSaveFailureHandler(nullptr);
    ClearProfiles();
    mGameData.reset();
}

void MyGameApp::SaveProgressAtExit() {
    // With no profile chosen there is no progress to keep, and a player who never made one gets
    // no file of eight empty slots. A developer code may have asked to keep the file as it is.
    if (mSaveProfilesAtExit && GetSelectedProfile() >= 0) {
        SaveProfiles();
    }
}

void MyGameApp::LeaveLoadingThreadRunning() {
    // Until the start-up loader has finished it may still be reading the profiles, and nobody
    // can have played yet; after it, a loading screen's worker touches only the asset tables.
    if (IsLoadingComplete()) {
        SaveProgressAtExit();
    }
    GameApp::LeaveLoadingThreadRunning();
}

bool MyGameApp::Init() {
    SetPlayerNameHandler([this](const std::string& name) { mCurrentPlayerName = name; });
    SetTypedCodeHandler([this](const std::string& text) { HandleDeveloperCode(text); });
    if (!GameApp::Init()) {
        return false;
    }
    // Every screen is a script: without them the window would stay black for ever.
    if (mScriptCount == 0) {
        std::error_code ignored;
        ShowFatalError("The game's data is missing: no screen scripts were found in '" +
                       (std::filesystem::current_path(ignored) / "properties").string() +
                       "'. Please reinstall the game.");
        SetExitCode(1);
        return false;
    }
    SetProfileSavingAllowed(!mScreenSaverMode && AreUserFilesWritable());
    SetProfileSaveFailureHandler([this] { NoteSaveProblem(); });
    InstallTextboxPopupHooks();
    // The board's first-mistake, first-hint and tutorial notices open as dialogs over the play
    // screen, each with its OK button ("notice_menu").
    SetBoardNoticeHandler([](const std::string& key, const std::string& layout) {
        Menu::ShowAsDialog(new NoticeMenu(key, nullptr, layout, 2));
    });
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
    // The selection made while reading posts its globals and handler calls to the main thread;
    // they run there at its next update, long before the player leaves the title.
    LoadProfiles();
    AdvanceLoadingProgress();
    MyLocalization().Load();
    AdvanceLoadingProgress();
    LoadArtTiles();
    for (const std::string& problem : CheckGameData()) {
        LogWarning("%s", problem.c_str());
    }
    AdvanceLoadingProgress();
}

void MyGameApp::UpdateFrame() {
    GameApp::UpdateFrame();
    if (!IsLoadingComplete() || (gTitleScreen == nullptr && mBoard == nullptr) ||
        mScreenSaverMode) {
        return;
    }
    if (!mSetAsideShown) {
        mSetAsideShown = true;
        // One notice: what happened to the file matters more than a repaired field in it.
        const ProfilesLoadReport report = GetProfilesLoadReport();
        if (report.restoredFromBackup) {
            Menu::ShowAsDialog(new NoticeMenu("profiles_restored", nullptr, "menu", 2));
        } else if (!report.setAside.empty()) {
            Menu::ShowAsDialog(
                new NoticeMenu("profiles_set_aside", nullptr, "menu", 2, report.setAside));
        } else if (report.repaired) {
            Menu::ShowAsDialog(new NoticeMenu("profiles_repaired", nullptr, "menu", 2));
        }
    }
    if (TakeSaveProblem()) {
        Menu::ShowAsDialog(new NoticeMenu("saving_off", nullptr, "menu", 2));
    }
}

bool MyGameApp::GetFirstPictureColor(uint32_t* rgb) const {
    if (mScreenSaverMode) {
        return false;
    }
    *rgb = LogoScreen::kBackgroundRgb;
    return true;
}

void MyGameApp::ShowNextStartScreen() {
    mStartScreens.ShowNext(mScreenSaverMode);
}

Widget* MyGameApp::CreateTitleScreen() {
    return new MyTitleScreen();
}

void MyGameApp::LoadingComplete() {
    // Leaving the title is the one way here (Menu::CloseThroughApp); a second hand-over would
    // stack a second board.
    if (mBoard != nullptr) {
        return;
    }
    GameApp::LoadingComplete();
    auto* board = new MyBoard();
    mBoard = board;
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mDeviceWord = "ipad";
    }
    // Joining the manager opens the main menu, which reads the device word.
    mWidgetManager->AddWidget(board);
}

Widget* MyGameApp::CreateMenuButton(int x, int y, const std::string& label, bool localize) {
    // "menubutton" holds the normal, over, down and disabled looks in its rows; "button" is the
    // normal look alone, by which the button is centred.
    auto* button = new ButtonWidget(x, y, "menubutton", label, localize);
    button->mLabelOffsetX = LookupConstant("button-text-offset");
    button->mLabelOffsetY = 0;
    button->mPlaySounds = true;
    button->mJustification = 0;
    const Image* normal = LookupAssetTableA("button");
    const int width = normal != nullptr ? normal->GetCelWidth() : button->mWidth;
    const int height = normal != nullptr ? normal->GetCelHeight() : button->mHeight;
    button->Move(static_cast<float>(x - width / 2), static_cast<float>(y - height / 2));
    return button;
}

Widget* MyGameApp::CreateTextButton(int x, int y, const std::string& label, int /*unused*/) {
    auto* button = static_cast<ButtonWidget*>(CreateMenuButton(x, y, label, true));
    // A bare label: it does not shift when pressed, and it may be as wide as its text.
    button->mDownOffsetX = 0;
    button->mDownOffsetY = 0;
    button->mLabelWidth = -1;
    if (const Font* font = button->GetLabelFont()) {
        const int width = static_cast<int>(std::lround(font->StringWidthF(button->GetLabel())));
        const int height = font->GetHeight();
        button->Resize(static_cast<float>(x - width / 2), static_cast<float>(y), width, height);
    }
    return button;
}

Widget* MyGameApp::WrapMenuInTransition(Widget* menu) {
    auto* next = dynamic_cast<Menu*>(menu);
    return next != nullptr ? MakeTransition(next, "transition") : menu;
}

void MyGameApp::UnlockAllSets(bool allPuzzles, bool complete) {
    PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr) {
        return;
    }
    const std::string& game = state->mGameName;
    for (int mode = 0; mode < kModeCount; ++mode) {
        std::vector<SetProgress>& sets = state->mProgress[static_cast<size_t>(mode)];
        const int bound = std::min(static_cast<int>(sets.size()), CountSetsInMode(game, mode));
        for (int i = 0; i < bound; ++i) {
            SetProgress& set = sets[static_cast<size_t>(i)];
            set.mUnlock = allPuzzles ? CountCatalogPuzzles(game, mode, i) : 1;
            if (complete) {
                for (PuzzleProgress& puzzle : set.mPuzzles) {
                    puzzle.mCompleted = true;
                }
            }
        }
    }
}

void MyGameApp::HandleDeveloperCode(const std::string& text) {
    if (text == "mowlasek") {
        UnlockAllSets(true, false);
        SaveProfiles();
    } else if (text == "pirdanux") {
        UnlockAllSets(true, true);
        SaveProfiles();
    } else if (text == "tebrofal") {
        UnlockAllSets(false, false);
        SaveProfiles();
    } else if (text == "gusnimor") {
        OpenStoryFinal();
    } else if (text == "vaqeltim") {
        // A sound of our own, so the code is heard on every platform.
        PlaySoundEffectByName("Bell");
        SaveProfiles();
    } else if (text == "dorpazik") {
        // Nothing may rewrite the file from here on, the play screen's own save included.
        mSaveProfilesAtExit = false;
        SetProfileSavingAllowed(false);
        Quit();
    } else if (text == "nefulbra") {
        // The reader replaces the puzzle-name lists, so a reload never doubles them.
        LocalizedTexts::Clear();
        MyLocalization().Load();
    }
}
